// What a recording grid keeps to take its changes back (GridModel::startRecording): one entry
// per change, holding what the change replaced, taken back newest first. Private to the grid
// model's implementation.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "core/grid/grid_model.h"

namespace velmora::core::grid {

struct GridModel::Journal {
    struct CellText {
        int row, col;
        std::string old;
    };
    struct CellColor {
        int row, col;
        std::optional<Rgb> old;
    };
    struct RowData {
        int row;
        std::string old;
    };
    struct RowHeight {
        int row, old;
    };
    // Rows [first, first + count) came in; appends one after the other share an entry.
    struct RowsInserted {
        int first, count;
    };
    // Rows that stood from `first` on, in their order; removals at one place share an entry.
    struct RowsRemoved {
        int first;
        std::vector<Row> rows;
    };
    struct ColumnsAdded {
        int oldCount;
    };
    // The columns from `oldCount - columns.size()` on, with every row's cells in them.
    struct DroppedCells {
        RowTexts texts;  // slot i: the text of the first dropped column + i
        std::vector<ColoredCell> colors;
    };
    struct ColumnsDropped {
        std::vector<Column> columns;
        std::vector<DroppedCells> rows;
    };
    struct ColumnSetting {
        int col;
        Column old;
    };
    struct FixedArea {
        int rows, cols;
    };
    // The scrollable rows from `first` were sorted: the row now at first + i stood at
    // first + order[i].
    struct Sorted {
        int first;
        std::vector<int> order;
    };
    using Entry = std::variant<CellText, CellColor, RowData, RowHeight, RowsInserted, RowsRemoved,
                               ColumnsAdded, ColumnsDropped, ColumnSetting, FixedArea, Sorted>;

    // Where the current cell, the selection and the scroll position were at the start.
    struct Position {
        int row, col, rowSel, colSel;
        bool rowFixedByCode, colFixedByCode;
        int topRow, leftCol;
    };

    Position start;
    std::vector<Entry> entries;

    // What dropping the grid's columns from `cols` on is about to take away.
    static ColumnsDropped dropping(const GridModel& grid, int cols);

    // Whether a change of row `row` must be kept. A row that came in with the last entry
    // goes again when that entry is taken back, so what was changed in it need not be kept:
    // filling a new list keeps nothing but the count of its rows.
    bool keeps(int row) const {
        if (entries.empty())
            return true;
        const auto* last = std::get_if<RowsInserted>(&entries.back());
        return !last || row < last->first || row >= last->first + last->count;
    }

    void rowsInserted(int first, int count) {
        if (!entries.empty())
            if (auto* last = std::get_if<RowsInserted>(&entries.back());
                last && last->first + last->count == first) {
                last->count += count;
                return;
            }
        entries.emplace_back(RowsInserted{first, count});
    }
    // The row about to be removed at `first`, moved in.
    void rowRemoved(int first, Row row) {
        if (!entries.empty())
            if (auto* last = std::get_if<RowsRemoved>(&entries.back());
                last && last->first == first) {
                last->rows.push_back(std::move(row));
                return;
            }
        RowsRemoved removed{first, {}};
        removed.rows.push_back(std::move(row));
        entries.emplace_back(std::move(removed));
    }
};

}  // namespace velmora::core::grid
