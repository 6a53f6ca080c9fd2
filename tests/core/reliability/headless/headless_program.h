// The complete program without a window: every command installed as for the window, the
// window system answered by a few lines of code (every question gets OK or Yes, every message
// is kept and, when asked, printed to stderr). It opens its database through the Env given,
// backs up and compacts through it too, and runs one whole command the way a user starts it:
//
//     save              edit every name, then "Save Fav. Channels"
//     delete-selection  select the first half, "Delete Selection"
//     renumber          "ReNumber" over the whole channel list
//     delete-empty      "Delete empty channels"
//     paste [N]         SETTINGS shown, N new records (450 unless given) on the clipboard,
//                       "Paste" of the popup
//     rename-group      "Edit Favorite Groups", the first group's name edited in its cell
//     duplicates        "Show/Edit Duplicates", which makes the table FREQDUPS anew
//     compact           "Compact Database" into the file's "1.mdb" copy
//
// velmora-headless runs it on real files for the SIGKILL harness; the power-loss test runs it
// in-process over a FaultEnv.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/app/file_backup.h"
#include "engine/io/file.h"

namespace velmora::test {

class HeadlessProgram {
public:
    struct Options {
        bool useOsLocks = true;      // false for an Env whose files live in memory
        bool printMessages = false;  // every message box to stderr
        core::app::WallClock clock = core::app::localTimeNow;  // what backup names show
    };
    // The program on `file` (which must exist on disk too: the start-up looks for it there).
    HeadlessProgram(const std::string& file, engine::io::Env& env, Options options);
    ~HeadlessProgram();
    HeadlessProgram(const HeadlessProgram&) = delete;
    HeadlessProgram& operator=(const HeadlessProgram&) = delete;

    // Starts, paints and readies `command` (the table shown and the clipboard filled for a
    // paste of `count` lines). 0, or the exit code of velmora-headless: 3 the program did not
    // start, 4 the file opened read-only, 5 the table to paste into is not shown.
    int prepare(const std::string& command, int count = 450);
    // Runs the readied command: 0, or 2 for a command not listed above.
    int run();
    // A key pressed in the main window with the exact modifier mask (1 Shift, 2 Ctrl, 4 Alt):
    // Ctrl+Z takes the last command back, Ctrl+Y does it again.
    void pressKey(int keyCode, int shift);

    const std::vector<std::string>& messages() const;

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

}  // namespace velmora::test
