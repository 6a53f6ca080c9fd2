#include "core/views/recordset_grid.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/app/app.h"
#include "engine/dao/field.h"
#include "engine/dao/recordset.h"

namespace velmora::core::views {

void showFieldsAsHeader(app::App& app, engine::dao::Recordset& rs) {
    grid::GridModel& g = app.grid();
    auto& isText = app.state().ColumnIsText;
    const int n = rs.fields().count();
    std::vector<std::string> captions{""};
    for (int k = 0; k < n; ++k) {
        engine::dao::Field field = rs.field(k);
        if (k < static_cast<int>(isText.size()))
            isText[static_cast<std::size_t>(k)] = field.type() == engine::dao::type_code::kText;
        captions.push_back(field.name());
    }
    (void)g.setRows(1);
    (void)g.setHeader(captions, grid::CellAlignment::LeftCenter);
    (void)g.setCols(n + 1);
    (void)g.setRows(1);
}

int showRecords(app::App& app, engine::dao::Recordset& rs, app::UiKey suffix) {
    if (rs.eof())
        return 0;
    grid::GridModel& g = app.grid();
    rs.moveLast();
    const int count = rs.recordCount();
    g.reserveRows(g.rows() + count);
    app.mainForm().setCaption("Label1", std::to_string(count) + app.text(suffix));
    rs.moveFirst();
    const int n = rs.fields().count();
    std::vector<std::string> cells(static_cast<std::size_t>(n));
    while (!rs.eof()) {
        for (int k = 0; k < n; ++k)
            cells[static_cast<std::size_t>(k)] = rs.field(k).text();
        addRowOfCells(g, cells);
        rs.moveNext();
    }
    (void)g.setCol(1);
    (void)g.setColSel(1);
    g.sortGenericAscending();
    return count;
}

void addRowOfCells(grid::GridModel& grid, const std::vector<std::string>& cells) {
    std::vector<std::string_view> row(cells.size() + 1);  // column 0: the empty row marker
    std::copy(cells.begin(), cells.end(), row.begin() + 1);
    (void)grid.addRow(row);
}

void setColumnWidths(grid::GridModel& grid, std::span<const int> widths) {
    for (int col = 0; col < grid.cols() && col < static_cast<int>(widths.size()); ++col)
        (void)grid.setColWidth(col, widths[static_cast<std::size_t>(col)]);
}

void showDataRowCount(app::App& app, app::UiKey suffix) {
    app.mainForm().setCaption("Label1", std::to_string(app.grid().rows() - 1) + app.text(suffix));
}

}  // namespace velmora::core::views
