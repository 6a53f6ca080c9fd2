// Running a command-line program from a test and collecting what it printed.
#pragma once

#include <string>
#include <vector>

namespace velmora::tools::testing {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `argv` (argv[0] a path or a name on PATH) with no shell interpretation of the
// arguments and waits for it.
ProcessResult runProcess(const std::vector<std::string>& argv);

// Path of velmora-db in the build tree.
std::string velmoraDb();

// Whether a program is on PATH.
bool haveProgram(const std::string& name);

}  // namespace velmora::tools::testing
