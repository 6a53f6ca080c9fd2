#include "core/explorer/table_view.h"

#include <string>
#include <vector>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/main_window_controls.h"
#include "core/editing/table_cell_writer.h"
#include "core/ports/cursor_port.h"
#include "core/views/column_widths.h"
#include "core/views/recordset_grid.h"
#include "core/views/view_entry.h"

namespace velmora::core::explorer {

namespace {

using app::control::kTableList;
constexpr int kMarkerColumnWidth = 150;

// Each column starts as wide as its header text in the grid's font (entering the view then
// widens it to its values, column_widths.h).
void fitColumnsToHeaders(app::App& app) {
    grid::GridModel& g = app.grid();
    const ports::FontChoice font = views::gridFont(g);
    for (int col = 1; col < g.cols(); ++col) {
        const int width = app.ports().textMetrics.measureText(g.textMatrix(0, col), font).width;
        (void)g.setColWidth(col, width + views::kColumnTextPadding);
    }
}

void writeCell(app::App& app, const app::EditedCell& cell) {
    (void)editing::writeTableCell(app, cell);
}

// Shows `table` in the grid and makes it the current view.
void showTable(app::App& app, const std::string& table) {
    ports::WaitCursor busy(app.ports().cursor);
    engine::dao::Recordset rs = app.db().openRecordset(table);
    views::showFieldsAsHeader(app, rs);
    fitColumnsToHeaders(app);
    app.mainForm().setCaption("Label1", "");
    if (views::showRecords(app, rs, app::UiKey::txtDatarows) > 0)
        (void)app.grid().setColWidth(0, kMarkerColumnWidth);
    rs.close();
    views::enterTableView(app, table);
}

}  // namespace

void ShowTable(app::App& app) {
    app::AppState& s = app.state();
    if (!app.askSaveQuestion())
        return;
    s.FavDirty = false;
    s.MultiFavAdded = false;
    form::Form& f = app.mainForm();
    const form::Control& list = f.control(kTableList);
    if (list.items.empty())
        return;  // a database without tables of its own: nothing to show
    if (list.listIndex < 0 || list.listIndex >= static_cast<int>(list.items.size()))
        f.setListIndex(kTableList, 0);
    showTable(app, list.items[static_cast<std::size_t>(list.listIndex)]);
}

void installTableView(app::App& app) {
    app.commands().install(app::command::kShowTable, [&app] { ShowTable(app); });
    app.commands().install(app::command::kShowShownTable,
                           [&app] { showTable(app, app.state().CurrentView); });
    form::Dispatcher& d = app.dispatcher();
    d.on(app::kMainFormName, "Command2", form::EventKind::Click, [&app](const form::Event&) {
         ShowTable(app);
     }).keep();
    d.on(app::kMainFormName, kTableList, form::EventKind::DblClick, [&app](const form::Event&) {
         ShowTable(app);
     }).keep();
    app::ViewDescription table;
    table.name = "";  // every name no other view registered
    table.doubleClickEditor = app::textEditorEverywhere;
    table.rightPressEditor = app::noEditor;
    table.popup = {{app::UiKey::txtDelete, app::command::kDeleteSelectedRows},
                   {app::UiKey::txtAddNew, app::command::kAddNewRow},
                   {app::UiKey::txtCopy, app::command::kCopyCells},
                   {app::UiKey::txtPaste, app::command::kPasteRows}};
    table.popupOnRightPress = true;
    table.deleteCommand = app::command::kDeleteSelectedRows;
    table.edits = app::EditStore::AtOnce;
    table.cellWriter = writeCell;
    table.showsChannelListControls = false;
    // Built again from CurrentView: the highlighted entry of List1 may name another table.
    table.buildCommand = app::command::kShowShownTable;
    app.views().add(std::move(table));
}

}  // namespace velmora::core::explorer
