// The drag and drop window in the real front end, over a demo database written to a real file:
// "Drag + Drop" opens it beside the main window, a press and move on a channel drags the row
// as a Qt drag onto a group's label (a plain click drags nothing), F9 drops the current row on the
// group chosen in the window, and Ctrl+S stores both in the file, which mdbtools reads back.
//
// The offscreen platform has no drag loop of its own, so the test stands in for it: once
// the program has started its QDrag, the test sends the drag's own data to the label as the
// enter and drop events a user's drag would bring.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

#include <filesystem>
#include <string>

#include "core/favourites/drop_fav_form.h"
#include "core/views/channel_list.h"
#include "qt/grid_table_model.h"
#include "qt/modeless_window.h"
#include "qt_program.h"
#include "support/shell_command.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
namespace col = core::views::channel_col;

// The group a label stands for: its caption without the " [count]" the window adds.
std::string groupOfCaption(const QString& caption) {
    const qsizetype open = caption.lastIndexOf(QStringLiteral(" ["));
    return (open < 0 ? caption : caption.left(open)).toStdString();
}

// How many exported FAVOURITE rows ("FAVNAME",NUM,"SOURCEID",SID,NID) put the channel with
// this SID and NID into the group, whose stored spelling may carry trailing blanks.
int assignments(const std::string& csv, const std::string& group, const std::string& sid,
                const std::string& nid) {
    int n = 0;
    std::size_t start = 0;
    while (start < csv.size()) {
        std::size_t end = csv.find('\n', start);
        if (end == std::string::npos)
            end = csv.size();
        const std::string line = csv.substr(start, end - start);
        start = end + 1;
        const std::size_t close = line.find("\",");
        if (line.empty() || line[0] != '"' || close == std::string::npos)
            continue;
        std::string name = line.substr(1, close - 1);
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        const std::string tail = "," + sid + "," + nid;
        if (name == group && line.size() >= tail.size() &&
            line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
            ++n;
    }
    return n;
}

TEST(DragDropWindowQt, GridRowsDraggedAndKeyedOntoGroupsAreSaved) {
    if (runShell("command -v mdb-export").status != 0)
        GTEST_SKIP() << "mdbtools are not installed";
    TempFolder dir("velmora-dragdrop-qt-");
    const fs::path file = dir.path() / "WinSTB.mdb";
    if (!writeDemoDatabase(file, 60, 5))
        GTEST_SKIP() << "velmora-db could not write a demo database in " << velmora::test::binDir();
    std::string group, sid, nid, keyedSid, keyedNid;
    {
        QtProgram p(dir.path(), file);
        ASSERT_TRUE(p.start());
        core::app::App& app = *p.app;
        qt::MainWindow& window = *p.window;
        qt::GridView* grid = p.grid();
        ASSERT_NE(grid, nullptr);

        p.button("Command14")->click();
        auto* dropWindow = qobject_cast<qt::ModelessWindow*>(
            p.modal.modelessWindow(core::favourites::kDropFavFormName));
        ASSERT_NE(dropWindow, nullptr) << "Drag + Drop opens the window";
        EXPECT_TRUE(dropWindow->isVisible());
        EXPECT_EQ(dropWindow->parentWidget(), &window) << "owned by the main window";
        auto* groupLabel = qobject_cast<QLabel*>(dropWindow->widgets()->widget("Label2"));
        ASSERT_NE(groupLabel, nullptr);
        group = groupOfCaption(groupLabel->text());
        ASSERT_FALSE(group.empty());

        // A channel that is in no group yet, so replacing its group is a visible change.
        core::grid::GridModel& g = app.grid();
        int row = -1;
        for (int r = 1; r < g.rows() && row < 0; ++r)
            if (g.textMatrix(r, col::kFavorite) == "ZZZZ")
                row = r;
        ASSERT_GT(row, 0) << "the demo has channels without a group";
        sid = g.textMatrix(row, col::kSid);
        nid = g.textMatrix(row, col::kNid);

        bool entered = false;
        bool highlighted = false;
        p.windows.setDragLoop([&](QDrag& drag) {
            const QPoint centre = groupLabel->rect().center();
            QDragEnterEvent enter(centre, Qt::CopyAction | Qt::MoveAction, drag.mimeData(),
                                  Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(groupLabel, &enter);
            entered = enter.isAccepted();
            highlighted = groupLabel->frameShape() == QFrame::Box;
            QDropEvent drop(QPointF(centre), Qt::CopyAction | Qt::MoveAction, drag.mimeData(),
                            Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(groupLabel, &drop);
        });
        const QModelIndex cell = grid->tableModel()->indexForCell(row, col::kName);
        grid->scrollTo(cell);
        // A plain click on a row selects it and drags nothing.
        const QPoint pressed = grid->visualRect(cell).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, pressed);
        QTest::qWait(20);
        EXPECT_FALSE(entered);
        // Press and move: the drag starts.
        QTest::mousePress(grid->viewport(), Qt::LeftButton, Qt::NoModifier, pressed);
        QTest::mouseMove(grid->viewport(),
                         pressed + QPoint(0, 3 * QApplication::startDragDistance()));
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, Qt::NoModifier, pressed);
        for (int i = 0; i < 100 && g.textMatrix(row, col::kFavorite) == "ZZZZ"; ++i)
            QTest::qWait(10);
        EXPECT_TRUE(entered) << "the label takes a drag from the grid";
        EXPECT_TRUE(highlighted) << "the label is framed while the drag is over it";
        EXPECT_EQ(g.textMatrix(row, col::kFavorite), group);
        EXPECT_TRUE(app.state().FavDirty);

        // The keyboard's drop: the group chosen by a click in the window, F9 in the grid on
        // another channel without a group.
        int keyed = -1;
        for (int r = 1; r < g.rows() && keyed < 0; ++r)
            if (g.textMatrix(r, col::kFavorite) == "ZZZZ")
                keyed = r;
        ASSERT_GT(keyed, 0);
        keyedSid = g.textMatrix(keyed, col::kSid);
        keyedNid = g.textMatrix(keyed, col::kNid);
        QTest::mouseClick(groupLabel, Qt::LeftButton);
        ASSERT_TRUE(g.setCurrentCell(keyed, col::kName).isOk());
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_F9);
        EXPECT_EQ(g.textMatrix(keyed, col::kFavorite), group);
        EXPECT_EQ(app.state().CurrentView, core::app::kViewChannelList);

        // Ctrl+S stores the dropped assignment.
        // The owned drop window counts as active for its owner, so wait for the platform's
        // own focus to reach the main window.
        window.activateWindow();
        for (int i = 0; i < 100 && QGuiApplication::focusWindow() != window.windowHandle(); ++i)
            QTest::qWait(10);
        ASSERT_EQ(QGuiApplication::focusWindow(), window.windowHandle());
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_S, Qt::ControlModifier);
        EXPECT_FALSE(app.state().FavDirty);
        EXPECT_TRUE(window.close());
    }
    const fs::path tool = fs::path(velmora::test::binDir()) / "velmora-db";
    const ShellOutcome checked = runShell(shellQuoted(tool) + " check " + shellQuoted(file));
    EXPECT_EQ(checked.status, 0) << checked.out;
    const ShellOutcome favourites = runShell("mdb-export " + shellQuoted(file) + " FAVOURITE");
    ASSERT_EQ(favourites.status, 0);
    EXPECT_EQ(assignments(favourites.out, group, sid, nid), 1) << favourites.out;
    EXPECT_EQ(assignments(favourites.out, group, keyedSid, keyedNid), 1) << favourites.out;
}

}  // namespace
}  // namespace velmora::test
