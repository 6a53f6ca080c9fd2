// The database file dialog: its title, the one filter entry matching "*.MDB" in any letter
// case, where it starts, and what it returns on OK and on Cancel.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

#include "ports_qt_app.h"
#include "qt/qt_ports.h"

namespace velmora::qt {
namespace {

using test::answerModal;

class QtFileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtTestApp();
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name : {"WinSTB.MDB", "backup.mdb", "Mixed.Mdb", "notes.txt", "mdb"}) {
            QFile file(m_dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("older")));
    }

    core::ports::FileOpenRequest request() const {
        return {"Bitte den vollständigen Pfad (mit Dateiname) zur WinSTB Datenbank eingeben",
                "Database Files (*.mdb)", "*.MDB", m_dir.path().toStdString(), "WinSTB.mdb"};
    }

    QTemporaryDir m_dir;
};

TEST_F(QtFileDialogTest, ShowsTheRequestAndMatchesThePatternInAnyCase) {
    QFileDialog dialog;
    QtPorts::configureFileDialog(dialog, request());

    EXPECT_EQ(dialog.windowTitle().toStdString(), request().title);
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(m_dir.path()).canonicalPath());
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 1);
    EXPECT_EQ(types->itemText(0), QStringLiteral("Database Files (*.mdb)"));
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("WinSTB.mdb"));

    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    const QModelIndex folder = model->index(m_dir.path());
    const auto listed = [&] {
        std::set<QString> names;
        for (int row = 0; row < model->rowCount(folder); ++row)
            names.insert(model->index(row, 0, folder).data().toString());
        return names;
    };
    const std::set<QString> expected = {QStringLiteral("WinSTB.MDB"), QStringLiteral("backup.mdb"),
                                        QStringLiteral("Mixed.Mdb"), QStringLiteral("older")};
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == expected; }, 5000))
        << "listed " << listed().size() << " entries";
}

TEST_F(QtFileDialogTest, ReturnsTheChosenPathOrNothingOnCancel) {
    QtPorts ports;
    std::optional<std::string> chosen;
    answerModal([&] { chosen = ports.chooseFileToOpen(request()); },
                [](QWidget* dialog) {
                    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                    ASSERT_NE(name, nullptr);
                    name->setText(QStringLiteral("Mixed.Mdb"));
                    QTest::keyClick(name, Qt::Key_Return);
                });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(QString::fromStdString(*chosen)).canonicalFilePath(),
              QFileInfo(m_dir.filePath(QStringLiteral("Mixed.Mdb"))).canonicalFilePath());

    chosen = "not cancelled";
    answerModal([&] { chosen = ports.chooseFileToOpen(request()); },
                [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_EQ(chosen, std::nullopt);
}

}  // namespace
}  // namespace velmora::qt
