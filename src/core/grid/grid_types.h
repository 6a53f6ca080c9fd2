// Small value types of the grid model: colours, cell alignment, selection and resizing
// modes, cell ranges, and the mouse and modifier codes the event handlers test.
//
// The numeric values of the enumerations are the ones the program's handlers were written
// against (an alignment of 1 is "left, centred vertically", a selection mode of 1 selects
// whole rows), so a handler can store or compare them as numbers.
#pragma once

#include <algorithm>
#include <cstdint>

namespace velmora::core::grid {

// A colour as an RGB triple, the way the program names its colours: RGB(214, 239, 247).
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Cell alignment of a column (the grid control's ColAlignment values).
enum class CellAlignment {
    LeftTop = 0,
    LeftCenter = 1,
    LeftBottom = 2,
    CenterTop = 3,
    CenterCenter = 4,
    CenterBottom = 5,
    RightTop = 6,
    RightCenter = 7,
    RightBottom = 8,
    General = 9,  // text on the left, numbers on the right, centred vertically
};

// How a click extends the selection (SelectionMode).
enum class SelectionMode {
    Free = 0,      // any block of cells
    ByRow = 1,     // whole rows: the column range always spans every scrollable column
    ByColumn = 2,  // whole columns
};

// What the user may resize by dragging the borders of the fixed cells (AllowUserResizing).
enum class UserResizing { None = 0, Columns = 1, Rows = 2, Both = 3 };

// A block of cells, both corners included, top <= bottom and left <= right.
struct CellRange {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;

    static CellRange spanning(int row1, int col1, int row2, int col2) {
        return {std::min(row1, row2), std::min(col1, col2), std::max(row1, row2),
                std::max(col1, col2)};
    }
    bool contains(int row, int col) const {
        return row >= top && row <= bottom && col >= left && col <= right;
    }
    int rowCount() const { return bottom - top + 1; }
    int colCount() const { return right - left + 1; }
    bool operator==(const CellRange&) const = default;
};

// Mouse buttons and the modifier mask, with the values the handlers compare against.
inline constexpr int kMouseLeft = 1;
inline constexpr int kMouseRight = 2;
inline constexpr int kMouseMiddle = 4;
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// Twips per inch; the front end turns twips into pixels at its logical DPI / 1440.
inline constexpr int kTwipsPerInch = 1440;

}  // namespace velmora::core::grid
