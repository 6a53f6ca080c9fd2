#include "core/favourites/groups_view.h"

#include <array>
#include <string>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/db/sql_literal.h"
#include "core/db/statements.h"
#include "core/editing/grid_edit.h"
#include "core/editing/table_cell_writer.h"
#include "core/explorer/delete_rows.h"
#include "core/ports/cursor_port.h"
#include "core/views/recordset_grid.h"
#include "core/views/view_entry.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::favourites {

namespace {

using db::quoteText;

constexpr std::array<int, 3> kWidths = {150, 2000, 1500};
// The header of the group's name, the field the view shows first.
constexpr char kNameColumn[] = "FAVNAME";

// The condition on FAVOURITE.FAVNAME that reaches `name` as shown and as trimmed.
std::string sameGroup(const std::string& name) {
    std::string condition = "(((FAVOURITE.FAVNAME)=" + quoteText(name) + "))";
    const std::string trimmed = db::trimBlanks(name);
    if (trimmed != name)
        condition += " OR (((FAVOURITE.FAVNAME)=" + quoteText(trimmed) + "))";
    return condition;
}

void deleteAssignments(app::App& app, const std::string& group) {
    app.db().execute("DELETE * From FAVOURITE WHERE " + sameGroup(group));
}

}  // namespace

void writeGroupCell(app::App& app, const app::EditedCell& cell) {
    // FAVOURITE names a group by its name alone: an edit of any other column renames nothing.
    const bool rename = app.grid().textMatrix(0, cell.col) == kNameColumn;
    // A rename is a step of its own, so that undoing it undoes nothing the command did before.
    if (rename && !app.commitPending()) {
        app.mainForm().setText(app::control::kTextEditor, cell.oldText);
        app.state().FavDirty = false;
        return;
    }
    if (!editing::writeTableCell(app, cell) || !rename)
        return;
    const int number = engine::dao::guarded([&] {
        app.db().execute("UPDATE FAVOURITE SET FAVOURITE.FAVNAME = " + quoteText(cell.newText) +
                         " WHERE " + sameGroup(cell.oldText));
    });
    if (number == 0)
        return;
    // The assignments refused the new name: the group keeps its old one, in the file and in
    // the grid, and the failure is said once.
    app.db().rollback();
    app.showMessage("Error " + std::to_string(number), ports::MessageButtons::Ok);
    app.mainForm().setText(app::control::kTextEditor, cell.oldText);
}

void EditFavoriteGroups(app::App& app) {
    app::AppState& s = app.state();
    if (!app.askSaveQuestion())
        return;
    s.FavDirty = false;
    s.MultiFavAdded = false;
    ports::WaitCursor busy(app.ports().cursor);
    engine::dao::Recordset rs =
        app.db().openRecordset(db::kSelectFavName, engine::dao::RecordsetType::Snapshot);
    views::showFieldsAsHeader(app, rs);
    if (views::showRecords(app, rs, app::UiKey::txtGroups) > 0) {
        views::setColumnWidths(app.grid(), kWidths);
    }
    rs.close();
    views::enterView(app, app::kViewGroups);
}

void DeleteSelectedGroups(app::App& app) {
    if (app::refuseWhileReadOnly(app))
        return;
    const explorer::SelectedRows rows = explorer::selectedRows(app);
    if (rows.first < app.grid().fixedRows())
        return;
    const app::UiKey question =
        rows.count == 1 ? app::UiKey::msgAskDeleteGroup : app::UiKey::msgAskDeleteGroups;
    if (app.showMessage(app.text(question), ports::MessageButtons::OkCancel) !=
        ports::MessageAnswer::Ok)
        return;
    // The assignments go whether or not the group's own row could be deleted.
    explorer::deleteSelectedRows(
        app, rows, app::UiKey::txtGroups,
        [&app](const std::string& group, bool /*deleted*/) { deleteAssignments(app, group); });
}

void installGroupsView(app::App& app) {
    app.commands().install(app::command::kEditFavoriteGroups, [&app] { EditFavoriteGroups(app); });
    app.commands().install(app::command::kDeleteSelectedGroups,
                           [&app] { DeleteSelectedGroups(app); });
    app.dispatcher()
        .on(app::kMainFormName, "Command6", form::EventKind::Click,
            [&app](const form::Event&) { EditFavoriteGroups(app); })
        .keep();
    app::ViewDescription groups;
    groups.name = app::kViewGroups;
    groups.doubleClickEditor = app::textEditorEverywhere;
    groups.rightPressEditor = app::noEditor;
    groups.popup = {{app::UiKey::txtDelete, app::command::kDeleteSelectedGroups},
                    {app::UiKey::txtAddNew, app::command::kAddNewGroup}};
    groups.popupOnRightPress = true;
    groups.deleteCommand = app::command::kDeleteSelectedGroups;
    groups.edits = app::EditStore::AtOnce;
    groups.cellWriter = writeGroupCell;
    groups.showsChannelListControls = false;
    groups.buildCommand = app::command::kEditFavoriteGroups;
    app.views().add(std::move(groups));
}

}  // namespace velmora::core::favourites
