// Awkward input through the commands the user types it into, over real demo files: every case
// either works or says why it cannot, and the file then differs from before in exactly the
// rows the command meant to change (every table compared as mdbtools reads it), passes
// velmora-db check, and reads back what was typed.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/editing/editing_session.h"
#include "core/favourites/channel_file.h"
#include "core/grid/virtual_keys.h"
#include "core/reliability/file_rows.h"
#include "core/views/channel_list.h"

namespace velmora::test {
namespace {

namespace col = core::views::channel_col;

// How mdb-export prints a text value: between double quotes, a double quote doubled.
std::string exported(const std::string& text) {
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

const std::string kLong(300, 'L');

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
            s.key(core::views::kTextEditor, core::grid::vk::kReturn);
        }
        for (const std::string& m : c.messages)
            s.ports().expectMessage({m, std::nullopt, std::nullopt, ports::MessageAnswer::Ok});
        s.click("Command7");
        s.ports().verify();
        EXPECT_EQ(s.ports().messages().size(), c.messages.size());
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

}  // namespace
}  // namespace velmora::test
