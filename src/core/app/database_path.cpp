#include "core/app/database_path.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace velmora::core::app {
namespace fs = std::filesystem;

namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string envValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The entry of `folder` named `name`: the exact spelling first, else the first entry that
// matches without regard to case.
std::optional<fs::path> findEntry(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    fs::path exact = folder / name;
    if (fs::exists(exact, ec)) {
        return exact;
    }
    fs::directory_iterator it(folder, ec);
    if (ec) {
        return std::nullopt;
    }
    for (const fs::directory_entry& entry : it) {
        if (equalNoCase(entry.path().filename().string(), name)) {
            return entry.path();
        }
    }
    return std::nullopt;
}

}  // namespace

PathEnvironment PathEnvironment::fromProcess() {
    return PathEnvironment{envValue("HOME"), envValue("WINEPREFIX")};
}

std::optional<std::string> resolveUnderWine(std::string_view windowsPath,
                                            const PathEnvironment& env) {
    if (windowsPath.size() < 3 || !equalNoCase(windowsPath.substr(0, 3), "C:\\")) {
        return std::nullopt;
    }
    fs::path prefix;
    if (!env.winePrefix.empty()) {
        prefix = env.winePrefix;
    } else if (!env.home.empty()) {
        prefix = fs::path(env.home) / ".wine";
    } else {
        return std::nullopt;
    }

    std::vector<std::string> steps{"drive_c"};
    std::string_view rest = windowsPath.substr(3);
    while (!rest.empty()) {
        const auto cut = rest.find('\\');
        std::string_view step = rest.substr(0, cut);
        if (!step.empty()) {
            steps.emplace_back(step);
        }
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    fs::path current = prefix;
    for (const std::string& step : steps) {
        auto next = findEntry(current, step);
        if (!next) {
            return std::nullopt;
        }
        current = *next;
    }
    std::error_code ec;
    if (!fs::is_regular_file(current, ec)) {
        return std::nullopt;
    }
    return current.string();
}

std::string folderOf(std::string_view path) {
    const auto cut = path.find_last_of("/\\");
    if (cut == std::string_view::npos) {
        return {};
    }
    if (cut == 0) {
        return std::string(path.substr(0, 1));
    }
    return std::string(path.substr(0, cut));
}

DialogStart defaultDialogStart(const PathEnvironment& env) {
    if (auto found = resolveUnderWine(kWindowsDefaultDatabase, env)) {
        return DialogStart{folderOf(*found), *found};
    }
    return DialogStart{env.home, "WinSTB.mdb"};
}

bool isAcceptedDatabasePath(const std::optional<std::string>& answer) {
    if (!answer || answer->size() < 3) {
        return false;
    }
    std::error_code ec;
    return fs::is_regular_file(fs::path(*answer), ec);
}

}  // namespace velmora::core::app
