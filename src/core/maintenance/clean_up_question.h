// The start both clean-up commands share ("Delete empty channels", "Delete SpecialChars"):
// the save question, the command's own information text with OK and Cancel, and on OK the
// change flags cleared.
#pragma once

#include "core/app/ui_text.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::maintenance {

// True to go on; false when the save question or the information was cancelled (or the save
// could not be committed).
bool askCleanUp(app::App& app, app::UiKey information);

// After a clean-up: the channel list is loaded again when it is the view shown, so it shows
// what the file now holds; every other view is left as it is.
void reloadChannelListIfShown(app::App& app);

}  // namespace velmora::core::maintenance
