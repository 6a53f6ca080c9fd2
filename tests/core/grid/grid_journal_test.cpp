// Taking a grid's recorded changes back: after any mix of changes the grid is exactly what it
// was when recording began, as one reset, and it goes on recording from there.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "core/grid/grid_model.h"
#include "core/grid/grid_recorder.h"

namespace velmora::core::grid {
namespace {

using testing::fillGrid;
using testing::Recorder;

// Everything a user could see of the grid, and the row data, as one text.
std::string describe(const GridModel& g) {
    std::ostringstream out;
    out << "shape " << g.rows() << "x" << g.cols() << " fixed " << g.fixedRows() << ","
        << g.fixedCols() << " at " << g.row() << "," << g.col() << " sel " << g.rowSel() << ","
        << g.colSel() << " top " << g.topRow() << "," << g.leftCol() << "\n";
    for (int c = 0; c < g.cols(); ++c)
        out << "col " << c << " w" << g.colWidth(c) << " a" << static_cast<int>(g.colAlignment(c))
            << "\n";
    for (int r = 0; r < g.rows(); ++r) {
        out << "row " << r << " h" << g.rowHeight(r) << " [" << g.rowData(r) << "]";
        for (int c = 0; c < g.cols(); ++c) {
            out << " |" << g.textMatrix(r, c);
            if (auto color = g.cellColorAt(r, c))
                out << "#" << int(color->red) << "." << int(color->green) << "."
                    << int(color->blue);
        }
        out << "\n";
    }
    return out.str();
}

// A channel-list-like grid with unsaved edits: row data, a coloured row, a scrolled view.
void fillEdited(GridModel& g) {
    fillGrid(g, {"Num", "NAME", "FAVORITE"},
             {{"3", "ZDF", "News"},
              {"1", "ARD", "Sport"},
              {"2", "Radio X", "ZZZZ"},
              {"4", "3sat", "Kids"}});
    for (int r = 1; r <= 4; ++r)
        ASSERT_TRUE(g.setRowData(r, "loaded " + std::string(g.textMatrix(r, 3))).isOk());
    ASSERT_TRUE(g.setCellBackColorAt(3, 1, Rgb{214, 239, 247}).isOk());
    ASSERT_TRUE(g.setColWidth(2, 2000).isOk());
    ASSERT_TRUE(g.setTextMatrix(2, 2, "ARD HD").isOk());  // typed, not saved
    ASSERT_TRUE(g.setCurrentCell(3, 2).isOk());
    ASSERT_TRUE(g.setRowSel(4).isOk());
    ASSERT_TRUE(g.setTopRow(2).isOk());
}

struct Changes {
    const char* what;
    std::function<void(GridModel&)> make;
};

class TakingBack : public ::testing::TestWithParam<Changes> {};

TEST_P(TakingBack, RestoresEverythingAsOneResetAndRecordsOnFromThere) {
    GridModel g;
    fillEdited(g);
    const std::string before = describe(g);
    g.startRecording();
    const auto version = g.contentVersion();
    GetParam().make(g);
    ASSERT_NE(describe(g), before) << "the case changes nothing";
    EXPECT_NE(g.contentVersion(), version);

    Recorder recorder(g);
    g.takeBackRecorded();
    EXPECT_EQ(describe(g), before);
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"aboutToReset", "reset"}));

    // Still recording: the same changes again are taken back to the same state.
    ASSERT_TRUE(g.isRecording());
    GetParam().make(g);
    g.takeBackRecorded();
    EXPECT_EQ(describe(g), before);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, TakingBack,
    ::testing::Values(
        Changes{"CellsColoursRowDataAndHeights",
                [](GridModel& g) {
                    (void)g.setTextMatrix(1, 2, "ZDF neo");
                    (void)g.setTextMatrix(1, 2, "ZDF info");
                    (void)g.setCellBackColorAt(3, 1, Rgb{1, 2, 3});
                    (void)g.setCellBackColorAt(1, 1, Rgb{4, 5, 6});
                    (void)g.setRowData(2, "Musik");
                    (void)g.setRowHeight(4, 600);
                }},
        // Delete Selection removes rows at one place; a drop inserts a copy below its row.
        Changes{"RowsRemovedAndInserted",
                [](GridModel& g) {
                    (void)g.removeItem(2);
                    (void)g.removeItem(2);
                    (void)g.addItem("\t9\tcopy\tMusik\t", 2);
                    (void)g.setCellBackColorAt(2, 1, Rgb{214, 239, 247});
                    (void)g.removeItem(1);
                    (void)g.setCurrentCell(1, 1);
                }},
        // A view built over the edited list: emptied, a new header and widths, rows, a sort.
        Changes{"AViewRebuiltAndSorted",
                [](GridModel& g) {
                    (void)g.setRows(1);
                    (void)g.setHeader({"", "NUM", "NAME", "SOURCEID", "SID"},
                                      CellAlignment::RightCenter);
                    (void)g.setColWidth(1, 600);
                    for (const char* line :
                         {"\t7\tb\tS19E\t1\t", "\t5\ta\tS19E\t2\t", "\t6\tc\tS13E\t3\t"})
                        (void)g.addItem(line);
                    (void)g.setCol(1);
                    g.sortGenericAscending();
                }},
        Changes{"ColumnsDroppedThenGrownAndTheFixedAreaChanged",
                [](GridModel& g) {
                    (void)g.setCols(2);
                    (void)g.setCols(5);
                    (void)g.setTextMatrix(1, 4, "new");
                    (void)g.setFixedRows(0);
                    (void)g.setFixedCols(2);
                }},
        Changes{"ClipTextAndGrowingRows",
                [](GridModel& g) {
                    (void)g.setCurrentCell(1, 1);
                    (void)g.setRowSel(2);
                    (void)g.setColSel(2);
                    (void)g.setClip("8\tx\r9\ty");
                    (void)g.setRows(8);
                    (void)g.setColAlignment(3, CellAlignment::CenterCenter);
                }}),
    [](const ::testing::TestParamInfo<Changes>& info) { return info.param.what; });

TEST(TakingBack, NothingWhileNotRecordingAndOnlyWhatFollowsTheStart) {
    GridModel g;
    fillEdited(g);
    (void)g.setTextMatrix(1, 2, "kept");
    g.takeBackRecorded();  // not recording: nothing to take back
    EXPECT_EQ(g.textMatrix(1, 2), "kept");

    g.startRecording();
    (void)g.setTextMatrix(1, 2, "first");
    g.startRecording();  // what came before this start stays
    (void)g.removeItem(1);
    g.takeBackRecorded();
    EXPECT_EQ(g.textMatrix(1, 2), "first");
    EXPECT_EQ(g.rows(), 5);

    g.stopRecording();
    (void)g.setTextMatrix(1, 2, "later");
    g.takeBackRecorded();
    EXPECT_EQ(g.textMatrix(1, 2), "later");
    EXPECT_FALSE(g.isRecording());
}

TEST(RowData, MovesWithItsRowAndANewRowHasNone) {
    GridModel g;
    fillGrid(g, {"Num"}, {{"3"}, {"1"}, {"2"}});
    for (int r = 1; r <= 3; ++r)
        ASSERT_TRUE(g.setRowData(r, "of " + std::string(g.textMatrix(r, 1))).isOk());
    const auto version = g.contentVersion();
    g.sortGenericAscending();
    ASSERT_TRUE(g.addItem("\t9", 2).isOk());
    ASSERT_TRUE(g.removeItem(1).isOk());
    EXPECT_NE(g.contentVersion(), version);
    std::vector<std::string> data;
    for (int r = 1; r < g.rows(); ++r)
        data.push_back(std::string(g.textMatrix(r, 1)) + ":" + std::string(g.rowData(r)));
    EXPECT_EQ(data, (std::vector<std::string>{"9:", "2:of 2", "3:of 3"}));
    EXPECT_EQ(g.setRowData(9, "x").code(), err::kInvalidIndex);
    EXPECT_EQ(g.rowData(9), "");

    // Layout and the current cell are not content.
    const auto content = g.contentVersion();
    (void)g.setColWidth(1, 100);
    (void)g.setRow(2);
    EXPECT_EQ(g.contentVersion(), content);
}

}  // namespace
}  // namespace velmora::core::grid
