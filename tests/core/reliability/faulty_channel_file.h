// A channel file written by our engine (channel_file.h) and served to a whole program session
// through the fault-injecting Env, so a test can make the program's writes fail, then compare
// the bytes the file holds with the bytes it held before. Backups go through the same Env,
// stamped by a fixed clock.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/app/file_backup.h"
#include "core/editing/grid_editing.h"
#include "core/favourites/delete_selection.h"
#include "core/favourites/save_fav_channels.h"
#include "engine/io/fault_env.h"
#include "support/channel_file.h"

namespace velmora::test {

// What the program says when a failed command stored nothing and the grid reloads the file.
inline constexpr char kReloaded[] =
    "Nothing of it was stored; the grid shows again what the file holds.";

// The fixed moment every session's backups are named after, and the name it gives.
inline core::app::LocalTime fixedTime() {
    return {2026, 12, 8, 10, 15, 0};
}

// Selects one grid row and presses "Delete Selection" (Command9).
inline void deleteRow(AppSession& s, int row) {
    ASSERT_GT(row, 0);
    ASSERT_TRUE(s.app().grid().setRow(row).isOk());
    ASSERT_TRUE(s.app().grid().setRowSel(row).isOk());
    s.click("Command9");
}

// One command that writes every CHANNELS row with the values it held: each number is negated
// and negated back, so the commit has every row to write (an update to the values a row holds
// already writes nothing).
inline void writeEveryChannelAgain(AppSession& s) {
    s.app().runModalCommand([&s] {
        s.app().db().execute("UPDATE CHANNELS SET CHANNELNUM = -CHANNELNUM");
        s.app().db().execute("UPDATE CHANNELS SET CHANNELNUM = -CHANNELNUM");
    });
}

class FaultyChannelFile {
public:
    // Writes the channel file into the session's folder, puts the same bytes into the
    // fault-injecting Env and starts the program on it (English, first paint done).
    explicit FaultyChannelFile(AppSession& session) : s(session) {
        path = writeChannelFile(s.folder() / "WinSTB.mdb");
        std::ifstream in(path, std::ios::binary);
        env.install(path, {std::istreambuf_iterator<char>(in), {}});
        s.openJetFilesThrough(env, /*useOsLocks=*/false);  // the file lives in memory
        s.setClock(fixedTime);
        startOn(s, path);
    }

    // The program's first write of the run, so its backup is made and later writes are the
    // ones a test means.
    void writeOnce() {
        writeEveryChannelAgain(s);
        ASSERT_TRUE(env.exists(core::app::backupPath(path, fixedTime())));
        ASSERT_TRUE(s.ports().messages().empty());
    }

    std::vector<uint8_t> bytes() const { return env.contents(path); }

    // Writes what the file holds now to the real path, for velmora-db and mdbtools.
    void copyOut() const {
        const std::vector<uint8_t> b = bytes();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }

    // The program closes its database handles through `env`, which goes first.
    ~FaultyChannelFile() { s.endProgram(); }
    FaultyChannelFile(const FaultyChannelFile&) = delete;
    FaultyChannelFile& operator=(const FaultyChannelFile&) = delete;

    AppSession& s;
    engine::io::FaultEnv env;
    std::string path;
};

}  // namespace velmora::test
