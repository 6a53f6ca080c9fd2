// Helpers of the writer tests: fixture copies in a temporary folder, and the independent
// readers (mdbtools, velmora-db check) run as real processes.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/io/fault_env.h"
#include "engine/jet/jet_database.h"
#include "support/test_paths.h"

namespace velmora::engine::jet::testing {

// The writer stamps the time into what it writes (a new table's catalog dates), so tests
// that compare whole files write at one fixed time: 2023-03-15 12:00 UTC.
inline constexpr std::time_t kFixedWriteTime = 1678881600;

// A database in a FaultEnv or a MemoryEnv, which have no operating-system locks to take.
inline OpenOptions noOsLocks() {
    OpenOptions o;
    o.useOsLocks = false;
    return o;
}

// A FaultEnv whose clock stands still at kFixedWriteTime.
class FixedTimeFaultEnv : public io::FaultEnv {
public:
    FixedTimeFaultEnv() { fixTime(kFixedWriteTime); }
};

// Seeded power cuts per commit family: 50 in every run, VELMORA_POWER_CUTS under the "long"
// label. Seeds run from 1, so a failure names the seed that repeats it.
inline int powerCutsPerFamily() {
    const char* n = std::getenv("VELMORA_POWER_CUTS");
    return n != nullptr && std::atoi(n) > 0 ? std::atoi(n) : 50;
}

// The sync a seeded power cut comes at, 1 to `syncs`: the seeds take the syncs in turn.
inline int cutSyncOf(uint64_t seed, int syncs) {
    return 1 + int((seed - 1) % uint64_t(std::max(1, syncs)));
}

// After a power cut: the power comes back and the file is opened by `open`, as the next
// program opens it, which rolls an interrupted commit back. The seed decides whether the
// power goes again during that open, at its first or second sync, up to three times in a
// row, so a rollback cut off in turn is finished by the next open. Returns how many cuts hit
// an open; the power is on at the end.
inline int cutPowerDuringRecovery(io::FaultEnv& env, uint64_t seed,
                                  const std::function<void()>& open) {
    std::mt19937_64 random(seed * 0x9e3779b97f4a7c15ull);
    int cuts = 0;
    while (cuts < 3 && random() % 2 == 0) {
        env.revive();
        env.crashAtSync(1 + int(random() % 2));
        open();
        if (!env.crashed())
            break;  // the open was done before the cut
        ++cuts;
    }
    env.crashAtSync(0);
    env.revive();
    return cuts;
}

inline std::filesystem::path writerFixtureDir() {
    return std::filesystem::path(velmora::test::sharedDir()) / "fixtures" / "jet";
}

// A temporary folder removed with the object.
class TempDir {
public:
    // A folder no one else has: process ids come round again (under Wine within minutes), and
    // a folder a killed run left behind must not hand its files to a later test.
    TempDir() {
        static int counter = 0;
        const auto base = std::filesystem::temp_directory_path();
        std::filesystem::create_directories(base);
        do {
            m_path = base / ("velmora-writer-" + std::to_string(::getpid()) + "-" +
                             std::to_string(counter++));
        } while (!std::filesystem::create_directory(m_path));
    }
    // Files a test marked read-only are made writable first: Windows removes no such file.
    ~TempDir() {
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_path, ec)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ec);
        }
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
#ifdef _WIN32
    // cmd.exe takes a word in double quotes, which no Windows path contains.
    return "\"" + s + "\"";
#else
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
#endif
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

// A Windows program reaches no POSIX tool (under Wine, cmd.exe may even report an unknown
// command as found): the Linux build reads the files back.
inline bool haveMdbTools() {
#ifdef _WIN32
    return false;
#else
    return runCommand("command -v mdb-export >/dev/null 2>&1 && echo yes").out == "yes\n";
#endif
}

// mdb-export of one table (CSV with header), or the tool's failure.
inline ProcessResult mdbExport(const std::string& file, const std::string& table) {
    return runCommand("mdb-export " + shellQuote(file) + " " + shellQuote(table) + " 2>&1");
}

inline ProcessResult velmoraCheck(const std::string& file) {
    return runCommand(std::string(velmora::test::binDir()) + "/velmora-db check " +
                      shellQuote(file) + " 2>&1");
}

}  // namespace velmora::engine::jet::testing
