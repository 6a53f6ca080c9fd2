// The program's own texts about failures that happen around a command rather than in it: a
// backup that could not be made, a grid reloaded after an abandoned command. They are not
// part of the UiText catalogue (whose keys are fixed); like it they exist in English and
// German and follow the language code, English for any other code.
#pragma once

#include <string>
#include <string_view>

namespace velmora::core::app {

// What the user sees of an error the engine reported: "Error " and its number, and the engine's
// text on a line of its own where there is one. The same in every language, as Jet's texts are.
std::string engineErrorMessage(int number, std::string_view text = {});

// Asked with OK (go on without a backup) and Cancel (write nothing): names the backup that
// could not be made and why.
std::string backupFailedQuestion(std::string_view languageCode, std::string_view backupPath,
                                 std::string_view reason);

// The line added to a failure's message when the grid was rebuilt from the file.
std::string gridReloadedNote(std::string_view languageCode);

// The line added when the grid was taken back to what it showed before the command, with
// the user's unsaved edits.
std::string gridTakenBackNote(std::string_view languageCode);

// The line added when the grid may show changes the file does not hold and no builder
// could show the file's state again.
std::string gridNotReloadedNote(std::string_view languageCode);

}  // namespace velmora::core::app
