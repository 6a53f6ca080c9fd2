// Running a shell command from a test and collecting everything it printed (stdout and
// stderr together), for the tests that drive velmora-db and mdbtools on real files.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace velmora::test {

struct ShellOutcome {
    int status = -1;  // the exit code, or -1 when the command did not exit normally
    std::string out;
};

inline ShellOutcome runShell(const std::string& command) {
    ShellOutcome r;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return r;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.out.append(buffer, n);
    const int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

// The path as one shell word, whatever characters it holds.
inline std::string shellQuoted(const std::filesystem::path& p) {
    std::string out = "'";
    for (char c : p.string())
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace velmora::test
