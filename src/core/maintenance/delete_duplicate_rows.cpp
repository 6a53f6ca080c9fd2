#include "core/maintenance/delete_duplicate_rows.h"

#include <algorithm>

#include "core/app/app.h"
#include "core/app/read_only_notice.h"
#include "core/db/dynaset.h"
#include "core/db/sql_literal.h"
#include "core/views/recordset_grid.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::maintenance {

namespace {

// Grid columns of the duplicates view.
constexpr int kColSourceId = 3;
constexpr int kColSid = 4;
constexpr int kColNid = 5;
constexpr int kColFrequency = 6;

}  // namespace

std::optional<std::string> duplicateRowStatement(const grid::GridModel& grid, int row) {
    const auto sid = db::bareNumber(grid.textMatrix(row, kColSid));
    const auto nid = db::bareNumber(grid.textMatrix(row, kColNid));
    const std::string frequencyCell(grid.textMatrix(row, kColFrequency));
    const auto frequency = db::bareNumber(frequencyCell);
    if (!sid || !nid || (!frequency && !frequencyCell.empty()))
        return std::nullopt;
    return "SELECT CHANNELNUM, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE SOURCEID = " +
           db::quoteText(grid.textMatrix(row, kColSourceId)) + " AND SID = " + *sid +
           " AND NID = " + *nid +
           (frequency ? " AND FREQUENCY = " + *frequency : std::string(" AND FREQUENCY Is Null"));
}

bool DeleteDuplicateRow(app::App& app, int row) {
    grid::GridModel& grid = app.grid();
    const std::optional<std::string> sql = duplicateRowStatement(grid, row);
    const bool deleted = sql && engine::dao::guarded([&] {
                                    engine::dao::Recordset rs = db::openDynaset(app.db(), *sql);
                                    rs.deleteCurrent();
                                    rs.close();
                                }) == 0;
    if (!deleted) {
        app.showMessage("ERROR", ports::MessageButtons::Ok);
        return false;
    }
    engine::dao::throwIfError(grid.removeItem(row));
    return true;
}

void DeleteDuplicateRows(app::App& app) {
    if (app::refuseWhileReadOnly(app))
        return;
    grid::GridModel& grid = app.grid();
    // Only data rows count; a selection reaching into the header row starts below it.
    const int top = std::max(std::min(grid.row(), grid.rowSel()), grid.fixedRows());
    const int bottom = std::min(std::max(grid.row(), grid.rowSel()), grid.rows() - 1);
    const int n = bottom - top + 1;
    if (n <= 0)
        return;
    const std::string question = n == 1
                                     ? app.text(app::UiKey::msgAskDeleteLine)
                                     : app.text(app::UiKey::msgAskDeletePrefix) +
                                           std::to_string(n) + app.text(app::UiKey::msgLinesSuffix);
    if (app.showMessage(question, ports::MessageButtons::OkCancel) != ports::MessageAnswer::Ok)
        return;
    // A deleted row lets the next one move up to `t`; a row that stays is stepped over, so
    // one row that cannot be deleted does not hold up the rows below it.
    int t = top;
    for (int pass = 0; pass < n && t < grid.rows(); ++pass) {
        if (!DeleteDuplicateRow(app, t))
            ++t;
    }
    views::showDataRowCount(app, app::UiKey::txtDatarows);
}

void installDeleteDuplicateRows(app::App& app) {
    app.commands().install(app::command::kDeleteDuplicateRows,
                           [&app] { DeleteDuplicateRows(app); });
}

}  // namespace velmora::core::maintenance
