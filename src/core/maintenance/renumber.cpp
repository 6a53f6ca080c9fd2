#include "core/maintenance/renumber.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/db/dynaset.h"
#include "core/favourites/channel_finder.h"
#include "core/favourites/save_question.h"
#include "core/maintenance/channel_number_limit.h"
#include "core/ports/cursor_port.h"
#include "core/views/channel_list.h"
#include "engine/dao/dao_error.h"
#include "engine/store/keyed_ids.h"

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

// The number of every data row (index 0 for the first): 1, 2, 3, ... in the order of each
// channel's first row, where rows of one channel agree exactly in SID, NID, Source and
// FREQUENCY.
std::vector<int> channelNumbers(const grid::GridModel& grid) {
    const auto dataRows = static_cast<size_t>(std::max(0, grid.rows() - grid.fixedRows()));
    // One flat table with the keys in one buffer: a node and a key of its own per channel
    // cost more than the numbering itself.
    engine::store::KeyedIds numberOf;
    numberOf.reserve(dataRows);
    std::vector<int> numbers;
    numbers.reserve(dataRows);
    std::string key;
    int channels = 0;
    for (int r = grid.fixedRows(); r < grid.rows(); ++r) {
        key.clear();
        for (int c : {col::kSid, col::kNid, col::kSource, col::kFrequency}) {
            key += grid.textMatrix(r, c);
            key += '\t';  // only Source is text: the keys cannot run together
        }
        const std::span<const engine::store::RowId> known = numberOf.find(key);
        if (!known.empty()) {
            numbers.push_back(static_cast<int>(known.front()));
            continue;
        }
        numberOf.insert(key, static_cast<engine::store::RowId>(++channels));
        numbers.push_back(channels);
    }
    return numbers;
}

// Shows `number` in grid row `r` and stores it in the row's CHANNELS row; false when storing
// failed. Both happen in one visit of the row, since a long list does not stay in the cache
// between two passes over it.
bool showAndStoreNumber(app::App& app, favourites::ChannelFinder& finder, int r, int number) {
    (void)app.grid().setTextMatrix(r, col::kNum, std::to_string(number));
    std::optional<Recordset> rs;
    // The same row as the statement that finds it for deleting it: number, key, nothing else.
    if (guarded([&] { rs = finder.openChannel(app.grid(), r); }) != 0 || !rs)
        return false;
    const bool ok = guarded([&] {
                        rs->edit();
                        rs->field(0).setNumber(number);
                        rs->update();
                    }) == 0;
    if (!ok && rs->editMode() != engine::dao::EditMode::None)
        rs->cancelUpdate();
    rs->close();
    return ok;
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
    const std::vector<int> numbers = channelNumbers(grid);
    const int channels = numbers.empty() ? 0 : *std::max_element(numbers.begin(), numbers.end());
    if (channels > kMaxChannelNumber) {
        busy.release();
        app.showMessage(tooManyChannelsMessage(channels), ports::MessageButtons::Ok);
        return;
    }
    // Every row is stored or none: a row left with its old number could share it with a
    // renumbered channel. The save agreed to above is committed first and stays.
    if (!app.commitPending())
        return;
    favourites::ChannelFinder finder(app.db());
    std::vector<std::string> shownBefore;
    shownBefore.reserve(numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const int r = grid.fixedRows() + static_cast<int>(i);
        shownBefore.emplace_back(grid.textMatrix(r, col::kNum));
        if (showAndStoreNumber(app, finder, r, numbers[i]))
            continue;
        // Nothing of the numbering reaches the file, and the grid shows what the file holds.
        app.db().rollback();
        for (std::size_t k = 0; k < shownBefore.size(); ++k)
            (void)grid.setTextMatrix(grid.fixedRows() + static_cast<int>(k), col::kNum,
                                     shownBefore[k]);
        busy.release();
        app.showMessage(app.text(app::UiKey::msgWriteError), ports::MessageButtons::Ok);
        return;
    }
}

void installReNumber(app::App& app) {
    app.commands().install(app::command::kReNumber, [&app] { ReNumber(app); });
    app.dispatcher()
        .on(app::kMainFormName, "Command8", form::EventKind::Click,
            [&app](const form::Event&) { ReNumber(app); })
        .keep();
}

}  // namespace velmora::core::maintenance
