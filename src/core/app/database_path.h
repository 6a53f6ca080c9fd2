// Where the channel database is looked for, and which answers of the file dialog are taken.
//
// The receiver program keeps its database at C:\PROGRAMME\WINSTB\DATABASE\WinSTB.mdb. On
// Linux that program runs under Wine, whose drive C: is the prefix's drive_c folder
// ($WINEPREFIX, else ~/.wine); the names below it may differ from the Windows spelling in
// letter case, so each step of the path is matched without regard to case. When no such file
// exists, the dialog starts in the user's home folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::core::app {

inline constexpr std::string_view kWindowsDefaultDatabase =
    R"(C:\PROGRAMME\WINSTB\DATABASE\WinSTB.mdb)";

// The process environment the default path depends on; tests give their own.
struct PathEnvironment {
    std::string home;        // $HOME
    std::string winePrefix;  // $WINEPREFIX; empty when unset

    static PathEnvironment fromProcess();
};

// The Windows path below drive C: of the Wine prefix, each step matched without regard to
// letter case; std::nullopt when the file is not there. A path without the "C:\" drive
// prefix is not resolved.
std::optional<std::string> resolveUnderWine(std::string_view windowsPath,
                                            const PathEnvironment& env);

// What the dialog gets on a first start: the default database when it exists under Wine,
// else a bare file name in the home folder.
struct DialogStart {
    std::string initialFolder;
    std::string initialFileName;
};
DialogStart defaultDialogStart(const PathEnvironment& env);
// The folder of `path` (everything before its last separator, / or \); empty without one.
std::string folderOf(std::string_view path);

// A dialog answer is taken when it names an existing file (not a folder) and is at least
// three characters long.
bool isAcceptedDatabasePath(const std::optional<std::string>& answer);

}  // namespace velmora::core::app
