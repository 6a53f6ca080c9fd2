// Bad input under the maintenance commands (bad_input.h): awkward channel names through
// "Delete SpecialChars" and the duplicates view's Delete.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/grid/virtual_keys.h"
#include "core/maintenance/delete_special_chars.h"
#include "core/reliability/bad_input.h"
#include "support/editing_session.h"
#include "support/file_rows.h"

namespace velmora::test {
namespace {

// The demo file with every name already clean, and the channel stored on several frequencies
// that comes first named `name` on every one of its rows.
std::string writeNamedDuplicateFile(const std::filesystem::path& path, const std::string& name) {
    namespace cc = demo::channels_col;
    return writeDemoFile(path, [&](demo::DemoDatabase& content) {
        std::vector<engine::store::Row>& rows = content.tables[0].rows;
        std::map<std::string, int> frequencies;
        auto key = [](const engine::store::Row& row) {
            return std::get<std::string>(row[cc::kSourceId]) + "/" +
                   std::to_string(std::get<int64_t>(row[cc::kSid])) + "/" +
                   std::to_string(std::get<int64_t>(row[cc::kNid]));
        };
        for (engine::store::Row& row : rows) {
            ++frequencies[key(row)];
            if (const auto* text = std::get_if<std::string>(&row[cc::kName]))
                row[cc::kName] = core::maintenance::withoutSpecialChars(*text);
        }
        std::string chosen;
        for (const engine::store::Row& row : rows) {
            if (frequencies[key(row)] > 1) {
                chosen = key(row);
                break;
            }
        }
        ASSERT_FALSE(chosen.empty()) << "the demo has no channel on two frequencies";
        for (engine::store::Row& row : rows) {
            if (key(row) == chosen)
                row[cc::kName] = engine::store::Value(name);
        }
    });
}

// "Delete SpecialChars" changes exactly the names holding † or ‡ or blanks at their ends (and
// nothing else of them); then the duplicates view lists the channel under its name, whole, and
// its Delete takes exactly the row chosen.
TEST(BadInput, MaintenanceOverAwkwardNames) {
    VELMORA_REQUIRE_READERS();
    struct Case {
        const char* what;
        std::string name;
        std::string cleaned;  // the name after Delete SpecialChars
    };
    const std::vector<Case> cases = {
        {"quotes and brackets", "It's \"[x]\"", "It's \"[x]\""},
        {"wildcards, hash and a tab", "*%#\t?", "*%#\t?"},
        {"a line break between daggers", "\u2020News\r\nLive\u2021 ", "News\r\nLive"},
        {"Greek between daggers", "\u2020\u0395\u03bb\u03bb\u03ac\u03b4\u03b1\u2021",
         "\u0395\u03bb\u03bb\u03ac\u03b4\u03b1"},
        {"Cyrillic with blanks", "  \u041d\u043e\u0432\u043e\u0441\u0442\u0438 ",
         "\u041d\u043e\u0432\u043e\u0441\u0442\u0438"},
        {"a keyword", "Select", "Select"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        const std::string file = writeNamedDuplicateFile(s.folder() / "channels.mdb", c.name);
        const FileRows before = fileRows(file);
        const int named = countHolding(before.at("CHANNELS"), exported(c.name));
        ASSERT_GT(named, 1);
        ASSERT_TRUE(s.startOn(file));

        s.ports().expectMessage(ports::MessageAnswer::Ok);  // the question
        s.click("Command5");
        s.ports().verify();
        const FileRows cleaned = fileRows(file);
        RowChanges changes = rowChanges(before, cleaned);
        if (c.cleaned == c.name) {
            EXPECT_TRUE(changes.empty()) << describe(changes);
        } else {
            ASSERT_EQ(changes.came.size(), 1u) << describe(changes);
            EXPECT_EQ(countHolding(changes.gone["CHANNELS"], exported(c.name)), named)
                << describe(changes);
            EXPECT_EQ(countHolding(changes.came["CHANNELS"], exported(c.cleaned)), named)
                << describe(changes);
            EXPECT_EQ(changes.came["CHANNELS"].size(), static_cast<std::size_t>(named));
        }

        s.click("Command15");
        ASSERT_EQ(s.app().state().CurrentView, "Duplicates");
        int row = 1;
        while (row < s.grid().rows() && s.cell(row, 2) != c.cleaned)
            ++row;
        ASSERT_LT(row, s.grid().rows()) << "the name is not one whole cell";
        s.grid().userSelectCell(row, 2, false);
        s.ports().expectMessage(ports::MessageAnswer::Ok);  // the question
        s.grid().raiseKeyUp(core::grid::vk::kDelete, 0);
        s.ports().verify();
        s.app().db().close();

        expectFileChecks(file);
        changes = rowChanges(cleaned, fileRows(file));
        changes.came.erase("FREQDUPS");  // the view's own scratch table
        changes.gone.erase("FREQDUPS");
        EXPECT_TRUE(changes.came.empty()) << describe(changes);
        ASSERT_EQ(changes.gone.size(), 1u) << describe(changes);
        ASSERT_EQ(changes.gone.count("CHANNELS"), 1u) << describe(changes);
        ASSERT_EQ(changes.gone.at("CHANNELS").size(), 1u) << describe(changes);
        EXPECT_EQ(countHolding(changes.gone.at("CHANNELS"), exported(c.cleaned)), 1)
            << describe(changes);
    }
}

}  // namespace
}  // namespace velmora::test
