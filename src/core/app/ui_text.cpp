// The German/English text table. The texts are shown exactly as written here, blanks at
// either end, CR LF and spellings included: other parts of the program build messages by
// concatenating them ("Wirklich " + count + " Zeile löschen?").
#include "core/app/ui_text.h"

#include <algorithm>

namespace velmora::core::app {
namespace {

// clang-format off
constexpr std::array<UiTextEntry, kUiKeyCount> kEntries = {{
    {UiKey::txtShowEditDuplicates, "txtShowEditDuplicates", "Show/Edit Duplicates", "Duplikate bearbeiten", "Command15"},
    {UiKey::txtCompactDatabase, "txtCompactDatabase", "Compact Database", "Datenbank komprimieren", "Command13"},
    {UiKey::txtChangeFavoriteNr, "txtChangeFavoriteNr", "Change FavoriteNr", "FavoritenNr ändern", "Command12"},
    {UiKey::txtSettings, "txtSettings", "Settings", "Einstellungen", "Command11"},
    {UiKey::txtPutSelectInGroup, "txtPutSelectInGroup", "Put Select in group...", "Auswahl in Gruppe:", "Command10"},
    {UiKey::txtDeleteSelection, "txtDeleteSelection", "Delete Selection", "Auswahl löschen", "Command9"},
    {UiKey::txtReNumber, "txtReNumber", "ReNumber", "NeuNummerierung", "Command8"},
    {UiKey::txtSaveFavChannels, "txtSaveFavChannels", "Save Fav. Channels", "Zuordnung speichern", "Command7"},
    {UiKey::txtEditFavoriteGroups, "txtEditFavoriteGroups", "Edit Favorite Groups", "Fav. Gruppen ändern", "Command6"},
    {UiKey::txtDeleteSpecialChars, "txtDeleteSpecialChars", "Delete SpecialChars", "Sonderzeichen Löschen", "Command5"},
    {UiKey::txtDeleteEmptyChannels, "txtDeleteEmptyChannels", "Delete empty channels", "Leere Sender Löschen", "Command4"},
    {UiKey::txtShowEditChannels, "txtShowEditChannels", "Show/Edit Channels", "Sender/Gruppe ändern", "Command3"},
    {UiKey::txtShowTable, "txtShowTable", "ShowTable", "ZeigeTabelle", "Command2"},
    {UiKey::txtGetTables, "txtGetTables", "GetTables", "Tabellen einlesen", "Command1"},
    {UiKey::txtNotEncrypted, "txtNotEncrypted", "NotEncrypted", "Nicht verschlüselt", "Check_NotEnc"},
    {UiKey::txtEncrypted, "txtEncrypted", "Encrypted", "Verschlüsselt", "Check_encrypt"},
    {UiKey::txtSpecialFunctions, "txtSpecialFunctions", "SpecialFunctions", "SonderFunktionen", "Frame1"},
    {UiKey::txtNormalUserFunctions, "txtNormalUserFunctions", "Normal User Functions (Add / Rename / Delete / Favourites)", "Sender und Favoriten Funktionen (Umbenennen, Neu anlegen, Löschen)", "Frame2"},
    {UiKey::txtDbExplorerFunctions, "txtDbExplorerFunctions", "DB Explorer Functions", "Datenbank Bearbeiten", "Frame3"},
    {UiKey::txtChangeSettings, "txtChangeSettings", "Change Settings", "Einstellungen ändern", "Frame5"},
    {UiKey::msgAskSave, "msgAskSave", "You have changed something... Save ?", "Änderungen speichern ?", ""},
    {UiKey::msgDeleteEmptyInfo, "msgDeleteEmptyInfo", "This command will delete all channels which WinSTB has marked as 'empty' (necessary only after a new channelscan). \r\nAlert: Remaining Channels will be renumbered!", "Dieser Befehl löscht alle Sender die WinSTB als 'empty' bezeichnet (Braucht man nur nach einer neuen Sendersuche).\r\nAchtung: Sender werden neu nummeriert!", ""},
    {UiKey::msgDeleteSpecialCharsInfo, "msgDeleteSpecialCharsInfo", "This command will delete all special characters (like +) in the channel-names", "Dieser Befehl entfernt alle Sonderzeichen (wie +) in den Sender Namen", ""},
    {UiKey::msgWriteError, "msgWriteError", "ERROR writing to database", "FEHLER beim Schreiben auf die Datenbank !", ""},
    {UiKey::msgNoDatabase, "msgNoDatabase", "No Database found", "Keine Datenbank gefunden", ""},
    {UiKey::msgAddNewRestricted, "msgAddNewRestricted", "AddNew is only supported in 'Edit Favorite Groups' or in DB Explorer Tables", "Hinzufügen gibt es nur in 'Fav. Gruppen ändern' oder in den 'Datenbank Bearbeiten' Tabellen", ""},
    {UiKey::msgAskDeleteGroups, "msgAskDeleteGroups", "Are you sure to delete this Groups?", "Wirklich diese Favoriten Gruppen löschen?", ""},
    {UiKey::msgAskDeleteLine, "msgAskDeleteLine", "Are you sure to delete this Line?", "Wirklich diese Zeile löschen?", ""},
    {UiKey::msgAskDeleteGroup, "msgAskDeleteGroup", "Are you sure to delete this Group?", "Wirklich diese Favoriten Gruppe löschen?", ""},
    {UiKey::msgEnterDbPath, "msgEnterDbPath", "Enter the complete path (incl. filename) to your WinSTB database", "Bitte den vollständigen Pfad (mit Dateiname) zur WinSTB Datenbank eingeben", ""},
    {UiKey::msgOpenDbFailed, "msgOpenDbFailed", "Open database failed", "Öffnen der Datenbank fehlgeschlagen", ""},
    {UiKey::msgAskDeletePrefix, "msgAskDeletePrefix", "Are you sure to delete ", "Wirklich ", ""},
    {UiKey::msgLinesSuffix, "msgLinesSuffix", " Lines", " Zeile löschen?", ""},
    {UiKey::msgAskDeletePrefix2, "msgAskDeletePrefix2", "Are you sure to delete ", "Wirklich diese  ", ""},
    {UiKey::msgChannelsNoWayBack, "msgChannelsNoWayBack", " Channels (There is no way back\r\nexecpt a new Channelscan or use a backup database...)", " Sender löschen (Es gibt kein zurück\r\naußer eine neue Sendersuche oder eine Backup Datenbank...", ""},
    {UiKey::msgNumbersNotSubsequent, "msgNumbersNotSubsequent", "Channel numbers are not subsequent - may be due to duplicates or missing numbers", "Nummerierung nicht eindeutig - Duplikate oder fehlende Nummer enthalten", ""},
    {UiKey::msgNewDatabasePrefix, "msgNewDatabasePrefix", "New Database ", "Neue Datenbank ", ""},
    {UiKey::msgAlreadyExists, "msgAlreadyExists", " already exists. Please rename or delete it and try again...", " schon vorhanden! Umnennen oder Löschen und nochmal...", ""},
    {UiKey::msgCreatedWillExit, "msgCreatedWillExit", " has been created. The program will exit now.\r\nYou may delete (or rename) your old database, rename the new one to the old name and test it!", " wird erstellt! Das Programm wird danach beendet.\r\nDanach die neue Datenbank auf den alten Namen umbennenen und die alte löschen (oder sicherheitshalber nur umbenennen)", ""},
    {UiKey::msgDeleteAfterMultiFav, "msgDeleteAfterMultiFav", "Delete is not possible after adding multiple favourites.\r\nUse 'Save Fav. Channels' and reload with 'Show/Edit Channels'", "Löschen ist nicht möglich nach dem Hinzufügen von multiplen Favoriten.\r\nErst 'Zuordnung speichern' und dann Sender/Favoritenliste neu laden (mit 'Sender/Gruppe ändern')", ""},
    {UiKey::msgReNumberNoFilters, "msgReNumberNoFilters", "ReNumber is only possible for all channels (no filters like Radio only...)", "NeuNummerierung geht nur für alle Sender (keine Filter wie Nur Radio... verwenden)", ""},
    {UiKey::msgReNumberNoDuplicates, "msgReNumberNoDuplicates", "ReNumber is only possible without duplicates (same channel with two (or more) frequencies)", "NeuNummerierung geht nur wenn keine Duplikate (derselbe Sender mit zwei (oder mehr) Frequenzen) vorhanden sind", ""},
    {UiKey::txtDelete, "txtDelete", "Delete", "Löschen", ""},
    {UiKey::txtAddNew, "txtAddNew", "AddNew", "Hinzufügen", ""},
    {UiKey::txtCopy, "txtCopy", "Copy", "Kopieren", ""},
    {UiKey::txtPaste, "txtPaste", "Paste", "Einfügen", ""},
    {UiKey::txtDatarows, "txtDatarows", " Datarows", " Datenzeilen", ""},
    {UiKey::txtChannels, "txtChannels", " Channels", " Sender", ""},
    {UiKey::txtGroups, "txtGroups", " Groups", " Gruppen", ""},
    {UiKey::txtFavorites, "txtFavorites", " Favorites", " Favoriten", ""},
    {UiKey::msgDeleteNoGroup, "msgDeleteNoGroup", "A channel without a favourite group (ZZZZ) was not deleted:\r\n'Delete Selection' takes a channel out of its group and deletes it only together with its last group", "Ein Sender ohne Favoriten Gruppe (ZZZZ) wurde nicht gelöscht:\r\n'Auswahl löschen' nimmt einen Sender aus seiner Gruppe und löscht ihn nur zusammen mit seiner letzten Gruppe", ""},
    {UiKey::txtNoDuplicates, "txtNoDuplicates", "No duplicates", "Keine Duplikate", ""},
    {UiKey::txtTakeOverFrom, "txtTakeOverFrom", "Take over from...", "Übernehmen von...", "Command16"},
    {UiKey::msgTakeOverChooseFile, "msgTakeOverChooseFile", "Take channel numbers and groups over from which database? (a backup from before the channel scan)", "Sendernummern und Gruppen aus welcher Datenbank übernehmen? (eine Sicherung von vor der Sendersuche)", ""},
    {UiKey::txtTakeOverFileFilter, "txtTakeOverFileFilter", "Databases and backups (*.mdb, *.bak)", "Datenbanken und Sicherungen (*.mdb, *.bak)", ""},
    {UiKey::txtTakeOverMatched, "txtTakeOverMatched", "Channels found in both (number and groups taken over): ", "In beiden gefunden (Nummer und Gruppen werden übernommen): ", ""},
    {UiKey::txtTakeOverNew, "txtTakeOverNew", "New channels (numbered after them): ", "Neue Sender (danach nummeriert): ", ""},
    {UiKey::txtTakeOverGone, "txtTakeOverGone", "Gone (only in the other file): ", "Weggefallen (nur in der anderen Datei): ", ""},
    {UiKey::txtTakeOverGroups, "txtTakeOverGroups", "Favourite groups created: ", "Neu angelegte Favoriten Gruppen: ", ""},
    {UiKey::txtTakeOverNames, "txtTakeOverNames", "Take the channel names over too", "Sendernamen auch übernehmen", ""},
    {UiKey::txtCancel, "txtCancel", "Cancel", "Abbrechen", ""},
    {UiKey::msgTakeOverSameFile, "msgTakeOverSameFile", "That is the open database itself: choose an older copy or a backup.", "Das ist die geöffnete Datenbank selbst: bitte eine ältere Kopie oder eine Sicherung wählen.", ""},
    {UiKey::msgTakeOverNoMatch, "msgTakeOverNoMatch", "No channel of that file is in the open database (same Source, SID and NID): nothing to take over.", "Kein Sender dieser Datei ist in der geöffneten Datenbank (gleiche Source, SID und NID): nichts zu übernehmen.", ""},
    {UiKey::msgNothingToUndo, "msgNothingToUndo", "There is no command to undo.", "Es gibt keinen Befehl zum Rückgängigmachen.", ""},
    {UiKey::msgNothingToRedo, "msgNothingToRedo", "There is no command to redo.", "Es gibt keinen Befehl zum Wiederholen.", ""},
    {UiKey::msgUndoChangedOutside, "msgUndoChangedOutside", "The database was changed by another program since: the command cannot be undone or redone.", "Die Datenbank wurde inzwischen von einem anderen Programm geändert: der Befehl kann nicht rückgängig gemacht oder wiederholt werden.", ""},
    {UiKey::msgUndoNotStored, "msgUndoNotStored", "The change is stored, but it cannot be undone: ", "Die Änderung ist gespeichert, kann aber nicht rückgängig gemacht werden: ", ""},
}};
// clang-format on

constexpr bool entriesFollowKeyOrder() {
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if (static_cast<std::size_t>(kEntries[i].key) != i) {
            return false;
        }
    }
    return true;
}
static_assert(entriesFollowKeyOrder(), "kEntries must list the keys in UiKey order");

}  // namespace

std::span<const UiTextEntry> uiTextEntries() {
    return kEntries;
}

const UiTextEntry& uiTextEntry(UiKey key) {
    return kEntries[static_cast<std::size_t>(key)];
}

std::string_view uiKeyName(UiKey key) {
    return uiTextEntry(key).name;
}

std::optional<UiKey> uiKeyFromName(std::string_view name) {
    const auto it = std::find_if(kEntries.begin(), kEntries.end(),
                                 [name](const UiTextEntry& e) { return e.name == name; });
    if (it == kEntries.end()) {
        return std::nullopt;
    }
    return it->key;
}

bool UiText::fill(std::string_view languageCode) {
    const bool english = languageCode == kLanguageEnglish;
    if (!english && languageCode != kLanguageGerman) {
        return false;
    }
    for (const UiTextEntry& entry : kEntries) {
        m_texts[static_cast<std::size_t>(entry.key)] = english ? entry.english : entry.german;
    }
    return true;
}

void ApplyLanguage(UiText& uiText, std::string_view code, const CaptionSetter& setCaption) {
    uiText.fill(code);
    if (!setCaption) {
        return;
    }
    for (const UiTextEntry& entry : kEntries) {
        if (!entry.control.empty()) {
            setCaption(entry.control, uiText.text(entry.key));
        }
    }
}

}  // namespace velmora::core::app
