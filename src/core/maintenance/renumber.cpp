#include "core/maintenance/renumber.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/db/dynaset.h"
#include "core/favourites/channel_finder.h"
#include "core/favourites/save_question.h"
#include "core/maintenance/channel_number_limit.h"
#include "core/maintenance/number_record.h"
#include "core/ports/cursor_port.h"
#include "core/views/channel_list.h"
#include "engine/dao/dao_error.h"
#include "engine/store/hashed_ids.h"

namespace velmora::core::maintenance {

namespace {

using engine::dao::guarded;
using engine::dao::Recordset;
namespace col = views::channel_col;

// The channels stored on more than one frequency (Null frequencies not counted).
constexpr char kDuplicateCheck[] =
    "SELECT CHANNELS.SOURCEID, CHANNELS.SID, CHANNELS.NID, Count(CHANNELS.FREQUENCY) AS NUMB "
    "From CHANNELS GROUP BY CHANNELS.SOURCEID, CHANNELS.SID, CHANNELS.NID HAVING "
    "(((Count(CHANNELS.FREQUENCY))>1));";

// The fields of kChannelNumberSelect that make a channel's key, in the key's order: SID, NID,
// SOURCEID, FREQUENCY; the grid columns of the same texts.
constexpr int kKeyFields[] = {2, 3, 1, 4};
constexpr int kKeyColumns[] = {col::kSid, col::kNid, col::kSource, col::kFrequency};

bool allFiltersTicked(const app::App& app) {
    const views::ChannelFilter f = views::currentFilter(app);
    return f.tv && f.radio && f.encrypted && f.notEncrypted;
}

bool hasDuplicates(app::App& app) {
    Recordset rs = app.db().openRecordset(kDuplicateCheck, engine::dao::RecordsetType::Snapshot);
    const bool any = !rs.eof();
    rs.close();
    return any;
}

void appendKeyPart(std::string& key, std::string_view part) {
    key += part;
    key += '\t';  // only Source is text: the parts cannot run together
}

// The key of grid row `r`'s channel, in the order of kKeyColumns.
void keyOfRow(const grid::GridModel& grid, int r, std::string& key) {
    key.clear();
    for (int c : kKeyColumns)
        appendKeyPart(key, grid.textMatrix(r, c));
}

// The numbers of the grid's rows: 1, 2, 3, ... in the order of each channel's first row,
// where rows of one channel agree exactly in SID, NID, Source and FREQUENCY; and each
// channel's number by its key. The table holds only the numbers by the keys' hashes: a
// channel's key is made again from its first row, which the grid keeps, when a key of an
// equal hash asks. A table of the keys' bytes cost 2.5 MB over 32 767 channels, this 1.2 MB.
struct Numbering {
    engine::store::HashedIds numberOf;
    std::vector<int> firstRowOf;  // per number: its channel's first grid row (0 unused)
    std::vector<int> numbers;     // of every data row, the first at index 0
    int channels = 0;

    // The number of the channel of `key`, 0 when none; `scratch` takes the keys compared.
    int find(const grid::GridModel& grid, std::string_view key, uint64_t hash,
             std::string& scratch) const {
        for (const engine::store::HashedIds::Id number : numberOf.find(hash)) {
            keyOfRow(grid, firstRowOf[number], scratch);
            if (scratch == key)
                return static_cast<int>(number);
        }
        return 0;
    }
};

// std::nullopt when a row's key cells cannot name its channel (an empty SID, a frequency
// with a decimal comma): that row could not be stored.
std::optional<Numbering> numberRows(const grid::GridModel& grid) {
    const auto dataRows = static_cast<size_t>(std::max(0, grid.dataRowCount()));
    Numbering n;
    n.numberOf.reserve(dataRows);
    n.numbers.reserve(dataRows);
    n.firstRowOf.push_back(0);
    std::string key;
    std::string scratch;
    for (int r = grid.fixedRows(); r < grid.rows(); ++r) {
        if (!favourites::ChannelFinder::canFind(grid, r))
            return std::nullopt;
        keyOfRow(grid, r, key);
        const uint64_t hash = engine::store::HashedIds::hashOf(key);
        if (const int known = n.find(grid, key, hash, scratch); known != 0) {
            n.numbers.push_back(known);
            continue;
        }
        n.numberOf.insert(hash, static_cast<engine::store::HashedIds::Id>(++n.channels));
        n.firstRowOf.push_back(r);
        n.numbers.push_back(n.channels);
    }
    return n;
}

// Gives the record `rs` stands on the number `number`; false when storing failed.
bool storeNumber(Recordset& rs, int number) {
    const bool ok = guarded([&] { numberRecord(rs, 0, number); }) == 0;
    if (!ok && rs.editMode() != engine::dao::EditMode::None)
        rs.cancelUpdate();
    return ok;
}

// Stores every channel's number in its CHANNELS row; false when one could not be found or
// stored. The table is walked once, each record finding its number by its key as the grid
// shows it; a grid row whose cells no longer show the key of a record (changed since the
// list was loaded) is found on its own, by the statement that finds it for a save.
bool storeNumbers(app::App& app, const Numbering& n) {
    std::vector<bool> stored(static_cast<size_t>(n.channels) + 1, false);
    const grid::GridModel& grid = app.grid();
    Recordset rs = db::openDynaset(app.db(), favourites::kChannelNumberSelect);
    std::string key;
    std::string scratch;
    for (; !rs.eof(); rs.moveNext()) {
        key.clear();
        for (int k : kKeyFields)
            appendKeyPart(key, views::shownText(rs.field(k)));
        const int number = n.find(grid, key, engine::store::HashedIds::hashOf(key), scratch);
        if (number == 0)
            continue;  // not in the list: it keeps its number
        if (!storeNumber(rs, number))
            return false;
        stored[static_cast<size_t>(number)] = true;
    }
    rs.close();
    favourites::ChannelFinder finder(app.db());
    for (size_t i = 0; i < n.numbers.size(); ++i) {
        const int number = n.numbers[i];
        if (stored[static_cast<size_t>(number)])
            continue;
        Recordset* own = nullptr;  // the finder's set, kept for the next channel
        const int r = grid.fixedRows() + static_cast<int>(i);
        if (guarded([&] { own = finder.openChannel(grid, r); }) != 0 || !own || own->eof() ||
            !storeNumber(*own, number))
            return false;
    }
    return true;
}

}  // namespace

void ReNumber(app::App& app) {
    app::AppState& s = app.state();
    if (!views::channelListShown(app))
        return;
    // Every row would fail alike: say so once, with the reason, and number nothing.
    if (app::refuseWhileReadOnly(app))
        return;
    if (!favourites::askSaveQuestionOkCancel(app))
        return;
    s.FavDirty = false;
    s.MultiFavAdded = false;
    if (!allFiltersTicked(app)) {
        app.showMessage(app.text(app::UiKey::msgReNumberNoFilters), ports::MessageButtons::Ok);
        return;
    }
    if (hasDuplicates(app)) {
        app.showMessage(app.text(app::UiKey::msgReNumberNoDuplicates), ports::MessageButtons::Ok);
        return;
    }
    ports::WaitCursor busy(app.ports().cursor);
    grid::GridModel& grid = app.grid();
    const std::optional<Numbering> numbering = numberRows(grid);
    if (numbering && numbering->channels > kMaxChannelNumber) {
        busy.release();
        app.showMessage(tooManyChannelsMessage(numbering->channels), ports::MessageButtons::Ok);
        return;
    }
    // Every row is stored or none: a row left with its old number could share it with a
    // renumbered channel. The save agreed to above is committed first and stays.
    if (!app.commitPending())
        return;
    if (!numbering || !storeNumbers(app, *numbering)) {
        // Nothing of the numbering reaches the file; the grid still shows what it holds.
        app.db().rollback();
        busy.release();
        app.showMessage(app.text(app::UiKey::msgWriteError), ports::MessageButtons::Ok);
        return;
    }
    for (size_t i = 0; i < numbering->numbers.size(); ++i)
        (void)grid.setTextMatrix(grid.fixedRows() + static_cast<int>(i), col::kNum,
                                 std::to_string(numbering->numbers[i]));
}

void installReNumber(app::App& app) {
    app.commands().install(app::command::kReNumber, [&app] { ReNumber(app); });
    app.dispatcher()
        .on(app::kMainFormName, "Command8", form::EventKind::Click,
            [&app](const form::Event&) { ReNumber(app); })
        .keep();
}

}  // namespace velmora::core::maintenance
