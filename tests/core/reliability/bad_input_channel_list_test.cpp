// Bad input in the channel list (bad_input.h): names and numbers typed and saved, and a
// channel stored without one of the cells that name its row.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/db/sql_literal.h"
#include "core/grid/virtual_keys.h"
#include "core/reliability/bad_input.h"
#include "core/views/channel_list.h"
#include "support/editing_session.h"
#include "support/file_rows.h"

namespace velmora::test {
namespace {

namespace col = core::views::channel_col;

// Names and numbers typed into the channel list's NAME and Num cells, then "Save Fav.
// Channels". NAME is Text(50): a longer name fails as a row. Every other row is saved as the
// grid shows it, and a name shown trimmed keeps the blanks it is stored with.
TEST(BadInput, ChannelListCellsSaved) {
    VELMORA_REQUIRE_READERS();
    struct Case {
        const char* what;
        int column;
        std::string typed;
        std::optional<std::string> stored;  // the CHANNELS value then; none: nothing changes
        std::vector<std::string> messages;  // what the user is told, in order
    };
    const std::string writeError = "ERROR writing to database";
    const std::vector<Case> cases = {
        {"apostrophes", col::kName, "Rock'n'Roll 'Radio'", "Rock'n'Roll 'Radio'", {}},
        {"double quotes", col::kName, "Say \"Hi\"", "Say \"Hi\"", {}},
        {"brackets", col::kName, "[ARD] (HD) {x}", "[ARD] (HD) {x}", {}},
        {"wildcards and hash", col::kName, "Sky*Sport %1 #2 ?", "Sky*Sport %1 #2 ?", {}},
        {"a tab", col::kName, "News\tLive", "News\tLive", {}},
        {"a line break", col::kName, "News\r\nLive", "News\r\nLive", {}},
        {"blanks at both ends", col::kName, "  ZDF neo  ", "  ZDF neo  ", {}},
        {"300 characters", col::kName, kLong, std::nullopt, {writeError}},
        {"Greek", col::kName, "Ελληνική Τηλεόραση", "Ελληνική Τηλεόραση", {}},
        {"Cyrillic", col::kName, "Первый канал", "Первый канал", {}},
        {"an SQL piece", col::kName, "x' OR '1'='1", "x' OR '1'='1", {}},
        {"an empty number", col::kNum, "", std::nullopt, {writeError}},
        {"letters as number", col::kNum, "abc", std::nullopt, {writeError}},
        {"a number with letters", col::kNum, "12abc", std::nullopt, {writeError}},
        {"SQL as number", col::kNum, "1 OR 1=1", std::nullopt, {writeError}},
        // Not editable, but a cell the grid was given: the group number of an assignment.
        {"letters as group number", col::kFNum, "abc", std::nullopt, {writeError}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        const std::string file = writeDemoFile(s.folder() / "channels.mdb");
        const FileRows before = fileRows(file);
        ASSERT_TRUE(s.startOn(file));
        // The first row that has a group: every cell of it reaches the file.
        int row = 1;
        while (row < s.grid().rows() && s.cell(row, col::kFavorite) == "ZZZZ")
            ++row;
        ASSERT_LT(row, s.grid().rows());
        if (c.column == col::kFNum) {
            ASSERT_TRUE(s.grid().setTextMatrix(row, c.column, c.typed).isOk());
            s.app().state().FavDirty = true;
        } else {
            s.dblClick(row, c.column);
            s.type(c.typed);
            s.key(core::app::control::kTextEditor, core::grid::vk::kReturn);
        }
        for (const std::string& m : c.messages)
            s.ports().expectMessage({m, std::nullopt, std::nullopt, ports::MessageAnswer::Ok});
        s.click("Command7");
        s.ports().verify();
        EXPECT_EQ(s.ports().messages().size(), c.messages.size());
        if (c.stored && c.column == col::kName) {
            // Read again, the name is one whole cell of its row (shown trimmed).
            s.click("Command3");
            EXPECT_GT(s.rowOf(core::db::trimBlanks(*c.stored), col::kName), 0);
        }
        s.app().db().close();

        expectFileChecks(file);
        const RowChanges changes = rowChanges(before, fileRows(file));
        if (!c.stored) {
            EXPECT_TRUE(changes.empty()) << describe(changes);
            continue;
        }
        ASSERT_EQ(changes.gone.size(), 1u) << describe(changes);
        ASSERT_EQ(changes.came.size(), 1u) << describe(changes);
        ASSERT_EQ(changes.came.count("CHANNELS"), 1u) << describe(changes);
        ASSERT_EQ(changes.came.at("CHANNELS").size(), 1u) << describe(changes);
        EXPECT_NE(changes.came.at("CHANNELS")[0].find("," + exported(*c.stored) + ","),
                  std::string::npos)
            << describe(changes);
    }
}

// A channel stored without SID, NID or FREQUENCY (possible where CHANNELS has no primary
// key) shows an empty cell. No statement can name a row without SID or NID: every channel
// command that writes rows reports it, and ReNumber then numbers no row at all. A row without
// FREQUENCY is found as "FREQUENCY Is Null" and stored like any other. The file stays sound.
TEST(BadInput, ChannelWithAnEmptyKeyCell) {
    VELMORA_REQUIRE_READERS();
    namespace cc = demo::channels_col;
    struct Case {
        const char* what;
        std::size_t emptied;  // the CHANNELS column stored as Null
        const char* button;
        std::vector<std::string> messages;
    };
    const std::string writeError = "ERROR writing to database";
    const std::vector<Case> cases = {
        {"Save without SID", cc::kSid, "Command7", {writeError}},
        {"Save without NID", cc::kNid, "Command7", {writeError}},
        {"Save without FREQUENCY", cc::kFrequency, "Command7", {}},
        {"ReNumber without SID", cc::kSid, "Command8", {writeError}},
        {"ReNumber without FREQUENCY", cc::kFrequency, "Command8", {}},
        {"Delete Selection without NID", cc::kNid, "Command9", {"Error 3464"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        const std::string file =
            writeDemoFile(s.folder() / "channels.mdb", [&](demo::DemoDatabase& content) {
                demo::DemoTable& channels = content.tables[0];
                channels.schema = demo::channelsSchema(false);
                // One row per channel (ReNumber refuses channels on several frequencies),
                // numbered 1, 2, 3, ... in stored order; the first channel loses the cell.
                std::vector<engine::store::Row> kept;
                std::set<std::string> seen;
                for (engine::store::Row& row : channels.rows) {
                    const std::string key = std::get<std::string>(row[cc::kSourceId]) + "/" +
                                            std::to_string(std::get<int64_t>(row[cc::kSid])) + "/" +
                                            std::to_string(std::get<int64_t>(row[cc::kNid]));
                    if (!seen.insert(key).second)
                        continue;
                    row[cc::kChannelNum] = engine::store::Value(int64_t(kept.size() + 1));
                    kept.push_back(std::move(row));
                }
                kept[0][c.emptied] = engine::store::Value();
                channels.rows = std::move(kept);
            });
        const FileRows before = fileRows(file);
        ASSERT_TRUE(s.startOn(file));
        int row = 1;
        while (row < s.grid().rows() && !s.cell(row, col::kSid + int(c.emptied == cc::kNid) +
                                                         2 * int(c.emptied == cc::kFrequency))
                                             .empty())
            ++row;
        ASSERT_LT(row, s.grid().rows());
        s.grid().userSelectCell(row, col::kName, false);
        for (std::size_t m = 0; m < c.messages.size(); ++m)
            s.ports().expectMessage(ports::MessageAnswer::Ok);
        s.click(c.button);
        s.ports().verify();
        ASSERT_EQ(s.ports().messages().size(), c.messages.size());
        for (std::size_t m = 0; m < c.messages.size(); ++m)  // the first line says it
            EXPECT_EQ(
                s.ports().messages()[m].text.substr(0, s.ports().messages()[m].text.find('\r')),
                c.messages[m]);
        s.app().db().close();
        expectFileChecks(file);
        const RowChanges changes = rowChanges(before, fileRows(file));
        EXPECT_TRUE(changes.empty()) << describe(changes);
    }
}

}  // namespace
}  // namespace velmora::test
