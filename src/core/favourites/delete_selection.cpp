#include "core/favourites/delete_selection.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/db/dynaset.h"
#include "core/db/sql_literal.h"
#include "core/favourites/channel_row.h"
#include "core/views/channel_list.h"
#include "core/views/recordset_grid.h"
#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::favourites {

namespace {

using engine::dao::DaoError;
using engine::dao::guarded;
using engine::dao::Recordset;

ChannelRow readRow(const grid::GridModel& grid, int row) {
    std::optional<ChannelRow> r = ChannelRow::read(grid, row);
    if (!r) {
        // Such a cell cannot go into a condition; the lookup fails as Jet's would.
        throw DaoError(engine::jetError(engine::err::kTypeMismatch));
    }
    return std::move(*r);
}

int assignmentCount(Recordset& rs) {
    if (rs.eof())
        return 0;
    rs.moveLast();
    const int n = rs.recordCount();
    rs.moveFirst();
    return n;
}

void removeGridRow(grid::GridModel& grid, int row) {
    const engine::Status s =
        grid.dataRowCount() == 1 ? grid.setRows(grid.fixedRows()) : grid.removeItem(row);
    engine::dao::throwIfError(s);
}

// Deletes the channel's CHANNELS row of this frequency; false when that failed, also when
// there was no such row.
bool deleteChannel(app::App& app, const ChannelRow& row) {
    return guarded([&] {
               Recordset rs = db::openDynaset(app.db(), row.channelForDeleteSql());
               rs.deleteCurrent();
               rs.close();
           }) == 0;
}

}  // namespace

RowDeletion deleteChannelRow(app::App& app, int row) {
    grid::GridModel& grid = app.grid();
    const ChannelRow channel = readRow(grid, row);
    Recordset rs = db::openDynaset(app.db(), channel.assignmentsSql());
    const int count = assignmentCount(rs);
    if (count == 0) {
        rs.close();
        return RowDeletion::NoGroup;
    }
    if (count == 1) {
        rs.deleteCurrent();
        rs.close();
        if (!deleteChannel(app, channel)) {
            app.showMessage("ERROR", ports::MessageButtons::Ok);
            return RowDeletion::Kept;
        }
        removeGridRow(grid, row);
        return RowDeletion::Removed;
    }
    const std::string group =
        channel.loadedGroup.empty() ? channel.favorite : db::trimBlanks(channel.loadedGroup);
    for (; !rs.eof(); rs.moveNext()) {
        engine::dao::Field name = rs.field("FAVNAME");
        if (!name.isNull() && db::trimBlanks(name.text()) == group)
            rs.deleteCurrent();
    }
    rs.close();
    removeGridRow(grid, row);
    return RowDeletion::Removed;
}

void DeleteSelection(app::App& app) {
    if (app::refuseWhileReadOnly(app))
        return;
    if (app.state().MultiFavAdded) {
        app.showMessage(app.text(app::UiKey::msgDeleteAfterMultiFav), ports::MessageButtons::Ok);
        return;
    }
    grid::GridModel& grid = app.grid();
    // Only data rows count; a selection reaching into the header row starts below it.
    const int top = std::max(std::min(grid.row(), grid.rowSel()), grid.fixedRows());
    const int bottom = std::min(std::max(grid.row(), grid.rowSel()), grid.rows() - 1);
    const int n = bottom - top + 1;
    if (n <= 0)
        return;

    bool ask = n > 1;
    if (n == 1) {
        const ChannelRow channel = readRow(grid, top);
        Recordset rs = db::openDynaset(app.db(), channel.assignmentsSql());
        ask = assignmentCount(rs) == 1;
        rs.close();
    }
    if (ask) {
        const std::string question = app.text(app::UiKey::msgAskDeletePrefix2) + std::to_string(n) +
                                     app.text(app::UiKey::msgChannelsNoWayBack);
        if (app.showMessage(question, ports::MessageButtons::OkCancel) ==
            ports::MessageAnswer::Cancel) {
            return;
        }
    }

    // A removed row lets the next one move up to `t`; a row that stays is stepped over, so a
    // channel without assignments cannot hold up the rows below it.
    int t = top;
    bool withoutGroup = false;
    for (int pass = 0; pass < n && t < grid.rows(); ++pass) {
        const RowDeletion done = deleteChannelRow(app, t);
        if (done != RowDeletion::Removed)
            ++t;
        withoutGroup = withoutGroup || done == RowDeletion::NoGroup;
    }
    views::showDataRowCount(app, app::UiKey::txtChannels);
    if (withoutGroup)
        app.showMessage(app.text(app::UiKey::msgDeleteNoGroup), ports::MessageButtons::Ok);
}

void installDeleteSelection(app::App& app) {
    app.commands().install(app::command::kDeleteSelection, [&app] { DeleteSelection(app); });
    app.dispatcher()
        .on(app::kMainFormName, "Command9", form::EventKind::Click,
            [&app](const form::Event&) { DeleteSelection(app); })
        .keep();
}

}  // namespace velmora::core::favourites
