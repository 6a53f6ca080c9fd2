// The main window's language-dependent texts: one table from key to text, filled for the
// current language code. Commands read an entry by key each time they show a message or set
// a caption, so a language switch reaches every text at once. Every key exists from the
// start with an empty text; a code other than "eng" or "deu" leaves the table as it is.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmora::core::app {

// The keys keep the names the texts are known by everywhere in the program. The first
// twenty are captions of the main window's controls, the rest messages and text pieces.
enum class UiKey {
    txtShowEditDuplicates,
    txtCompactDatabase,
    txtChangeFavoriteNr,
    txtSettings,
    txtPutSelectInGroup,
    txtDeleteSelection,
    txtReNumber,
    txtSaveFavChannels,
    txtEditFavoriteGroups,
    txtDeleteSpecialChars,
    txtDeleteEmptyChannels,
    txtShowEditChannels,
    txtShowTable,
    txtGetTables,
    txtNotEncrypted,
    txtEncrypted,
    txtSpecialFunctions,
    txtNormalUserFunctions,
    txtDbExplorerFunctions,
    txtChangeSettings,
    msgAskSave,
    msgDeleteEmptyInfo,
    msgDeleteSpecialCharsInfo,
    msgWriteError,
    msgNoDatabase,
    msgAddNewRestricted,
    msgAskDeleteGroups,
    msgAskDeleteLine,
    msgAskDeleteGroup,
    msgEnterDbPath,
    msgOpenDbFailed,
    msgAskDeletePrefix,
    msgLinesSuffix,
    msgAskDeletePrefix2,
    msgChannelsNoWayBack,
    msgNumbersNotSubsequent,
    msgNewDatabasePrefix,
    msgAlreadyExists,
    msgCreatedWillExit,
    msgDeleteAfterMultiFav,
    msgReNumberNoFilters,
    msgReNumberNoDuplicates,
    txtDelete,
    txtAddNew,
    txtCopy,
    txtPaste,
    txtDatarows,
    txtChannels,
    txtGroups,
    txtFavorites,
    msgDeleteNoGroup,
    txtNoDuplicates,
    txtTakeOverFrom,
    msgTakeOverChooseFile,
    txtTakeOverFileFilter,
    txtTakeOverMatched,
    txtTakeOverNew,
    txtTakeOverGone,
    txtTakeOverGroups,
    txtTakeOverNames,
    txtCancel,
    msgTakeOverSameFile,
    msgTakeOverNoMatch,
    msgNothingToUndo,
    msgNothingToRedo,
    msgUndoChangedOutside,
    msgUndoNotStored
};

inline constexpr std::size_t kUiKeyCount = static_cast<std::size_t>(UiKey::msgUndoNotStored) + 1;

inline constexpr std::string_view kLanguageEnglish = "eng";
inline constexpr std::string_view kLanguageGerman = "deu";

struct UiTextEntry {
    UiKey key;
    std::string_view name;     // "txtSettings"
    std::string_view english;  // UTF-8, CR LF inside where a message breaks its line
    std::string_view german;
    std::string_view control;  // the control whose caption it is; empty for messages
};

// Every entry, captions first, in the order ApplyLanguage sets the captions.
std::span<const UiTextEntry> uiTextEntries();
const UiTextEntry& uiTextEntry(UiKey key);
std::string_view uiKeyName(UiKey key);
std::optional<UiKey> uiKeyFromName(std::string_view name);

class UiText {
public:
    UiText() = default;  // every key present, every text empty

    const std::string& text(UiKey key) const { return m_texts[static_cast<std::size_t>(key)]; }
    const std::string& operator[](UiKey key) const { return text(key); }

    // Fills every key with its text in the language "eng" or "deu" and returns true. Any
    // other code, the empty one included, changes no text and returns false.
    bool fill(std::string_view languageCode);

private:
    std::array<std::string, kUiKeyCount> m_texts;
};

// Receives one caption: the control's name ("Command15") and its new text.
using CaptionSetter = std::function<void(std::string_view control, const std::string& caption)>;

// Fills uiText for the code (see UiText::fill), then, whatever the code, sets every
// language-dependent caption of the main window from uiText through setCaption, in table
// order: buttons Command15 down to Command1, the two check boxes, then the frames. An empty
// setCaption only fills the table.
void ApplyLanguage(UiText& uiText, std::string_view code, const CaptionSetter& setCaption);

}  // namespace velmora::core::app
