// The generic comparison, the grid's sort, and clip text in both directions.
#include <gtest/gtest.h>

#include <random>

#include "core/grid/generic_compare.h"
#include "core/grid/grid_model.h"
#include "core/grid/grid_recorder.h"

namespace velmora::core::grid {
namespace {

using testing::columnTexts;
using testing::fillGrid;
using testing::Recorder;
using Texts = std::vector<std::string>;

TEST(GenericCompareTest, NumbersByValueOthersAsTextWithoutCase) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {"9", "10", -1},  // by value, not "1" < "9"
        {"10", "9", 1},        {"2.50", "2.5", 0},
        {"-1", "0", -1},       {"abc", "ABD", -1},  // case does not count
        {"News", "news", 0},   {"ab", "abc", -1},
        {"", "a", -1},         {"10", "9a", -1},       // a number against text compares as text
        {"Sport", "ZZZZ", -1}, {"sport", "ZZZZ", -1},  // the no-group marker sorts last
    };
    for (const Case& c : cases) {
        const int got = genericCompare(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
    }
}

TEST(GridSortTest, SortsDataRowsOnTheSelectedColumn) {
    struct Case {
        const char* name;
        Texts keys;
        Texts sorted;
    };
    const Case cases[] = {
        {"9 before 10", {"10", "9", "100", "1"}, {"1", "9", "10", "100"}},
        {"decimals and negatives", {"2.5", "-1", "2", "0.75"}, {"-1", "0.75", "2", "2.5"}},
        {"text without case", {"zdf", "ARD", "Bayern", "arte"}, {"ARD", "arte", "Bayern", "zdf"}},
        {"markers last", {"ZZZZ", "Sport", "News", "ZZZZ"}, {"News", "Sport", "ZZZZ", "ZZZZ"}},
        {"empty cells first", {"b", "", "a"}, {"", "a", "b"}},
        {"one row", {"x"}, {"x"}},
        {"in order already", {"1", "2", "2", "10"}, {"1", "2", "2", "10"}},
        // No neighbours out of order, yet 2 < 10 by value: a mix is merged all the same.
        {"a mix no neighbour of which is out of order", {"10", "1a", "2"}, {"2", "10", "1a"}},
    };
    for (const Case& c : cases) {
        GridModel grid;
        std::vector<Texts> rows;
        for (size_t i = 0; i < c.keys.size(); ++i)
            rows.push_back({c.keys[i], std::to_string(i)});
        fillGrid(grid, {"Key", "Id"}, rows);
        ASSERT_TRUE(grid.setCol(1).isOk());
        grid.sortGenericAscending();
        EXPECT_EQ(columnTexts(grid, 1), c.sorted) << c.name;
        EXPECT_EQ(grid.textMatrix(0, 1), "Key") << c.name << ": header stays";
    }
}

TEST(GridSortTest, WholeRowsMoveWithTheirColours) {
    GridModel grid;
    fillGrid(grid, {"Num", "NAME", "VIDEOID"},
             {{"3", "Radio A", "0"}, {"1", "TV B", "512"}, {"2", "Radio C", "0"}});
    const Rgb radio{214, 239, 247};
    for (int r : {1, 3})
        for (int c = 1; c <= 2; ++c)
            ASSERT_TRUE(grid.setCellBackColorAt(r, c, radio).isOk());
    ASSERT_TRUE(grid.setRowHeight(1, 500).isOk());
    ASSERT_TRUE(grid.setCol(1).isOk());
    grid.sortGenericAscending();
    EXPECT_EQ(columnTexts(grid, 2), (Texts{"TV B", "Radio C", "Radio A"}));
    EXPECT_FALSE(grid.cellColorAt(1, 1).has_value());
    EXPECT_EQ(grid.cellColorAt(2, 2), radio);
    EXPECT_EQ(grid.cellColorAt(3, 1), radio);
    EXPECT_FALSE(grid.cellColorAt(3, 3).has_value()) << "only the coloured cells are coloured";
    EXPECT_EQ(grid.rowHeight(3), 500);
    EXPECT_EQ(grid.row(), 1) << "the current cell keeps its number";
}

TEST(GridSortTest, SeveralKeyColumnsLeftToRightAndEqualKeysKeepTheirOrder) {
    GridModel grid;
    fillGrid(grid, {"Group", "Pos", "Id"},
             {{"B", "2", "r1"},
              {"A", "10", "r2"},
              {"B", "1", "r3"},
              {"A", "9", "r4"},
              {"A", "9", "r5"}});
    ASSERT_TRUE(grid.setCol(1).isOk());
    ASSERT_TRUE(grid.setColSel(2).isOk());
    grid.sortGenericAscending();
    EXPECT_EQ(columnTexts(grid, 3), (Texts{"r4", "r5", "r2", "r3", "r1"}));
    // Keys are the selected columns, wherever the current cell is in the block.
    ASSERT_TRUE(grid.setCurrentCell(1, 3).isOk());
    ASSERT_TRUE(grid.setColSel(3).isOk());
    grid.sortGenericAscending();
    EXPECT_EQ(columnTexts(grid, 3), (Texts{"r1", "r2", "r3", "r4", "r5"}));
}

TEST(GridSortTest, InconsistentMixOfNumbersAndTextStaysSafe) {
    // "2" < "10" by value, "10" < "1a" and "1a" < "2" as text: no order exists, and the sort
    // must still end with every row present exactly once.
    std::mt19937 random(7);
    const Texts pool{"2", "10", "1a", "", "x", "-3", "10", "1b", "9", "ZZZ"};
    GridModel grid;
    std::vector<Texts> rows;
    for (int i = 0; i < 500; ++i)
        rows.push_back({pool[random() % pool.size()], std::to_string(i)});
    fillGrid(grid, {"Key", "Id"}, rows);
    ASSERT_TRUE(grid.setCol(1).isOk());
    grid.sortGenericAscending();
    Texts ids = columnTexts(grid, 2);
    std::sort(ids.begin(), ids.end());
    Texts expected;
    for (int i = 0; i < 500; ++i)
        expected.push_back(std::to_string(i));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ids, expected);
}

TEST(GridSortTest, TellsViewsEveryDataRowChanged) {
    GridModel grid;
    fillGrid(grid, {"A", "B"}, {{"2", "x"}, {"1", "y"}});
    Recorder rec(grid);
    grid.sortGenericAscending();
    EXPECT_EQ(rec.log, (Texts{"cells 1,0-2,2"}));
}

// A 3 x 3 data block: (r, c) holds "rc".
void fillBlock(GridModel& grid) {
    fillGrid(grid, {"A", "B", "C"}, {{"11", "12", "13"}, {"21", "22", "23"}, {"31", "32", "33"}});
}

TEST(GridClipTest, ReadsTheSelectedBlock) {
    struct Case {
        const char* name;
        int row, col, rowSel, colSel;
        const char* clip;
    };
    const Case cases[] = {
        {"one cell", 2, 2, 2, 2, "22"},
        {"2 x 3 block", 1, 1, 2, 3, "11\t12\t13\r21\t22\t23"},
        {"selected upwards", 3, 2, 2, 1, "21\t22\r31\t32"},
        {"one column", 1, 3, 3, 3, "13\r23\r33"},
        {"with the row marker", 1, 0, 1, 1, "\t11"},
    };
    for (const Case& c : cases) {
        GridModel grid;
        fillBlock(grid);
        ASSERT_TRUE(grid.setCurrentCell(c.row, c.col).isOk());
        ASSERT_TRUE(grid.setRowSel(c.rowSel).isOk());
        ASSERT_TRUE(grid.setColSel(c.colSel).isOk());
        EXPECT_EQ(grid.clip(), c.clip) << c.name;
    }
}

TEST(GridClipTest, WritesIntoTheSelectedBlock) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<Texts> rows;  // the data block afterwards
    };
    // The selection is rows 1-2, columns 1-2 before each case.
    const Case cases[] = {
        {"exact fit", "a\tb\rc\td", {{"a", "b", "13"}, {"c", "d", "23"}, {"31", "32", "33"}}},
        {"surplus columns and rows dropped",
         "a\tb\tX\rc\td\tY\re\tf",
         {{"a", "b", "13"}, {"c", "d", "23"}, {"31", "32", "33"}}},
        {"short line leaves cells",
         "a\rc\td",
         {{"a", "12", "13"}, {"c", "d", "23"}, {"31", "32", "33"}}},
        {"one line leaves the second row",
         "a\tb",
         {{"a", "b", "13"}, {"21", "22", "23"}, {"31", "32", "33"}}},
        {"final carriage return starts no row",
         "a\tb\r",
         {{"a", "b", "13"}, {"21", "22", "23"}, {"31", "32", "33"}}},
        {"empty pieces are empty cells",
         "\tb\r\t",
         {{"", "b", "13"}, {"", "", "23"}, {"31", "32", "33"}}},
        {"empty line between", "a\r\rc", {{"a", "12", "13"}, {"", "22", "23"}, {"31", "32", "33"}}},
    };
    for (const Case& c : cases) {
        GridModel grid;
        fillBlock(grid);
        ASSERT_TRUE(grid.setCurrentCell(1, 1).isOk());
        ASSERT_TRUE(grid.setRowSel(2).isOk());
        ASSERT_TRUE(grid.setColSel(2).isOk());
        ASSERT_TRUE(grid.setClip(c.text).isOk()) << c.name;
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 3; ++col)
                EXPECT_EQ(grid.textMatrix(r + 1, col + 1), c.rows[r][col])
                    << c.name << " at " << r + 1 << "," << col + 1;
        EXPECT_EQ(grid.textMatrix(0, 1), "A") << c.name;
    }
}

TEST(GridClipTest, ReadBackWhatWasWritten) {
    GridModel grid;
    fillBlock(grid);
    ASSERT_TRUE(grid.setCurrentCell(2, 1).isOk());
    ASSERT_TRUE(grid.setRowSel(3).isOk());
    ASSERT_TRUE(grid.setColSel(3).isOk());
    const std::string text = "x y\t\tÄrger\rlast\t12.5\t";
    ASSERT_TRUE(grid.setClip(text).isOk());
    EXPECT_EQ(grid.clip(), text);
}

TEST(GridClipTest, ScratchGridFillsFromTheWholeSelection) {
    // The paste command's scratch grid: no fixed cells, every cell selected.
    GridModel grid;
    ASSERT_TRUE(grid.setFixedRows(0).isOk());
    ASSERT_TRUE(grid.setFixedCols(0).isOk());
    ASSERT_TRUE(grid.setCols(3).isOk());
    ASSERT_TRUE(grid.setRows(2).isOk());
    ASSERT_TRUE(grid.setCurrentCell(0, 0).isOk());
    ASSERT_TRUE(grid.setRowSel(1).isOk());
    ASSERT_TRUE(grid.setColSel(2).isOk());
    Recorder rec(grid);
    ASSERT_TRUE(grid.setClip("1\tOne\t\r2\tTwo\t").isOk());
    EXPECT_EQ(grid.textMatrix(0, 1), "One");
    EXPECT_EQ(grid.textMatrix(1, 0), "2");
    EXPECT_EQ(grid.textMatrix(1, 2), "");
    EXPECT_EQ(rec.log, (Texts{"cells 0,0-1,2"}));
}

TEST(GridClipTest, NoCellToPlaceTheTextIn) {
    GridModel grid;
    ASSERT_TRUE(grid.setFixedRows(0).isOk());
    ASSERT_TRUE(grid.setFixedCols(0).isOk());
    ASSERT_TRUE(grid.setCols(0).isOk());
    EXPECT_EQ(grid.setClip("a").code(), err::kInvalidPropertyValue);
    EXPECT_EQ(grid.clip(), "");
    ASSERT_TRUE(grid.setCols(1).isOk());
    ASSERT_TRUE(grid.setRows(0).isOk());
    EXPECT_EQ(grid.setClip("a").code(), err::kInvalidPropertyValue);
}

}  // namespace
}  // namespace velmora::core::grid
