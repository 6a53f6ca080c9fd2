// The Settings window in the real front end on the offscreen platform: the dialog built from
// the core's form, opened beside the main window by the Settings button; a browsed database,
// the language and the colouring chosen with the mouse reach the main window once OK closed
// the dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "core/app/settings_command.h"
#include "qt_program.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using core::app::SettingKey;

template <class W>
W* child(QWidget* dialog, const char* name) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(SettingsWindowQt, BrowseLanguageAndColouringTakeEffectAfterOk) {
    TempFolder dir("velmora-settings-qt-");
    const fs::path first = dir.path() / "WinSTB.mdb";
    const fs::path second = dir.path() / "Other.mdb";
    if (!writeDemoDatabase(first, 40) || !writeDemoDatabase(second, 200))
        GTEST_SKIP() << "velmora-db could not write demo databases in " << velmora::test::binDir();
    {
        QtProgram p(dir.path(), first);
        ASSERT_TRUE(p.start());
        core::app::App& app = *p.app;
        qt::MainWindow& window = *p.window;
        auto waitForPaint = [&] { return p.waitForPaint(); };
        const int firstRows = app.grid().dataRowCount();
        auto* settingsButton = qobject_cast<QPushButton*>(window.widgets().widget("Command11"));
        ASSERT_NE(settingsButton, nullptr);
        EXPECT_EQ(settingsButton->text(), "Settings");

        p.scripted.expectFileDialog(second.string());
        QPoint dialogPlace;
        answerModal([&] { settingsButton->click(); },
                    [&](QWidget* dialog) {
                        EXPECT_EQ(dialog->windowTitle(), "Settings");
                        dialogPlace = dialog->pos();
                        auto* english = child<QRadioButton>(dialog, "Option2");
                        auto* path = child<QLineEdit>(dialog, "Text1");
                        if (english == nullptr || path == nullptr)
                            return;
                        EXPECT_TRUE(english->isChecked());
                        EXPECT_EQ(path->text().toStdString(), first.string());

                        child<QPushButton>(dialog, "Command1")->click();  // browse
                        EXPECT_EQ(path->text().toStdString(), second.string());
                        child<QRadioButton>(dialog, "Option1")->click();
                        EXPECT_TRUE(child<QRadioButton>(dialog, "Option1")->isChecked());
                        EXPECT_FALSE(english->isChecked());
                        child<QCheckBox>(dialog, "Check1")->click();
                        if (const char* shot = std::getenv("VELMORA_SETTINGS_SHOT"))
                            dialog->grab().save(QString::fromLocal8Bit(shot));
                        child<QPushButton>(dialog, "OKButton")->click();
                    });
        const auto g = app.mainForm().geometry();
        EXPECT_EQ(dialogPlace, QPoint(window.widgets().twipsToPixelsX(g.left + 150),
                                      window.widgets().twipsToPixelsY(g.top + 100)));

        EXPECT_EQ(p.stored(SettingKey::Language), "deu");
        EXPECT_EQ(p.stored(SettingKey::WinSTBPath), second.string());
        EXPECT_EQ(p.stored(SettingKey::ColorRadio), "0");
        ASSERT_TRUE(waitForPaint());
        EXPECT_EQ(settingsButton->text(), QString::fromUtf8("Einstellungen"));
        EXPECT_EQ(app.state().DbPath, second.string());
        EXPECT_GT(app.grid().dataRowCount(), firstRows);
        const auto label = qobject_cast<QLabel*>(window.widgets().widget("Label1"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(),
                  QString::number(app.grid().dataRowCount()) + QString::fromUtf8(" Sender"));
        EXPECT_TRUE(window.close());
    }
}

}  // namespace
}  // namespace velmora::test
