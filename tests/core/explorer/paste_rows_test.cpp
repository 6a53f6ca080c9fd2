// Paste in the table view, in whole sessions over a real demo file: how the clipboard's lines
// and pieces become records of SETTINGS (SETTING Text(50) primary key, SETTINGVALUE
// Text(255), CHANGED Date, ACTIVE Yes/No, FACTOR Double, NOTE Memo), what the grid shows
// afterwards, and that the file stays sound for other readers.
#include "core/explorer/paste_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "support/explorer_session.h"

namespace velmora::test {
namespace {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

// Field values by name, as Field::text() gives them.
using Values = std::map<std::string, std::string>;

// The record of SETTINGS with key `key`, or an empty map when there is none.
Values storedSetting(core::app::App& app, const std::string& key) {
    engine::dao::Recordset rs =
        app.db().openRecordset("SELECT * FROM SETTINGS WHERE SETTING = '" + key + "'");
    Values values;
    if (rs.eof())
        return values;
    for (int k = 0; k < rs.fields().count(); ++k)
        values[rs.field(k).name()] = rs.field(k).text();
    return values;
}

TEST(PasteRows, ClipboardLinesBecomeRecordsAndGridRows) {
    VELMORA_REQUIRE_READERS();
    const std::string longKey(60, 'K');
    struct Case {
        const char* name;
        std::string clip;
        std::string message;  // empty: none
        // Stored records by key, with the fields checked; the grid gains their rows in order.
        std::vector<std::pair<std::string, Values>> stored;
        std::string lastRowColumn2;  // what the last grid row shows in column 2
    };
    const std::vector<Case> cases = {
        {"lines ending in CR LF",
         "P1\tone\r\nP2\ttwo\r\n",
         "",
         {{"P1", {{"SETTINGVALUE", "one"}, {"FACTOR", ""}}}, {"P2", {{"SETTINGVALUE", "two"}}}},
         "two"},
        {"a value without a tab", "P1", "Wrong Format!!!", {}, ""},
        {"the same value followed by a tab",
         "P1\t",
         "",
         {{"P1", {{"SETTINGVALUE", ""}, {"CHANGED", ""}, {"FACTOR", ""}}}},
         ""},
        {"one value more than the table has fields",
         "P1\ta\t2025-01-01\tTrue\t1\tnote\textra",
         "Wrong Format!!!",
         {},
         ""},
        {"leading digits into a number, long text cut to the field",
         longKey + "\tv\t\t\t12abc",
         "",
         {{std::string(50, 'K'), {{"FACTOR", "12"}, {"SETTINGVALUE", "v"}}}},
         "v"},
        {"dates, Yes/No and memos as the table view shows them",
         "P1\tv\t2025-03-04 05:06:07\tTrue\t1.5\tStraße und Größe",
         "",
         {{"P1",
           {{"CHANGED", "2025-03-04 05:06:07"},
            {"ACTIVE", "True"},
            {"FACTOR", "1.5"},
            {"NOTE", "Straße und Größe"}}}},
         "v"},
        {"an empty line stops at the record without a key",
         "P1\ta\r\rP2\tb",
         "Error 3058",
         {{"P1", {{"SETTINGVALUE", "a"}}}},
         "a"},
        {"a unique key violated by the second line",
         "P1\ta\rTuner\tb\rP3\tc",
         "Error 3022",
         {{"P1", {{"SETTINGVALUE", "a"}}}},
         "a"},
        {"bytes that are not text", "P1\x01\tx\rP2\ty", core::explorer::kPasteNotText, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExplorerSession s;
        const std::string file = writeDemoFile(s.folder() / "WinSTB.mdb");
        startOn(s, file);
        ASSERT_NO_FATAL_FAILURE(s.showTable("SETTINGS"));
        ASSERT_EQ(s.dataRows(), kSettingsRows);
        s.ports().setText(c.clip);
        if (!c.message.empty())
            s.ports().expectMessage(c.message, MessageButtons::Ok, MessageIcon::None,
                                    MessageAnswer::Ok);
        s.popup(kPopupPaste);
        s.ports().verify();
        EXPECT_FALSE(s.ports().isWaitCursor());

        const int added = static_cast<int>(c.stored.size());
        EXPECT_EQ(s.dataRows(), kSettingsRows + added);
        if (added > 0) {
            const int last = s.app().grid().rows() - 1;
            EXPECT_EQ(s.app().grid().row(), last);
            EXPECT_EQ(s.label(), std::to_string(kSettingsRows + added) + " Datarows");
            EXPECT_EQ(s.cell(last, 2), c.lastRowColumn2);
            // The grid shows the text as pasted, not as stored.
            EXPECT_EQ(s.cell(kSettingsRows + 1, 1), c.clip.substr(0, c.clip.find('\t')));
        }
        for (const auto& [key, fields] : c.stored) {
            const Values stored = storedSetting(s.app(), key);
            ASSERT_FALSE(stored.empty()) << key;
            for (const auto& [field, value] : fields)
                EXPECT_EQ(stored.at(field), value) << key << "." << field;
        }
        // mdbtools finds the same records (a record's line starts with its quoted key; the
        // lines of a long memo that follow it do not).
        const auto exported = exportedRows(file, "SETTINGS");
        EXPECT_EQ(std::count_if(exported.begin(), exported.end(),
                                [](const std::string& l) { return l.size() > 1 && l[0] == '"'; }),
                  kSettingsRows + added);
        for (const auto& [key, fields] : c.stored) {
            EXPECT_TRUE(std::any_of(exported.begin(), exported.end(), [&](const std::string& l) {
                return l.starts_with("\"" + key + "\",");
            })) << key;
        }
        expectFileChecks(file);
    }
}

}  // namespace
}  // namespace velmora::test
