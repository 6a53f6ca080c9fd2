// Whole commands of the complete program under SIGKILL. The headless program runs a command on
// a copy of a demo channel database and is killed at a random moment of it; the file, opened
// again (which finishes an interrupted commit's rollback), must hold exactly the state before
// the command or the state after it, pass velmora-db check, and be read by mdbtools.
//
// The moments are random but the verdict is not: a sound commit gives before or after
// whenever the kill lands. VELMORA_KILLS sets the kills per command (10 by default; the
// "long" label runs 100).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "support/shell_command.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kBin = VELMORA_BIN_DIR;

int killsPerCommand() {
    const char* n = std::getenv("VELMORA_KILLS");
    return n != nullptr && std::atoi(n) > 0 ? std::atoi(n) : 10;
}

std::string quoted(const fs::path& p) {
    return shellQuoted(p);
}

// Every table the commands touch, as mdb-export prints it, data lines sorted.
std::string dump(const fs::path& file) {
    std::string all;
    for (const char* table : {"CHANNELS", "FAVOURITE", "FAVNAME"}) {
        const ShellOutcome r = runShell("mdb-export " + quoted(file) + " " + table);
        if (r.status != 0)
            return "mdb-export failed on " + std::string(table) + ": " + r.out;
        std::vector<std::string> lines;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        if (!lines.empty())
            std::sort(lines.begin() + 1, lines.end());
        all += std::string("== ") + table + "\n";
        for (const std::string& l : lines)
            all += l + "\n";
    }
    return all;
}

// The headless program on `file`, started; its stdout is read up to "ready".
class Headless {
public:
    Headless(const fs::path& file, const std::string& command) {
        int out[2];
        if (::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            const int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, STDERR_FILENO);
            ::close(out[0]);
            const std::string exe = kBin + "/velmora-headless";
            ::execl(exe.c_str(), exe.c_str(), file.c_str(), command.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        m_out = out[0];
    }
    ~Headless() {
        if (m_pid > 0)
            (void)finish();
        if (m_out >= 0)
            ::close(m_out);
    }
    // Reads stdout up to the line "ready": the command starts now.
    bool waitReady() {
        std::string seen;
        char c;
        while (::read(m_out, &c, 1) == 1) {
            seen += c;
            if (seen.find("ready\n") != std::string::npos)
                return true;
        }
        return false;
    }
    void kill() {
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL);
    }
    // The exit status (128 + signal for a killed one).
    int finish() {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

// Opens the file as the program does, so a hot journal is rolled back, then lets it go.
std::string reopen(const fs::path& file) {
    auto db = engine::jet::JetDatabase::open(file.string(), engine::io::Env::posix());
    return db.isOk() ? std::string() : db.status().toString();
}

class KilledMidCommand : public ::testing::TestWithParam<const char*> {};

TEST_P(KilledMidCommand, EveryReopenedFileIsTheStateBeforeOrAfter) {
    if (runShell("command -v mdb-export").status != 0)
        GTEST_SKIP() << "mdbtools are not installed";
    const std::string command = GetParam();
    std::random_device rd;
    const fs::path dir = fs::temp_directory_path() / ("velmora-kill-" + std::to_string(rd()));
    fs::create_directories(dir);
    struct Cleanup {
        fs::path dir;
        ~Cleanup() {
            std::error_code ec;
            fs::remove_all(dir, ec);
        }
    } cleanup{dir};

    const fs::path base = dir / "base.mdb";
    const ShellOutcome demo =
        runShell(kBin + "/velmora-db demo " + quoted(base) + " --channels 1500 --seed 19");
    ASSERT_EQ(demo.status, 0) << demo.out;
    const std::string before = dump(base);

    // The whole command once, uninterrupted: the state after, and how long it runs.
    const fs::path full = dir / "full.mdb";
    fs::copy_file(base, full);
    Clock::duration duration{};
    {
        Headless run(full, command);
        ASSERT_TRUE(run.waitReady());
        const auto start = Clock::now();
        ASSERT_EQ(run.finish(), 0);
        duration = Clock::now() - start;
    }
    const std::string after = dump(full);
    ASSERT_NE(before, after) << "the command changed nothing";
    ASSERT_EQ(runShell(kBin + "/velmora-db check " + quoted(full)).status, 0);

    // Kills spread over the command and past its end (the commit comes last).
    std::mt19937 rng(rd());
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(duration) * 3 / 2;
    std::uniform_int_distribution<long long> moment(0, std::max<long long>(1, span.count()));
    int sawBefore = 0;
    int sawAfter = 0;
    for (int k = 0; k < killsPerCommand(); ++k) {
        const fs::path file = dir / ("run" + std::to_string(k) + ".mdb");
        fs::copy_file(base, file);
        const auto delay = std::chrono::microseconds(moment(rng));
        {
            Headless run(file, command);
            ASSERT_TRUE(run.waitReady());
            std::this_thread::sleep_for(delay);
            run.kill();
            (void)run.finish();
        }
        ASSERT_EQ(reopen(file), "") << "kill " << k << " after " << delay.count() << " us";
        const std::string state = dump(file);
        const bool isBefore = state == before;
        const bool isAfter = state == after;
        EXPECT_TRUE(isBefore || isAfter)
            << "kill " << k << " after " << delay.count() << " us left a third state";
        const ShellOutcome check = runShell(kBin + "/velmora-db check " + quoted(file));
        EXPECT_EQ(check.status, 0) << "kill " << k << ": " << check.out;
        sawBefore += isBefore;
        sawAfter += isAfter;
        if (HasFailure())
            break;
        fs::remove(file);
        fs::remove(file.string() + ".ldb");
    }
    RecordProperty("before", sawBefore);
    RecordProperty("after", sawAfter);
    std::cout << command << ": " << sawBefore << " before, " << sawAfter << " after, command "
              << std::chrono::duration_cast<std::chrono::milliseconds>(duration).count() << " ms\n";
}

INSTANTIATE_TEST_SUITE_P(Commands, KilledMidCommand, ::testing::Values("save", "delete-selection"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

}  // namespace
}  // namespace velmora::test
