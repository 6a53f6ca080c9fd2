#include "core/favourites/save_fav_channels.h"

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/db/sql_literal.h"
#include "core/favourites/channel_finder.h"
#include "core/favourites/channel_row.h"
#include "core/favourites/save_question.h"
#include "core/ports/cursor_port.h"
#include "core/views/channel_list.h"
#include "engine/base/number_text.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::favourites {

namespace {

using engine::dao::guarded;
using engine::dao::Recordset;
using engine::dao::RecordsetType;

// The rows a save looks up for each grid row, through statements parsed once per save. One
// that could not be prepared fails its part of every row, as its statement would have.
struct SaveFinders {
    std::optional<ChannelFinder> channels;
    std::optional<AssignmentFinder> assignments;

    explicit SaveFinders(engine::dao::Database& db) {
        (void)guarded([&] { channels.emplace(db, kChannelSaveSelect); });
        (void)guarded([&] { assignments.emplace(db); });
    }
};

// Whether the channel has an assignment to the row's own group already; nullopt when the
// lookup failed.
std::optional<bool> inOwnGroupAlready(SaveFinders& finders, const ChannelRow& row) {
    bool found = false;
    if (!finders.assignments ||
        guarded([&] { found = !finders.assignments->openAssignment(row, row.favorite).eof(); }) !=
            0)
        return std::nullopt;
    return found;
}

// Stores the row's assignment; false when looking it up, adding, changing or deleting it
// failed. Once stored, the row's data names the group it is now stored in.
//
// A row is looked up in the group it was loaded with, so a row given another group moves
// that assignment and a row given "ZZZZ" deletes it. A row moved into a group its channel is
// in already (another row shows it) leaves its old group only, so the channel is not in one
// group twice. A row loaded without a group, or added by an add-mode drop, is looked up in
// its own group and added to it when it is not there. A row still in the group it was
// loaded with whose assignment is gone adds nothing: the assignment is the channel's, shown
// in the rows of each of its frequencies, and another of those rows moved or deleted it.
bool storeAssignment(app::App& app, SaveFinders& finders, const ChannelRow& row, int gridRow) {
    const bool noGroup = row.favorite == views::kNoGroup;
    const bool loaded = !row.loadedGroup.empty();
    const bool moved = loaded && db::trimBlanks(row.loadedGroup) != db::trimBlanks(row.favorite);
    bool inTargetAlready = false;
    if (moved && !noGroup) {
        const std::optional<bool> found = inOwnGroupAlready(finders, row);
        if (!found)
            return false;
        inTargetAlready = *found;
    }
    const std::string& group = loaded ? row.loadedGroup : row.favorite;
    Recordset* rs = nullptr;  // the finder's set, kept for the next row
    if (!finders.assignments ||
        guarded([&] { rs = &finders.assignments->openAssignment(row, group); }) != 0) {
        return false;
    }
    bool ok = true;
    if (!rs->eof()) {
        if (noGroup || inTargetAlready) {
            ok = rs->tryDeleteCurrent() == 0;
        } else {
            const int number = guarded([&] {
                rs->edit();
                rs->field("FAVNAME").setValue(row.favorite);
                rs->field("NUM").setValue(row.fnum);
                rs->update();
            });
            ok = number == 0;
            if (!ok && rs->editMode() != engine::dao::EditMode::None) {
                rs->cancelUpdate();
            }
        }
    } else if (!noGroup && !inTargetAlready && (moved || !loaded)) {
        ok = guarded([&] {
                 rs->addNew();
                 rs->field("FAVNAME").setValue(row.favorite);
                 rs->field("SOURCEID").setValue(row.source);
                 rs->field("SID").setValue(row.sid);
                 rs->field("NID").setValue(row.nid);
                 rs->field("NUM").setValue(row.fnum);
                 rs->update();
             }) == 0;
        if (!ok && rs->editMode() != engine::dao::EditMode::None) {
            rs->cancelUpdate();
        }
    }
    if (ok)
        engine::dao::throwIfError(app.grid().setRowData(gridRow, noGroup ? "" : row.favorite));
    return ok;
}

// Writes the channel's number and name to its CHANNELS row; false when that failed.
//
// The grid shows names without their surrounding blanks, so a name the user did not change
// is the stored one trimmed; it keeps its stored spelling (and a Null stays Null). Written
// as shown, "(empty) " (an ordinary channel) would become "(empty)", which Delete empty
// channels removes.
bool storeChannel(SaveFinders& finders, const ChannelRow& row) {
    Recordset* rs = nullptr;  // the finder's set, kept for the next row
    if (!finders.channels || guarded([&] { rs = &finders.channels->openChannel(row); }) != 0) {
        return false;
    }
    const bool ok = guarded([&] {
                        rs->edit();
                        rs->field("CHANNELNUM").setValue(row.num);
                        engine::dao::Field name = rs->field("NAME");
                        if (db::trimBlanks(name.text()) != row.name)
                            name.setValue(row.name);
                        rs->update();
                    }) == 0;
    if (!ok && rs->editMode() != engine::dao::EditMode::None) {
        rs->cancelUpdate();
    }
    return ok;
}

// The channel list shows group names trimmed, so a group stored as "Weekend " appears as
// "Weekend". Looked up or added under the shown spelling, such a group's assignments would be
// missed on every save and added again under a name FAVNAME does not hold. This maps each
// shown spelling back to the stored one; names without surrounding blanks are not in it.
std::map<std::string, std::string> storedGroupSpellings(app::App& app) {
    std::map<std::string, std::string> spellings;
    // Without a readable FAVNAME there is nothing to map; the rows are stored as shown.
    (void)guarded([&] {
        Recordset rs = app.db().openRecordset("SELECT * FROM FAVNAME", RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext()) {
            engine::dao::Field name = rs.field(0);
            if (name.isNull())
                continue;
            const std::string stored = name.text();
            std::string shown = db::trimBlanks(stored);
            if (shown.empty())
                continue;
            if (shown != stored)
                spellings.emplace(std::move(shown), stored);
        }
        rs.close();
    });
    return spellings;
}

// A channel's number as a number: Long as stored, any other type through its text.
std::optional<double> channelNumber(const engine::dao::Field& field) {
    if (field.isNull())
        return std::nullopt;
    const engine::store::Value value = field.value();
    if (const auto* whole = std::get_if<int64_t>(&value))
        return static_cast<double>(*whole);
    return engine::readNumber(field.text());
}

}  // namespace

// n channels run 1, 2, 3, ... when each of the numbers 1 to n is there once. Marking them
// off takes one pass over the table, where sorting the numbers first would take n log n.
bool channelNumbersSubsequent(app::App& app) {
    Recordset rs =
        app.db().openRecordset("SELECT CHANNELNUM FROM CHANNELS", RecordsetType::Snapshot);
    bool subsequent = true;
    if (!rs.eof()) {
        rs.moveLast();
        const int n = rs.recordCount();
        rs.moveFirst();
        std::vector<bool> seen(static_cast<size_t>(n) + 1, false);
        for (; subsequent && !rs.eof(); rs.moveNext()) {
            const std::optional<double> number = channelNumber(rs.field(0));
            const bool inRange =
                number && *number >= 1 && *number <= n && *number == std::floor(*number);
            subsequent = inRange && !seen[static_cast<size_t>(*number)];
            if (subsequent)
                seen[static_cast<size_t>(*number)] = true;
        }
    }
    rs.close();
    return subsequent;
}

void SaveFavChannels(app::App& app) {
    // Every row would fail the same way: say so once, and why, before touching any.
    if (app::refuseWhileReadOnly(app))
        return;
    ports::WaitCursor busy(app.ports().cursor);
    const std::map<std::string, std::string> spellings = storedGroupSpellings(app);
    const grid::GridModel& grid = app.grid();
    SaveFinders finders(app.db());
    for (int i = grid.fixedRows(); i < grid.rows(); ++i) {
        // A row whose identity cells are not numbers gets no statement: it fails as a row.
        std::optional<ChannelRow> row = ChannelRow::read(grid, i);
        bool ok = row.has_value() && isNumberText(row->num);
        if (ok) {
            if (auto it = spellings.find(row->favorite); it != spellings.end())
                row->favorite = it->second;
            ok = storeAssignment(app, finders, *row, i);
            ok = storeChannel(finders, *row) && ok;
        }
        if (!ok) {
            app.showMessage(app.text(app::UiKey::msgWriteError), ports::MessageButtons::Ok);
        }
    }
    app.state().FavDirty = false;
    if (!channelNumbersSubsequent(app)) {
        app.showMessage(app.text(app::UiKey::msgNumbersNotSubsequent), ports::MessageButtons::Ok,
                        ports::MessageIcon::Information);
    }
}

void installSaveFavChannels(app::App& app) {
    app.commands().install(app::command::kSaveFavChannels, [&app] { SaveFavChannels(app); });
    // The save question's Yes runs this save, so it is installed with it.
    installSaveQuestion(app);
    app.dispatcher()
        .on(app::kMainFormName, "Command7", form::EventKind::Click,
            [&app](const form::Event&) { SaveFavChannels(app); })
        .keep();
}

}  // namespace velmora::core::favourites
