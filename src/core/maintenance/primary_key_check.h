// The primary-key check of the channel table: the rows of CHANNELS are found again by
// SOURCEID, SID, NID and FREQUENCY, so the table must carry an index over exactly those four.
// The check pools the fields of every index and reports what it finds; a table without any
// index is offered a new "PrimaryKey". Its messages are English in every language.
#pragma once

#include <string_view>

#include "core/app/command_names.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::maintenance {

inline constexpr std::string_view kCheckPrimKeyCommand = app::command::kCheckPrimKey;

// What the pooled index fields of CHANNELS cover.
struct KeyCoverage {
    bool sourceId = false;
    bool sid = false;
    bool nid = false;
    bool frequency = false;
    bool otherColumn = false;
};

// Runs the check (and the repair when the user agrees) on the open database.
void checkPrimaryKey(app::App& app);

// Installs "CheckPrimKey" into the app's command registry.
void installPrimaryKeyCheck(app::App& app);

}  // namespace velmora::core::maintenance
