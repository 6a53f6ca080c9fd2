// The duplicates view ("Show/Edit Duplicates", Command15): every CHANNELS row whose channel
// (SOURCEID, SID, NID) is stored on more than one non-Null frequency, sorted by channel
// number, so that the user can delete the surplus rows.
//
// The channels are gathered into the scratch table FREQDUPS, dropped and made anew each time
// and left in the file. Jet compares table names without regard to letter case, so a table
// "freqdups" (or any other spelling) is the same name and is dropped too; otherwise the
// SELECT ... INTO could not make its table.
//
// The view opens no editor; its popup offers only Delete, which (like the Delete key) runs
// DeleteDuplicateRows. Deleted rows leave the grid, but the listing is not made again: a
// channel left with one row stays listed until the view is built anew.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::maintenance {

inline constexpr char kFreqDupsTable[] = "FREQDUPS";

void ShowEditDuplicates(app::App& app);

// Installs ShowEditDuplicates as command::kShowEditDuplicates and on Command15's Click, and
// registers the view (DeleteDuplicateRows must be installed before).
void installDuplicatesView(app::App& app);

}  // namespace velmora::core::maintenance
