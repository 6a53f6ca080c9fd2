// Helpers of the writer tests: fixture copies in a temporary folder, and the independent
// readers (mdbtools, velmora-db check) run as real processes.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "engine/io/fault_env.h"

namespace velmora::engine::jet::testing {

// The writer stamps the time into what it writes (a new table's catalog dates), so tests
// that compare whole files write at one fixed time: 2023-03-15 12:00 UTC.
inline constexpr std::time_t kFixedWriteTime = 1678881600;

// A FaultEnv whose clock stands still at kFixedWriteTime.
class FixedTimeFaultEnv : public io::FaultEnv {
public:
    FixedTimeFaultEnv() { fixTime(kFixedWriteTime); }
};

inline std::filesystem::path writerFixtureDir() {
    return std::filesystem::path(VELMORA_SHARED_DIR) / "fixtures" / "jet";
}

// A temporary folder removed with the object.
class TempDir {
public:
    TempDir() {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("velmora-writer-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Copies a fixture here and returns the copy's path.
    std::string copyFixture(const std::string& name) const {
        auto to = m_path / name;
        std::filesystem::copy_file(writerFixtureDir() / name, to,
                                   std::filesystem::copy_options::overwrite_existing);
        // The shared fixtures are marked read-only, and a copy keeps that mark.
        std::filesystem::permissions(to, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        return to.string();
    }

private:
    std::filesystem::path m_path;
};

inline std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

struct ProcessResult {
    int status = -1;
    std::string out;
};

// Runs a shell command, capturing its standard output (standard error goes to the test log).
inline ProcessResult runCommand(const std::string& command) {
    ProcessResult r;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return r;
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        r.out.append(buf.data(), n);
    r.status = ::pclose(pipe);
    return r;
}

inline std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

// Whether `now` holds the state `old`: the same size and every page byte for byte, except
// pages that state's global map marks free (a rolled-back commit may have filled them).
inline bool sameUsedPages(const std::vector<uint8_t>& now, const std::vector<uint8_t>& old,
                          const std::set<uint32_t>& freeInOld, size_t pageSize) {
    if (now.size() != old.size())
        return false;
    for (size_t p = 0; p * pageSize < now.size(); ++p) {
        if (freeInOld.count(uint32_t(p)))
            continue;
        size_t from = p * pageSize, to = std::min(now.size(), from + pageSize);
        if (!std::equal(now.begin() + long(from), now.begin() + long(to), old.begin() + long(from)))
            return false;
    }
    return true;
}

inline bool haveMdbTools() {
    return runCommand("command -v mdb-export >/dev/null 2>&1 && echo yes").out == "yes\n";
}

// mdb-export of one table (CSV with header), or the tool's failure.
inline ProcessResult mdbExport(const std::string& file, const std::string& table) {
    return runCommand("mdb-export " + shellQuote(file) + " " + shellQuote(table) + " 2>&1");
}

inline ProcessResult velmoraCheck(const std::string& file) {
    return runCommand(std::string(VELMORA_BIN_DIR) + "/velmora-db check " + shellQuote(file) +
                      " 2>&1");
}

}  // namespace velmora::engine::jet::testing
