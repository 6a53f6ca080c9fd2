// The copy of the database file made before the program first changes it in a run:
// NAME.YYYYMMDD-HHMMSS.bak beside the file (NAME is the file's whole name, so
// WinSTB.mdb.20261208-153012.bak), synced to the disk with its folder entry before the
// change is written. Only the newest few backups of a file are kept.
//
// Going back to a backup is copying it over the database file while the program is closed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/io/file.h"

namespace velmora::core::app {

// A moment on the user's wall clock, as backup names show it.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

using WallClock = std::function<LocalTime()>;
LocalTime localTimeNow();

inline constexpr int kBackupsKept = 5;

// "<dbPath>.YYYYMMDD-HHMMSS.bak".
std::string backupPath(const std::string& dbPath, const LocalTime& at);

// Copies the file to backupPath(dbPath, at) through `env` and makes the copy and its folder
// entry durable: the bytes go to "<backup>.part" first, which is synced and then renamed, so
// no power cut leaves a torn file under the backup's name. A partial copy is removed again. Then
// removes the oldest backups of the same file until `keep` are left. The error names the file and
// the reason. The backups of dbPath beside it, oldest first (their time stamps sort as text).
std::vector<std::string> backupsOf(const std::string& dbPath);

engine::Status backUpFile(engine::io::Env& env, const std::string& dbPath, const LocalTime& at,
                          int keep = kBackupsKept);

}  // namespace velmora::core::app
