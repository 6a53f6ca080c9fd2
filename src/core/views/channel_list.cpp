#include "core/views/channel_list.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/main_window_events.h"
#include "core/app/user_input.h"
#include "core/db/sql_literal.h"
#include "core/db/statements.h"
#include "core/ports/cursor_port.h"
#include "core/views/view_entry.h"
#include "engine/base/blanks.h"
#include "engine/base/number_text.h"
#include "engine/dao/field.h"

namespace velmora::core::views {

namespace {

using app::FilterClick;

// Provider, NAME and FAVORITE share what the window's width leaves them.
void fitNameColumns(app::App& app, int windowWidth) {
    const auto widths = app::channelListNameWidths(windowWidth);
    for (int i = 0; i < 3; ++i) {
        (void)app.grid().setColWidth(channel_col::kProvider + i,
                                     widths[static_cast<std::size_t>(i)]);
    }
}
using engine::dao::LockType;
using engine::dao::RecordsetType;
namespace recordset_option = engine::dao::recordset_option;

constexpr std::size_t kFieldGroup = 4;     // FAVORITE
constexpr std::size_t kFieldPosition = 5;  // FNum
constexpr std::size_t kFieldVideoId = 6;   // VIDEOID

constexpr std::array<int, 12> kDesignWidths = {150, 450, 700, 1400, 2000, 1500, 500, 0, 0, 0, 0, 0};

using app::control::kChannelListButtons;
using app::control::kFilterBoxes;

grid::Rgb gridColor(form::Rgb c) {
    return grid::Rgb{c.red, c.green, c.blue};
}

engine::dao::Recordset openSnapshot(app::App& app, std::string_view sql) {
    return app.db().openRecordset(sql, RecordsetType::Snapshot, recordset_option::kInconsistent,
                                  LockType::Optimistic);
}

// A radio channel's VIDEOID shows 0; an empty cell (Null) is no number and no radio. A cell of
// digits alone is read by its digits; only another text (a sign, a point) goes to the number
// reader.
bool isRadioCell(std::string_view videoId) {
    if (!videoId.empty() && videoId.find_first_not_of("0123456789") == std::string_view::npos)
        return videoId.find_first_not_of('0') == std::string_view::npos;
    return engine::readNumber(videoId) == 0.0;
}

void toggle(app::App& app, const char* box) {
    form::Form& f = app.mainForm();
    app::setValueFromCode(f, app.dispatcher(), box, f.control(box).value == 0 ? 1 : 0);
}

// Fills the grid from the set. Each row keeps the group it was loaded with, as FAVOURITE
// stores it, as its row data: the save finds the assignment by it when the row was given
// another group. The grid takes its cells as views without blanks at either end: of a text
// where the record holds it, of a number's text in one string for that field from row to row.
void fillRows(app::App& app, engine::dao::Recordset& rs) {
    grid::GridModel& g = app.grid();
    const int n = rs.fields().count();
    const bool colour = app.state().ColorRadio;
    const grid::GridModel::ColumnsColor radioCells{channel_col::kNum, channel_col::kFNum,
                                                   gridColor(app::kRadioRowColor)};
    rs.moveFirst();
    std::vector<std::string> texts(static_cast<std::size_t>(n));
    std::vector<std::string_view> row(texts.size() + 1);  // column 0: the empty row marker
    while (!rs.eof()) {
        const std::span<const engine::store::Value> values = rs.currentValues();
        bool isRadio = false;
        std::string_view loadedGroup;
        for (std::size_t k = 0; k < values.size(); ++k) {
            const engine::store::Value& value = values[k];
            std::string_view& cell = row[k + 1];
            if (k == kFieldGroup && engine::store::isNull(value)) {
                loadedGroup = {};
                cell = kNoGroup;
                continue;
            }
            if (k == kFieldPosition && engine::store::isNull(value)) {
                cell = kNoPosition;
                continue;
            }
            std::string_view text;
            if (const auto* stored = std::get_if<std::string>(&value)) {
                text = *stored;
            } else {
                engine::dao::displayTextInto(value, texts[k]);
                text = texts[k];
            }
            cell = engine::trimmedView(text);
            if (k == kFieldGroup)
                loadedGroup = text;
            if (k == kFieldVideoId)
                isRadio = isRadioCell(cell);
        }
        (void)g.addRow(row, loadedGroup,
                       colour && isRadio ? std::optional(radioCells) : std::nullopt);
        rs.moveNext();
    }
}

void fillGroupLists(app::App& app) {
    std::vector<std::string> groups;
    engine::dao::Recordset rs = openSnapshot(app, db::kSelectFavName);
    while (!rs.eof()) {
        groups.push_back(db::trimBlanks(rs.field(0).text()));
        rs.moveNext();
    }
    rs.close();
    form::Form& f = app.mainForm();
    f.setItems("List4", {});
    f.setItems("List2", {});
    std::vector<std::string> withMarker = groups;
    withMarker.emplace_back(kNoGroup);
    const int last = static_cast<int>(withMarker.size()) - 1;
    f.setItems("List2", std::move(withMarker), last);
    f.setItems("List4", std::move(groups));
}

// Num and NAME take the text editor, FAVORITE the group list.
app::Editor channelListEditor(std::string_view header) {
    if (header == "NAME" || header == "Num")
        return app::Editor::Text;
    return header == "FAVORITE" ? app::Editor::GroupList : app::Editor::None;
}

// A right press in the data area opens the group list over the group column.
app::Editor groupColumnEditor(std::string_view header) {
    return header == "FAVORITE" ? app::Editor::GroupList : app::Editor::None;
}

// A channel in several groups shows in one row per group, but its number and name are the
// channel's: an edit of either goes into every row of the same CHANNELS row (source, SID,
// NID, frequency), so the save, which writes the channel once per row, stores what was typed.
void showInEveryRowOfTheChannel(app::App& app, int row, int col) {
    if (col != channel_col::kNum && col != channel_col::kName)
        return;
    grid::GridModel& g = app.grid();
    const std::string text(g.textMatrix(row, col));
    auto sameChannel = [&](int other) {
        for (int key : {channel_col::kSource, channel_col::kSid, channel_col::kNid,
                        channel_col::kFrequency}) {
            if (g.textMatrix(other, key) != g.textMatrix(row, key))
                return false;
        }
        return true;
    };
    for (int r = g.fixedRows(); r < g.rows(); ++r) {
        if (r != row && sameChannel(r))
            (void)g.setTextMatrix(r, col, text);
    }
}

// Re-enables the grid's drawing however the load ends.
struct RedrawOff {
    grid::GridModel& grid;
    explicit RedrawOff(grid::GridModel& g) : grid(g) { grid.setRedraw(false); }
    ~RedrawOff() { grid.setRedraw(true); }
};

}  // namespace

std::string shownText(const engine::dao::Field& field) {
    return engine::trimBlanks(field.text());
}

ChannelFilter currentFilter(const app::App& app) {
    const form::Form& f = app.mainForm();
    return ChannelFilter{f.control(kCheckTv).value != 0, f.control(kCheckRadio).value != 0,
                         f.control(kCheckEncrypted).value != 0,
                         f.control(kCheckNotEncrypted).value != 0};
}

void showChannelListControls(app::App& app, bool channelList) {
    form::Form& f = app.mainForm();
    for (const char* box : kFilterBoxes) {
        f.setVisible(box, channelList);
    }
    for (const char* button : kChannelListButtons) {
        f.setEnabled(button, channelList);
    }
}

bool channelListShown(const app::App& app) {
    return currentView(app).showsChannelListControls;
}

void LoadChannelList(app::App& app) {
    app::AppState& s = app.state();
    if (!app.askSaveQuestion()) {
        UndoFilterClick(app);
        return;
    }
    s.FavDirty = false;
    s.MultiFavAdded = false;
    s.PendingFilterClick = FilterClick::None;
    ports::WaitCursor busy(app.ports().cursor);

    const std::string sql = channelListStatement(currentFilter(app));
    engine::dao::Recordset rs = openSnapshot(app, sql);
    const int n = rs.fields().count();

    grid::GridModel& g = app.grid();
    RedrawOff redrawOff(g);
    std::vector<std::string> captions{""};
    for (int k = 0; k < n; ++k) {
        captions.push_back(rs.field(k).name());
    }
    (void)g.setRows(1);
    (void)g.setHeader(captions, grid::CellAlignment::LeftCenter);
    for (int col = 0; col < g.cols() && col < static_cast<int>(kDesignWidths.size()); ++col) {
        (void)g.setColWidth(col, kDesignWidths[static_cast<std::size_t>(col)]);
    }

    form::Form& f = app.mainForm();
    const int windowWidth = f.geometry().width;
    f.update(app::control::kMainGrid,
             [&](form::Control& c) { c.rect.width = windowWidth - app::kDesignWidth + 6975; });
    fitNameColumns(app, windowWidth);
    (void)g.setCols(n + 1);
    (void)g.setRows(1);

    if (!rs.eof()) {
        rs.moveLast();
        f.setCaption("Label1",
                     std::to_string(rs.recordCount()) + app.text(app::UiKey::txtChannels));
        g.reserveRows(g.rows() + rs.recordCount());
        fillRows(app, rs);
    }
    // The set's copy of the rows goes before the sort needs room of its own.
    rs.close();
    if (g.dataRowCount() > 0) {
        (void)g.setCol(channel_col::kNum);
        g.sortGenericAscending();
    }

    fillGroupLists(app);
    enterView(app, app::kViewChannelList);
}

void UndoFilterClick(app::App& app) {
    app::AppState& s = app.state();
    switch (s.PendingFilterClick) {
        case FilterClick::None:
            break;
        case FilterClick::Tv:
            toggle(app, kCheckTv);
            break;
        case FilterClick::Radio:
            toggle(app, kCheckRadio);
            break;
        case FilterClick::Encrypted:
            toggle(app, kCheckEncrypted);
            break;
        case FilterClick::NotEncrypted:
            toggle(app, kCheckNotEncrypted);
            break;
        case FilterClick::TvRadioPair:
            toggle(app, kCheckTv);
            toggle(app, kCheckRadio);
            break;
        case FilterClick::EncryptionPair:
            toggle(app, kCheckEncrypted);
            toggle(app, kCheckNotEncrypted);
            break;
    }
    s.PendingFilterClick = FilterClick::None;
}

void filterClick(app::App& app, const std::string& box) {
    app::AppState& s = app.state();
    if (s.PendingFilterClick != FilterClick::None) {
        return;
    }
    struct Pair {
        const char* box;
        const char* partner;
        FilterClick code;
        FilterClick pairCode;
    };
    static const Pair kPairs[] = {
        {kCheckTv, kCheckRadio, FilterClick::Tv, FilterClick::TvRadioPair},
        {kCheckRadio, kCheckTv, FilterClick::Radio, FilterClick::TvRadioPair},
        {kCheckEncrypted, kCheckNotEncrypted, FilterClick::Encrypted, FilterClick::EncryptionPair},
        {kCheckNotEncrypted, kCheckEncrypted, FilterClick::NotEncrypted,
         FilterClick::EncryptionPair},
    };
    const Pair* pair = nullptr;
    for (const Pair& p : kPairs) {
        if (box == p.box) {
            pair = &p;
        }
    }
    if (pair == nullptr) {
        return;
    }
    form::Form& f = app.mainForm();
    if (f.control(pair->box).value != 0 || f.control(pair->partner).value != 0) {
        s.PendingFilterClick = pair->code;
    } else {
        // Ticking the partner is itself a click on it, handled (and reloading) at once.
        app::setValueFromCode(f, app.dispatcher(), pair->partner, 1);
        s.PendingFilterClick = pair->pairCode;
    }
    LoadChannelList(app);
}

void installChannelList(app::App& app) {
    app.commands().install(app::command::kLoadChannelList, [&app] { LoadChannelList(app); });
    app.views().add(app::ViewDescription{
        .name = app::kViewChannelList,
        .doubleClickEditor = channelListEditor,
        .rightPressEditor = groupColumnEditor,
        .popup = {{app::UiKey::txtDelete, app::command::kDeleteSelection},
                  {app::UiKey::txtAddNew, app::command::kAddNewRestricted}},
        .popupOnRightPress = true,
        .deleteCommand = app::command::kDeleteSelection,
        .edits = app::EditStore::KeptForSave,
        .cellWriter = {},
        .showsChannelListControls = true,
        .buildCommand = app::command::kLoadChannelList,
        .fitColumnsToWidth = fitNameColumns,
        .columnsSharingTheWindow = {channel_col::kProvider, channel_col::kName,
                                    channel_col::kFavorite},
        .spreadKeptEdit = showInEveryRowOfTheChannel,
    });
    form::Dispatcher& d = app.dispatcher();
    d.on(app::kMainFormName, "Command3", form::EventKind::Click, [&app](const form::Event&) {
         LoadChannelList(app);
     }).keep();
    for (const char* box : kFilterBoxes) {
        const std::string name = box;
        d.on(app::kMainFormName, name, form::EventKind::Click, [&app, name](const form::Event&) {
             filterClick(app, name);
         }).keep();
    }
}

}  // namespace velmora::core::views
