#include "core/favourites/favourites_view.h"

#include <array>
#include <optional>
#include <string>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/db/dynaset.h"
#include "core/db/sql_literal.h"
#include "core/editing/grid_edit.h"
#include "core/editing/table_cell_writer.h"
#include "core/ports/cursor_port.h"
#include "core/views/recordset_grid.h"
#include "core/views/view_entry.h"
#include "engine/base/error_codes.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::favourites {

namespace {

using engine::dao::guarded;
using engine::dao::Recordset;

// Grid columns of the view.
constexpr int kColGroup = 1;
constexpr int kColSourceId = 4;
constexpr int kColSid = 5;
constexpr int kColNid = 6;
// NUM, the fifth field of the row-finding statement.
constexpr int kFieldNum = 4;

constexpr std::array<int, 7> kWidths = {150, 2000, 800, 3000, 0, 0, 0};

app::Editor numberColumnOnly(std::string_view header) {
    return header == "Nummer" ? app::Editor::Text : app::Editor::None;
}

// The statement that finds the row's FAVOURITE record, or nullopt when a key cell is not a
// value of its field (SID and NID must be numbers).
std::optional<std::string> assignmentStatement(const grid::GridModel& g, int row) {
    const auto nid = db::bareNumber(g.textMatrix(row, kColNid));
    const auto sid = db::bareNumber(g.textMatrix(row, kColSid));
    if (!nid || !sid)
        return std::nullopt;
    return "SELECT FAVNAME, SOURCEID, NID, SID, NUM FROM FAVOURITE WHERE FAVNAME = " +
           db::quoteText(g.textMatrix(row, kColGroup)) +
           " AND SOURCEID = " + db::quoteText(g.textMatrix(row, kColSourceId)) +
           " AND NID = " + *nid + " AND SID = " + *sid;
}

// Stores the position; the Jet error number, 0 when it worked.
int storeNumber(app::App& app, const app::EditedCell& cell) {
    const auto sql = assignmentStatement(app.grid(), cell.row);
    if (!sql)
        return engine::err::kNoCurrentRecord;
    return editing::storeInFirstRecord(app.db(), *sql, kFieldNum, cell.newText);
}

}  // namespace

void writeFavouriteNumber(app::App& app, const app::EditedCell& cell) {
    int number = 0;
    {
        ports::WaitCursor busy(app.ports().cursor);
        number = storeNumber(app, cell);
    }
    if (number != 0) {
        app.showMessage(kUpdateError, ports::MessageButtons::Ok);
        app.mainForm().setText(app::control::kTextEditor, cell.oldText);
    }
    app.state().FavDirty = false;
}

void ChangeFavoriteNr(app::App& app) {
    app::AppState& s = app.state();
    if (!app.askSaveQuestion())
        return;
    s.FavDirty = false;
    s.MultiFavAdded = false;
    ports::WaitCursor busy(app.ports().cursor);
    Recordset rs =
        app.db().openRecordset(kFavouritesViewStatement, engine::dao::RecordsetType::Snapshot);
    views::showFieldsAsHeader(app, rs);
    if (views::showRecords(app, rs, app::UiKey::txtFavorites) > 0) {
        views::setColumnWidths(app.grid(), kWidths);
    }
    rs.close();
    views::enterView(app, app::kViewFavorites);
}

void installFavouritesView(app::App& app) {
    app.commands().install(app::command::kChangeFavoriteNr, [&app] { ChangeFavoriteNr(app); });
    app.dispatcher()
        .on(app::kMainFormName, "Command12", form::EventKind::Click,
            [&app](const form::Event&) { ChangeFavoriteNr(app); })
        .keep();
    app.views().add(app::ViewDescription{
        .name = app::kViewFavorites,
        .doubleClickEditor = numberColumnOnly,
        .rightPressEditor = app::noEditor,
        // The popup is never opened here; its Delete does nothing.
        .popup = {{app::UiKey::txtDelete, ""},
                  {app::UiKey::txtAddNew, app::command::kAddNewRestricted}},
        .popupOnRightPress = false,
        .deleteCommand = "",
        .edits = app::EditStore::AtOnce,
        .cellWriter = writeFavouriteNumber,
        .showsChannelListControls = false,
        .buildCommand = app::command::kChangeFavoriteNr,
        .fitColumnsToWidth = {},
        .columnsSharingTheWindow = {},
        .spreadKeptEdit = {},
    });
}

}  // namespace velmora::core::favourites
