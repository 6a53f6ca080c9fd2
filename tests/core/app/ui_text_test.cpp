// The text table: exact texts in both languages (blanks, CR LF, umlauts and odd spellings are
// shown as they are), the unknown-code rule, and the captions ApplyLanguage hands out.
#include "core/app/ui_text.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace velmora::core::app {
namespace {

std::vector<std::string> snapshot(const UiText& text) {
    std::vector<std::string> out;
    for (const UiTextEntry& entry : uiTextEntries())
        out.push_back(text[entry.key]);
    return out;
}

TEST(UiTextTest, EveryKeyStartsEmpty) {
    const UiText text;
    ASSERT_EQ(uiTextEntries().size(), 67u);
    for (const UiTextEntry& entry : uiTextEntries())
        EXPECT_EQ(text[entry.key], "") << entry.name;
}

TEST(UiTextTest, ExactTextsInBothLanguages) {
    struct Case {
        UiKey key;
        std::string english;
        std::string german;
    };
    const std::vector<Case> cases = {
        {UiKey::msgAskSave, "You have changed something... Save ?", "Änderungen speichern ?"},
        {UiKey::msgDeleteEmptyInfo,
         "This command will delete all channels which WinSTB has marked as 'empty' (necessary "
         "only after a new channelscan). \r\nAlert: Remaining Channels will be renumbered!",
         "Dieser Befehl löscht alle Sender die WinSTB als 'empty' bezeichnet (Braucht man nur "
         "nach einer neuen Sendersuche).\r\nAchtung: Sender werden neu nummeriert!"},
        {UiKey::msgWriteError, "ERROR writing to database",
         "FEHLER beim Schreiben auf die Datenbank !"},
        {UiKey::msgAskDeletePrefix, "Are you sure to delete ", "Wirklich "},
        {UiKey::msgLinesSuffix, " Lines", " Zeile löschen?"},
        {UiKey::msgAskDeletePrefix2, "Are you sure to delete ", "Wirklich diese  "},
        {UiKey::msgChannelsNoWayBack,
         " Channels (There is no way back\r\nexecpt a new Channelscan or use a backup "
         "database...)",
         " Sender löschen (Es gibt kein zurück\r\naußer eine neue Sendersuche oder eine Backup "
         "Datenbank..."},
        {UiKey::msgAlreadyExists, " already exists. Please rename or delete it and try again...",
         " schon vorhanden! Umnennen oder Löschen und nochmal..."},
        {UiKey::msgCreatedWillExit,
         " has been created. The program will exit now.\r\nYou may delete (or rename) your old "
         "database, rename the new one to the old name and test it!",
         " wird erstellt! Das Programm wird danach beendet.\r\nDanach die neue Datenbank auf den "
         "alten Namen umbennenen und die alte löschen (oder sicherheitshalber nur umbenennen)"},
        {UiKey::msgNewDatabasePrefix, "New Database ", "Neue Datenbank "},
        {UiKey::msgDeleteNoGroup,
         "A channel without a favourite group (ZZZZ) was not deleted:\r\n'Delete Selection' "
         "takes a channel out of its group and deletes it only together with its last group",
         "Ein Sender ohne Favoriten Gruppe (ZZZZ) wurde nicht gelöscht:\r\n'Auswahl löschen' "
         "nimmt einen Sender aus seiner Gruppe und löscht ihn nur zusammen mit seiner letzten "
         "Gruppe"},
        {UiKey::txtNoDuplicates, "No duplicates", "Keine Duplikate"},
        {UiKey::txtNotEncrypted, "NotEncrypted", "Nicht verschlüselt"},
        {UiKey::txtChangeFavoriteNr, "Change FavoriteNr", "FavoritenNr ändern"},
        {UiKey::txtPutSelectInGroup, "Put Select in group...", "Auswahl in Gruppe:"},
        {UiKey::txtDatarows, " Datarows", " Datenzeilen"},
        {UiKey::txtAddNew, "AddNew", "Hinzufügen"},
        {UiKey::msgEnterDbPath, "Enter the complete path (incl. filename) to your WinSTB database",
         "Bitte den vollständigen Pfad (mit Dateiname) zur WinSTB Datenbank eingeben"},
    };
    UiText text;
    ASSERT_TRUE(text.fill("eng"));
    for (const Case& c : cases)
        EXPECT_EQ(text[c.key], c.english) << uiKeyName(c.key);
    ASSERT_TRUE(text.fill("deu"));
    for (const Case& c : cases)
        EXPECT_EQ(text[c.key], c.german) << uiKeyName(c.key);
    ASSERT_TRUE(text.fill("eng"));  // switching back replaces every German text
    for (const Case& c : cases)
        EXPECT_EQ(text[c.key], c.english) << uiKeyName(c.key);
}

TEST(UiTextTest, KnownCodesFillEveryKeyAndKeepTheLanguagesApart) {
    UiText english;
    UiText german;
    ASSERT_TRUE(english.fill("eng"));
    ASSERT_TRUE(german.fill("deu"));
    const std::vector<std::string> germanLetters = {"ä", "ö", "ü", "ß", "Ä", "Ö", "Ü"};
    for (const UiTextEntry& entry : uiTextEntries()) {
        EXPECT_NE(english[entry.key], "") << entry.name;
        EXPECT_NE(german[entry.key], "") << entry.name;
        EXPECT_NE(english[entry.key], german[entry.key]) << entry.name;
        for (const std::string& letter : germanLetters)
            EXPECT_EQ(english[entry.key].find(letter), std::string::npos) << entry.name;
    }
}

TEST(UiTextTest, UnknownCodesChangeNoText) {
    for (const char* code : {"", "ENG", "Deu", "en", "de", "fra", "eng "}) {
        UiText fresh;
        EXPECT_FALSE(fresh.fill(code)) << '"' << code << '"';
        EXPECT_EQ(snapshot(fresh), snapshot(UiText())) << '"' << code << '"';

        UiText german;
        ASSERT_TRUE(german.fill("deu"));
        const std::vector<std::string> before = snapshot(german);
        EXPECT_FALSE(german.fill(code));
        EXPECT_EQ(snapshot(german), before) << '"' << code << '"';
    }
}

TEST(UiTextTest, KeyNamesRoundTrip) {
    std::set<std::string_view> names;
    for (const UiTextEntry& entry : uiTextEntries()) {
        EXPECT_EQ(uiKeyFromName(entry.name), entry.key);
        EXPECT_EQ(uiKeyName(entry.key), entry.name);
        names.insert(entry.name);
    }
    EXPECT_EQ(names.size(), kUiKeyCount);
    EXPECT_EQ(uiKeyFromName("txtsettings"), std::nullopt);
    EXPECT_EQ(uiKeyFromName(""), std::nullopt);
}

using Captions = std::vector<std::pair<std::string, std::string>>;

Captions applyAndCollect(UiText& text, std::string_view code) {
    Captions captions;
    ApplyLanguage(text, code, [&captions](std::string_view control, const std::string& caption) {
        captions.emplace_back(std::string(control), caption);
    });
    return captions;
}

TEST(ApplyLanguageTest, SetsTheCaptionsInTableOrder) {
    UiText text;
    const Captions captions = applyAndCollect(text, "deu");
    const std::vector<std::string> order = {
        "Command15", "Command13", "Command12",    "Command11",     "Command10", "Command9",
        "Command8",  "Command7",  "Command6",     "Command5",      "Command4",  "Command3",
        "Command2",  "Command1",  "Check_NotEnc", "Check_encrypt", "Frame1",    "Frame2",
        "Frame3",    "Frame5",    "Command16"};
    ASSERT_EQ(captions.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(captions[i].first, order[i]) << i;
    EXPECT_EQ(captions[0].second, "Duplikate bearbeiten");
    EXPECT_EQ(captions[14].second, "Nicht verschlüselt");
    EXPECT_EQ(captions[19].second, "Einstellungen ändern");
    EXPECT_EQ(text[UiKey::msgAskSave], "Änderungen speichern ?");  // messages filled too
}

TEST(ApplyLanguageTest, UnknownCodeStillSetsCaptionsFromTheCurrentTexts) {
    UiText text;
    for (const auto& [control, caption] : applyAndCollect(text, ""))
        EXPECT_EQ(caption, "") << control;  // first run without a language: blank captions

    ASSERT_EQ(applyAndCollect(text, "eng").size(), 21u);
    const Captions kept = applyAndCollect(text, "xyz");
    ASSERT_EQ(kept.size(), 21u);
    EXPECT_EQ(kept[3], (std::pair<std::string, std::string>("Command11", "Settings")));

    ApplyLanguage(text, "deu", nullptr);  // without a caption setter only the table changes
    EXPECT_EQ(text[UiKey::txtSettings], "Einstellungen");
}

}  // namespace
}  // namespace velmora::core::app
