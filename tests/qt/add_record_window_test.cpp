// The add-record window in the real front end on the offscreen platform: a dialog built from
// the core's form beside the main window, its field/value grid shown through the main grid's
// view, a value edited in place with the keyboard, and OK storing the record into the shown
// table's grid.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <filesystem>

#include "core/app/command_names.h"
#include "qt/grid_table_model.h"
#include "qt_program.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

TEST(AddRecordWindowQt, EditsAValueInTheDialogsGridAndOkAppendsTheRecord) {
    TempFolder dir("velmora-addnew-qt-");
    const fs::path file = dir.path() / "WinSTB.mdb";
    if (!writeDemoDatabase(file, 40))
        GTEST_SKIP() << "velmora-db could not write a demo database in " << velmora::test::binDir();
    {
        QtProgram p(dir.path(), file);
        ASSERT_TRUE(p.start());
        core::app::App& app = *p.app;
        qt::MainWindow& window = *p.window;

        // The SETTINGS table, its Volume row current.
        const auto& tables = app.mainForm().control("List1").items;
        const auto it = std::find(tables.begin(), tables.end(), "SETTINGS");
        ASSERT_NE(it, tables.end());
        app.mainForm().setListIndex("List1", static_cast<int>(it - tables.begin()));
        qobject_cast<QPushButton*>(window.widgets().widget("Command2"))->click();
        ASSERT_EQ(app.state().CurrentView, "SETTINGS");
        core::grid::GridModel& main = app.grid();
        const int rows = main.dataRowCount();
        int volume = -1;
        for (int r = 1; r < main.rows(); ++r)
            if (main.textMatrix(r, 1) == "Volume")
                volume = r;
        ASSERT_GT(volume, 0);
        ASSERT_TRUE(main.setRow(volume).isOk());

        answerModal([&] { app.commands().run(core::app::command::kAddNewRow); },
                    [&](QWidget* dialog) {
                        EXPECT_EQ(dialog->windowTitle(), "AddNew");
                        auto* grid = dialog->findChild<qt::GridView*>("MSFlexGrid1");
                        auto* edit = dialog->findChild<QLineEdit*>("Text1");
                        auto* ok = dialog->findChild<QPushButton*>("Command_OK");
                        ASSERT_NE(grid, nullptr);
                        ASSERT_NE(edit, nullptr);
                        ASSERT_NE(ok, nullptr);
                        EXPECT_EQ(grid->grid().rows(), main.cols());
                        EXPECT_EQ(grid->grid().textMatrix(1, 1), "Volume");

                        // Space on the first value edits it; Enter puts the text in.
                        const QModelIndex index = grid->tableModel()->indexForCell(1, 1);
                        const QPoint center = grid->visualRect(index).center();
                        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, center);
                        QTest::keyClick(grid, Qt::Key_Space);
                        ASSERT_TRUE(edit->isVisible());
                        edit->selectAll();
                        QTest::keyClicks(edit, "Loudness");
                        QTest::keyClick(edit, Qt::Key_Return);
                        EXPECT_FALSE(edit->isVisible());
                        EXPECT_EQ(grid->grid().textMatrix(1, 1), "Loudness");
                        if (const char* shot = std::getenv("VELMORA_ADDNEW_SHOT"))
                            dialog->grab().save(QString::fromLocal8Bit(shot));
                        ok->click();
                    });
        EXPECT_EQ(main.dataRowCount(), rows + 1);
        EXPECT_EQ(main.textMatrix(main.rows() - 1, 1), "Loudness");
        EXPECT_EQ(main.textMatrix(main.rows() - 1, 2), "80");
        EXPECT_TRUE(window.close());
    }
}

}  // namespace
}  // namespace velmora::test
