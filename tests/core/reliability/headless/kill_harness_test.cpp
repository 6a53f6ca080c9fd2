// Whole commands of the complete program under SIGKILL. The headless program runs a command on
// a copy of a demo channel database and is killed at a random moment of it; the file, opened
// again (which finishes an interrupted commit's rollback), must hold exactly the state before
// the command or the state after it, pass velmora-db check, and be read by mdbtools.
//
// Two commands have more than one sound state by design. A paste commits its records in
// batches (paste_rows.h), so a whole batch more is sound too; those states are made by
// pasting 200 and 400 of the 450 lines uninterrupted. Compacting never writes the open file:
// it must stay byte for byte what it was, and the copy beside it is either absent or
// complete (the same rows) and sound.
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
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "support/shell_command.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kBin = velmora::test::binDir();

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
    for (const char* table : {"CHANNELS", "FAVOURITE", "FAVNAME", "SETTINGS"}) {
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
    Headless(const fs::path& file, const std::vector<std::string>& args) {
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
            std::vector<char*> argv{const_cast<char*>(exe.c_str()),
                                    const_cast<char*>(file.c_str())};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(exe.c_str(), argv.data());
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
    auto db = engine::jet::JetDatabase::open(file.string(), engine::io::Env::real());
    return db.isOk() ? std::string() : db.status().toString();
}

std::string checked(const fs::path& file) {
    const ShellOutcome check = runShell(kBin + "/velmora-db check " + quoted(file));
    return check.status == 0 ? std::string() : "velmora-db check: " + check.out;
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ReNumber refuses a list with a channel on two frequencies: those channels go first.
void dropMultiFrequencyChannels(const fs::path& file) {
    const ShellOutcome found =
        runShell(kBin + "/velmora-db sql " + quoted(file) +
                 " 'SELECT SOURCEID, SID, NID FROM CHANNELS GROUP BY SOURCEID, SID, NID HAVING "
                 "Count(FREQUENCY)>1'");
    ASSERT_EQ(found.status, 0) << found.out;
    std::istringstream lines(found.out);
    std::string line;
    std::getline(lines, line);  // the header
    std::string statements;
    while (std::getline(lines, line)) {
        std::istringstream cells(line);
        std::string source, sid, nid;
        std::getline(cells, source, ',');
        std::getline(cells, sid, ',');
        std::getline(cells, nid, ',');
        source = source.substr(1, source.size() - 2);  // "S19.2E", no quote inside
        statements += " \"DELETE FROM CHANNELS WHERE SOURCEID='" + source + "' AND SID=" + sid +
                      " AND NID=" + nid + "\"";
    }
    ASSERT_FALSE(statements.empty()) << "the demo has no channel on two frequencies any more";
    const ShellOutcome dropped = runShell(kBin + "/velmora-db sql " + quoted(file) + statements);
    ASSERT_EQ(dropped.status, 0) << dropped.out;
}

struct KilledCommand {
    const char* name;
    std::vector<std::string> args;
    // Commands whose uninterrupted runs give the further sound states.
    std::vector<std::vector<std::string>> partial;
    bool compacts = false;
    bool withoutMultiFrequency = false;
};

void PrintTo(const KilledCommand& c, std::ostream* os) {
    *os << c.name;
}

// What a run left: the file's rows, and for compacting the copy beside it too. Empty on a
// fault of its own (a file that cannot be opened or fails the check), with `fault` set.
std::string stateOf(const KilledCommand& c, const fs::path& file, std::string& fault) {
    fault = reopen(file);
    if (fault.empty())
        fault = checked(file);
    if (!fault.empty())
        return {};
    std::string state = dump(file);
    if (c.compacts) {
        const fs::path copy = file.parent_path() / (file.stem().string() + "1.mdb");
        if (!fs::exists(copy))
            return state + "== no copy\n";
        fault = checked(copy);
        if (!fault.empty())
            return {};
        state += "== copy\n" + dump(copy);
    }
    return state;
}

class KilledMidCommand : public ::testing::TestWithParam<KilledCommand> {};

TEST_P(KilledMidCommand, EveryReopenedFileIsTheStateBeforeOrAfter) {
    if (runShell("command -v mdb-export").status != 0)
        GTEST_SKIP() << "mdbtools are not installed";
    const KilledCommand& command = GetParam();
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
    if (command.withoutMultiFrequency) {
        ASSERT_NO_FATAL_FAILURE(dropMultiFrequencyChannels(base));
    }
    const std::string baseBytes = bytesOf(base);
    std::string fault;
    const std::string before = stateOf(command, base, fault);
    ASSERT_EQ(fault, "");

    // The whole command once, uninterrupted: the state after, and how long it runs.
    Clock::duration duration{};
    auto runWhole = [&](const std::vector<std::string>& args, const std::string& name) {
        const fs::path file = dir / name / "whole.mdb";
        fs::create_directories(file.parent_path());
        fs::copy_file(base, file);
        Headless run(file, args);
        EXPECT_TRUE(run.waitReady());
        const auto start = Clock::now();
        EXPECT_EQ(run.finish(), 0);
        duration = Clock::now() - start;
        std::string state = stateOf(command, file, fault);
        EXPECT_EQ(fault, "") << name;
        return state;
    };
    std::vector<std::string> sound{before};
    for (std::size_t p = 0; p < command.partial.size(); ++p)
        sound.push_back(runWhole(command.partial[p], "partial" + std::to_string(p)));
    const std::string after = runWhole(command.args, "whole");
    ASSERT_FALSE(HasFailure());
    sound.push_back(after);
    for (std::size_t i = 0; i + 1 < sound.size(); ++i)
        ASSERT_NE(sound[i], sound[i + 1]) << "state " << i + 1 << " changed nothing";

    // Kills spread over the command and past its end (the commit comes last).
    std::mt19937 rng(rd());
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(duration) * 3 / 2;
    std::uniform_int_distribution<long long> moment(0, std::max<long long>(1, span.count()));
    std::vector<int> seen(sound.size(), 0);
    for (int k = 0; k < killsPerCommand(); ++k) {
        const fs::path file = dir / ("run" + std::to_string(k)) / "channels.mdb";
        fs::create_directories(file.parent_path());
        fs::copy_file(base, file);
        const auto delay = std::chrono::microseconds(moment(rng));
        {
            Headless run(file, command.args);
            ASSERT_TRUE(run.waitReady());
            std::this_thread::sleep_for(delay);
            run.kill();
            (void)run.finish();
        }
        if (command.compacts) {
            EXPECT_TRUE(bytesOf(file) == baseBytes)
                << "kill " << k << " after " << delay.count() << " us changed the open file";
        }
        const std::string state = stateOf(command, file, fault);
        ASSERT_EQ(fault, "") << "kill " << k << " after " << delay.count() << " us";
        const auto it = std::find(sound.begin(), sound.end(), state);
        EXPECT_NE(it, sound.end())
            << "kill " << k << " after " << delay.count() << " us left a state of its own";
        if (HasFailure())
            break;
        ++seen[it - sound.begin()];
        fs::remove_all(file.parent_path());
    }
    std::cout << command.name << ": " << seen.front() << " before, " << seen.back() << " after";
    for (std::size_t i = 1; i + 1 < seen.size(); ++i)
        std::cout << ", " << seen[i] << " at batch " << i;
    std::cout << ", command "
              << std::chrono::duration_cast<std::chrono::milliseconds>(duration).count() << " ms\n";
}

const KilledCommand kCommands[] = {
    {"save", {"save"}, {}},
    {"deleteselection", {"delete-selection"}, {}},
    {"renumber", {"renumber"}, {}, false, true},
    {"deleteempty", {"delete-empty"}, {}},
    {"paste", {"paste", "450"}, {{"paste", "200"}, {"paste", "400"}}},
    {"compact", {"compact"}, {}, true},
};

INSTANTIATE_TEST_SUITE_P(Commands, KilledMidCommand, ::testing::ValuesIn(kCommands),
                         [](const ::testing::TestParamInfo<KilledCommand>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace velmora::test
