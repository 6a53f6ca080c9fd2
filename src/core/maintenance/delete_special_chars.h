// "Delete SpecialChars" (Command5): removes † and ‡ from every channel name and trims it.
//
// The two characters are the DVB text control codes 0x86 and 0x87 (emphasis on and off) as
// they look after passing through the Windows-1252 code page; no other character is removed,
// a "+" in particular stays. The name is trimmed of blanks at both ends after the removal,
// so "† ARD" becomes "ARD" as well. A Null name has nothing to remove and stays Null; a name
// made only of the two characters becomes empty text. Only names that change are written.
//
// The command is one change of the file: should the engine refuse a name, the command is
// abandoned with "Error " and the engine's number and every name stays as it was.
#pragma once

#include <string>
#include <string_view>

namespace velmora::core::app {
class App;
}

namespace velmora::core::maintenance {

// The name without † and ‡ and without blanks at either end.
std::string withoutSpecialChars(std::string_view name);

void DeleteSpecialChars(app::App& app);

// Installs DeleteSpecialChars as command::kDeleteSpecialChars and on Command5's Click.
void installDeleteSpecialChars(app::App& app);

}  // namespace velmora::core::maintenance
