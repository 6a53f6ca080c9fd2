#include "core/explorer/delete_rows.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/app/app.h"
#include "core/app/read_only_notice.h"
#include "core/db/dynaset.h"
#include "core/editing/row_finder.h"
#include "core/views/recordset_grid.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::explorer {

namespace {

using engine::dao::guarded;
using ports::MessageAnswer;
using ports::MessageButtons;

bool confirm(app::App& app, const std::string& question) {
    return app.showMessage(question, MessageButtons::OkCancel) == MessageAnswer::Ok;
}

}  // namespace

SelectedRows selectedRows(app::App& app) {
    const grid::GridModel& g = app.grid();
    const int row = g.row();
    const int rowSel = g.rowSel();
    return {std::min(row, rowSel), std::abs(row - rowSel) + 1};
}

bool DeleteTableRow(app::App& app, int row) {
    grid::GridModel& g = app.grid();
    const std::optional<std::string> sql =
        editing::rowFindingStatement(app.db(), app.state().CurrentView, g, row);
    bool deleted = false;
    if (sql) {
        engine::dao::Recordset rs = db::openDynaset(app.db(), *sql);
        deleted = !rs.eof() && guarded([&] { rs.deleteCurrent(); }) == 0;
        rs.close();
    }
    if (!deleted) {
        app.showMessage("ERROR", MessageButtons::Ok);
        return false;
    }
    if (g.rows() < 3)
        (void)g.setRows(1);
    else
        (void)g.removeItem(row);
    return true;
}

void deleteSelectedRows(app::App& app, const SelectedRows& rows, app::UiKey suffix,
                        const std::function<void(const std::string&, bool)>& afterRow) {
    grid::GridModel& g = app.grid();
    int at = rows.first;
    for (int i = 0; i < rows.count && at < g.rows(); ++i) {
        const std::string firstCell(g.textMatrix(at, 1));
        const bool deleted = DeleteTableRow(app, at);
        if (afterRow)
            afterRow(firstCell, deleted);
        // A deleted row pulls the next selected row up into its place; a row that stays is
        // passed over, so each selected row is tried once.
        if (!deleted)
            ++at;
    }
    views::showDataRowCount(app, suffix);
}

void DeleteSelectedRows(app::App& app) {
    if (app::refuseWhileReadOnly(app))
        return;
    const SelectedRows rows = selectedRows(app);
    if (rows.first < app.grid().fixedRows())
        return;  // only the header row: nothing to delete
    const std::string question = rows.count == 1 ? app.text(app::UiKey::msgAskDeleteLine)
                                                 : app.text(app::UiKey::msgAskDeletePrefix) +
                                                       std::to_string(rows.count) +
                                                       app.text(app::UiKey::msgLinesSuffix);
    if (!confirm(app, question))
        return;
    deleteSelectedRows(app, rows, app::UiKey::txtDatarows, {});
}

void installDeleteRows(app::App& app) {
    app.commands().install(app::command::kDeleteSelectedRows, [&app] { DeleteSelectedRows(app); });
}

}  // namespace velmora::core::explorer
