#include "core/maintenance/duplicates_view.h"

#include <array>
#include <string>
#include <vector>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/db/sql_literal.h"
#include "core/ports/cursor_port.h"
#include "core/views/recordset_grid.h"
#include "core/views/view_entry.h"

namespace velmora::core::maintenance {

namespace {

constexpr char kMakeFreqDups[] =
    "SELECT CHANNELS.SOURCEID, CHANNELS.SID, CHANNELS.NID, Count(CHANNELS.FREQUENCY) AS "
    "NUMDUPS INTO FREQDUPS From CHANNELS GROUP BY CHANNELS.SOURCEID, CHANNELS.SID, "
    "CHANNELS.NID HAVING (((Count(CHANNELS.FREQUENCY))>1));";

constexpr char kListDuplicates[] =
    "SELECT CHANNELS.CHANNELNUM, CHANNELS.NAME, CHANNELS.SOURCEID, CHANNELS.SID, CHANNELS.NID, "
    "CHANNELS.FREQUENCY FROM CHANNELS INNER JOIN FREQDUPS ON (CHANNELS.NID = FREQDUPS.NID) AND "
    "(CHANNELS.SID = FREQDUPS.SID) AND (CHANNELS.SOURCEID = FREQDUPS.SOURCEID);";

// Marker, NUM, NAME, SOURCEID, SID, NID, FREQUENCY.
constexpr std::array<int, 7> kWidths = {150, 600, 2500, 1000, 600, 400, 1500};

bool sameTableName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && db::containsNoCase(a, b);
}

void dropFreqDups(engine::dao::Database& database) {
    engine::dao::TableDefs defs = database.tableDefs();
    for (const engine::dao::TableDef& def : defs.all()) {
        if (sameTableName(def.name(), kFreqDupsTable))
            defs.deleteTable(def.name());
    }
    defs.refresh();
}

// Column 1 is captioned "NUM", the others carry the listing's field names. ColumnIsText is
// left alone: the view's row commands find rows by their own statement.
void showHeader(app::App& app, engine::dao::Recordset& rs) {
    grid::GridModel& g = app.grid();
    const int n = rs.fields().count();
    std::vector<std::string> captions{"", "NUM"};
    for (int k = 1; k < n; ++k)
        captions.push_back(rs.field(k).name());
    (void)g.setRows(1);
    (void)g.setHeader(captions, grid::CellAlignment::LeftCenter);
    (void)g.setCols(n + 1);
    (void)g.setRows(1);
    app.mainForm().setCaption("Label1", "");
}

}  // namespace

void ShowEditDuplicates(app::App& app) {
    // The view is built through a table of its own in the file.
    if (app::refuseWhileReadOnly(app))
        return;
    app::AppState& s = app.state();
    if (!app.askSaveQuestion())
        return;
    s.FavDirty = false;
    s.MultiFavAdded = false;
    ports::WaitCursor busy(app.ports().cursor);

    engine::dao::Database& database = app.db();
    dropFreqDups(database);
    database.execute(kMakeFreqDups);
    database.tableDefs().refresh();

    engine::dao::Recordset rs = database.openRecordset(
        kListDuplicates, engine::dao::RecordsetType::Snapshot,
        engine::dao::recordset_option::kInconsistent, engine::dao::LockType::Optimistic);
    showHeader(app, rs);
    if (views::showRecords(app, rs, app::UiKey::txtDatarows) > 0) {
        views::setColumnWidths(app.grid(), kWidths);
    } else {
        // An empty grid alone reads as if the list had failed to load.
        app.mainForm().setCaption("Label1", app.text(app::UiKey::txtNoDuplicates));
    }
    rs.close();
    views::enterView(app, app::kViewDuplicates);
}

void installDuplicatesView(app::App& app) {
    app.commands().install(app::command::kShowEditDuplicates, [&app] { ShowEditDuplicates(app); });
    app.dispatcher()
        .on(app::kMainFormName, "Command15", form::EventKind::Click,
            [&app](const form::Event&) { ShowEditDuplicates(app); })
        .keep();
    app.views().add(app::ViewDescription{
        .name = app::kViewDuplicates,
        .doubleClickEditor = app::noEditor,
        .rightPressEditor = app::noEditor,
        .popup = {{app::UiKey::txtDelete, app::command::kDeleteDuplicateRows}},
        .popupOnRightPress = true,
        .deleteCommand = app::command::kDeleteDuplicateRows,
        // No editor opens here, so no edit is ever kept or written.
        .edits = app::EditStore::KeptForSave,
        .cellWriter = {},
        .showsChannelListControls = false,
        .buildCommand = app::command::kShowEditDuplicates,
        .fitColumnsToWidth = {},
        .columnsSharingTheWindow = {},
        .spreadKeptEdit = {},
    });
}

}  // namespace velmora::core::maintenance
