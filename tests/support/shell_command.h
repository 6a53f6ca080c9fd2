// Running a shell command from a test and collecting everything it printed (stdout and
// stderr together), for the tests that drive velmora-db and mdbtools on real files. On Windows
// the shell is cmd.exe, which finds no POSIX tool: a test that first asks for one with
// `command -v` skips there.
#pragma once

#ifndef _WIN32
#include <sys/wait.h>
#endif

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
#ifdef _WIN32
    FILE* pipe = ::_popen((command + " 2>&1").c_str(), "r");
#else
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
#endif
    if (pipe == nullptr)
        return r;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.out.append(buffer, n);
#ifdef _WIN32
    r.status = ::_pclose(pipe);  // the command's exit code
#else
    const int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    return r;
}

// The path as one shell word, whatever characters it holds.
inline std::string shellQuoted(const std::filesystem::path& p) {
#ifdef _WIN32
    // cmd.exe takes a word in double quotes, which no Windows path contains.
    return "\"" + p.string() + "\"";
#else
    std::string out = "'";
    for (char c : p.string())
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
#endif
}

}  // namespace velmora::test
