// Small value types of the grid model: cell alignment, selection and resizing modes, cell
// ranges.
//
// The numeric values of the enumerations are the ones the program's handlers were written
// against (an alignment of 1 is "left, centred vertically", a selection mode of 1 selects
// whole rows), so a handler can store or compare them as numbers.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/form/ui_types.h"

namespace velmora::core::grid {

// The grid's colours are the windows' (core/form/ui_types.h, with the mouse buttons and the
// modifier mask its events carry).
using form::Rgb;

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

}  // namespace velmora::core::grid
