// The find window as a Qt dialog over the real main window on the offscreen platform: Ctrl+F
// on the grid opens it, typed text and Enter, F3 and Shift+F3 in its text box move the grid's
// current row, a search without result says so in the window, and Escape closes it.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <string>
#include <vector>

#include "core/editing/find_channel.h"
#include "core/views/channel_list.h"
#include "qt/editing_window.h"
#include "qt/grid_table_model.h"
#include "qt/grid_view.h"
#include "qt/ports_qt_app.h"

namespace velmora::test {
namespace {

namespace col = core::views::channel_col;

TEST(FindWindowQt, CtrlFThenTypingEnterF3ShiftF3AndEscape) {
    EditingWindow w;
    w.showModalsInQt();
    ASSERT_TRUE(w.start());
    EditingSession& s = w.s;
    qt::GridView* grid = w.grid();
    ASSERT_NE(grid, nullptr);

    grid->setFocus();
    s.grid().userSelectCell(s.rowOf("ORF1"), col::kNum, false);
    std::vector<int> rows;
    QString notFound;
    answerModal([&] { QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier); },
                [&](QWidget* dialog) {
                    EXPECT_EQ(dialog->windowTitle(), "Sender suchen / Find channel");
                    auto* edit = dialog->findChild<QLineEdit*>("Text1");
                    auto* status = dialog->findChild<QLabel*>("Label2");
                    ASSERT_NE(edit, nullptr);
                    ASSERT_NE(status, nullptr);
                    EXPECT_EQ(dialog->focusWidget(), edit);
                    // Typed as a German keyboard types it (QTest spells ASCII only).
                    QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Odiaeresis, Qt::NoModifier,
                                     QString::fromUtf8("ö"));
                    QApplication::sendEvent(edit, &umlaut);
                    EXPECT_EQ(edit->text(), QString::fromUtf8("ö"));
                    QTest::keyClick(edit, Qt::Key_Return);
                    rows.push_back(s.grid().row());
                    edit->clear();
                    QTest::keyClicks(edit, "SPORT");
                    QTest::keyClick(edit, Qt::Key_F3);
                    rows.push_back(s.grid().row());
                    QTest::keyClick(edit, Qt::Key_F3);
                    rows.push_back(s.grid().row());
                    QTest::keyClick(edit, Qt::Key_F3, Qt::ShiftModifier);
                    rows.push_back(s.grid().row());
                    EXPECT_TRUE(status->text().isEmpty());
                    QTest::keyClicks(edit, "X");  // "SPORTX"
                    QTest::keyClick(edit, Qt::Key_Return);
                    notFound = status->text();
                    EXPECT_TRUE(dialog->isVisible());
                    QTest::keyClick(edit, Qt::Key_Escape);
                });
    int sport1 = -1;
    int sport2 = -1;
    for (int r = 1; r < s.grid().rows(); ++r) {
        if (s.cell(r, col::kName) == "Sport1")
            (sport1 < 0 ? sport1 : sport2) = r;
    }
    EXPECT_EQ(rows, (std::vector<int>{s.rowOf("Ö1"), sport1, sport2, sport1}));
    EXPECT_EQ(notFound, "Nicht gefunden / Not found");
    // The view shows the model's current cell.
    EXPECT_EQ(grid->currentIndex(), grid->tableModel()->indexForCell(sport1, col::kName));
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_TRUE(w.window->close());
}

// Wherever the found row lies, at the top of the list, in its middle or at its end, the
// find window is moved off it, so the user sees what was found.
TEST(FindWindowQt, NeverCoversTheFoundRow) {
    EditingWindow w;
    w.showModalsInQt();
    ASSERT_TRUE(w.start());
    EditingSession& s = w.s;
    qt::GridView* grid = w.grid();
    ASSERT_NE(grid, nullptr);
    grid->setFocus();
    const int last = s.grid().rows() - 1;
    ASSERT_GE(last, 4);
    // The name at each of these rows, or the nearest one above it in ASCII, which the test's
    // keyboard spells.
    auto nameFrom = [&](int row) {
        for (; row > 0; --row) {
            const std::string name = s.cell(row, col::kName);
            if (!name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
                    return static_cast<unsigned char>(c) < 0x80;
                }))
                return name;
        }
        return std::string("ORF");
    };
    const std::vector<std::string> names = {nameFrom(1), nameFrom(2), nameFrom(last / 2),
                                            nameFrom(last)};
    s.grid().userSelectCell(last, col::kNum, false);
    int checked = 0;
    answerModal([&] { QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier); },
                [&](QWidget* dialog) {
                    auto* edit = dialog->findChild<QLineEdit*>("Text1");
                    ASSERT_NE(edit, nullptr);
                    for (const std::string& name : names) {
                        SCOPED_TRACE(name);
                        edit->selectAll();
                        QTest::keyClicks(edit, QString::fromStdString(name));
                        QTest::keyClick(edit, Qt::Key_Return);
                        QApplication::processEvents();
                        const int row = s.grid().row();
                        ASSERT_NE(s.cell(row, col::kName).find(name), std::string::npos);
                        const QModelIndex index = grid->tableModel()->indexForCell(row, col::kName);
                        const QRect cell = grid->visualRect(index);
                        ASSERT_TRUE(grid->viewport()->rect().intersects(cell)) << "shown";
                        const QRect onScreen(grid->viewport()->mapToGlobal(cell.topLeft()),
                                             cell.size());
                        EXPECT_FALSE(dialog->frameGeometry().intersects(onScreen))
                            << "the window at " << dialog->frameGeometry().y() << ".."
                            << dialog->frameGeometry().bottom() << " covers row " << row << " at "
                            << onScreen.y() << ".." << onScreen.bottom();
                        ++checked;
                    }
                    QTest::keyClick(edit, Qt::Key_Escape);
                });
    EXPECT_EQ(checked, static_cast<int>(names.size()));
    EXPECT_TRUE(w.window->close());
}

}  // namespace
}  // namespace velmora::test
