// Numbers under a German locale, as the Qt program runs for most users (Qt sets the C
// library's locale from LANG at start): the table view of SETTINGS, whose FACTOR holds
// fractions, finds its rows again and stores what is typed or pasted with a decimal point.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/grid/virtual_keys.h"
#include "support/editing_session.h"
#include "support/explorer_session.h"
#include "support/german_locale.h"

namespace velmora::test {
namespace {

// The SETTINGS record with key `key` as Field::text() gives its field `field`.
std::string storedField(core::app::App& app, const std::string& key, const std::string& field) {
    engine::dao::Recordset rs =
        app.db().openRecordset("SELECT " + field + " FROM SETTINGS WHERE SETTING = '" + key + "'");
    const std::string text = rs.eof() ? "(no record)" : rs.field(0).text();
    rs.close();
    return text;
}

TEST(GermanNumbers, TableViewEditsAndPastesStoreWhatWasGiven) {
    VELMORA_REQUIRE_READERS();
    const GermanLocale german;
    if (!german.active())
        GTEST_SKIP() << GermanLocale::kMissing;
    struct Case {
        const char* what;
        const char* key;    // the SETTINGS record edited; none: a paste
        const char* field;  // the field typed into
        std::string given;  // typed, or the clipboard's text
        const char* storedKey;
        const char* storedField;
        const char* stored;    // as Field::text() gives it afterwards
        const char* exported;  // in the record's line as mdb-export prints it
    };
    const std::vector<Case> cases = {
        // The row is found again by every field, FACTOR = 10.6 among them.
        {"a text beside a fraction", "LNB1HighOsc", "SETTINGVALUE", "10700", "LNB1HighOsc",
         "SETTINGVALUE", "10700", "10700"},
        {"a text beside a long fraction", "AspectRatio", "SETTINGVALUE", "4:3", "AspectRatio",
         "SETTINGVALUE", "4:3", "4:3"},
        {"a fraction typed", "Tuner", "FACTOR", "2.25", "Tuner", "FACTOR", "2.25", "2.25"},
        {"a fraction typed over a fraction", "LNB1Switch", "FACTOR", "11.75", "LNB1Switch",
         "FACTOR", "11.75", "11.75"},
        {"a fraction pasted", nullptr, nullptr, "P1\tx\t\t\t10.6", "P1", "FACTOR", "10.6", "10.6"},
        {"a fraction with an exponent pasted", nullptr, nullptr, "P2\ty\t\t\t2.5E-1", "P2",
         "FACTOR", "0.25", "0.25"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        const std::string file = writeDemoFile(s.folder() / "WinSTB.mdb");
        ASSERT_TRUE(s.startOn(file));
        const std::vector<std::string>& tables = s.control("List1").items;
        const auto listed = std::find(tables.begin(), tables.end(), "SETTINGS");
        ASSERT_NE(listed, tables.end());
        s.form().setListIndex("List1", static_cast<int>(listed - tables.begin()));
        s.click("Command2");
        ASSERT_EQ(s.app().state().CurrentView, "SETTINGS");
        if (c.key != nullptr) {
            int column = 1;
            while (column < s.grid().cols() && s.cell(0, column) != c.field)
                ++column;
            ASSERT_LT(column, s.grid().cols());
            int row = 1;
            while (row < s.grid().rows() && s.cell(row, 1) != c.key)
                ++row;
            ASSERT_LT(row, s.grid().rows());
            s.dblClick(row, column);
            s.type(c.given);
            s.key(core::app::control::kTextEditor, core::grid::vk::kReturn);
        } else {
            s.ports().setText(c.given);
            s.pick(core::app::control::kRowPopup, kPopupPaste);
        }
        EXPECT_TRUE(s.ports().messages().empty()) << s.ports().messages().front().text;
        EXPECT_EQ(storedField(s.app(), c.storedKey, c.storedField), c.stored);
        s.app().db().close();
        // Another reader finds the record with the value stored.
        const std::vector<std::string> exported = exportedRows(file, "SETTINGS");
        const std::string line = "\"" + std::string(c.storedKey) + "\",";
        const auto record = std::find_if(exported.begin(), exported.end(),
                                         [&](const std::string& l) { return l.starts_with(line); });
        ASSERT_NE(record, exported.end());
        EXPECT_NE(record->find(c.exported), std::string::npos) << *record;
        expectFileChecks(file);
    }
}

}  // namespace
}  // namespace velmora::test
