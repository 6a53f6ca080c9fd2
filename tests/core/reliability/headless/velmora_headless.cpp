// velmora-headless: the complete program without a window (headless_program.h) on a real
// file. It starts on the database given, builds the channel list, says "ready" on stdout,
// runs one whole command the way a user would start it, and says "done".
//
//     velmora-headless FILE COMMAND [N]     (COMMAND as listed in headless_program.h)
//
// The SIGKILL harness (kill_harness_test.cpp) kills it at random moments of the command.
#include <cstdlib>
#include <iostream>
#include <string>

#include "engine/io/file.h"
#include "headless_program.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: velmora-headless FILE "
                     "save|delete-selection|renumber|delete-empty|paste [N]|rename-group|"
                     "duplicates|compact\n";
        return 2;
    }
    const std::string command = argv[2];
    velmora::test::HeadlessProgram::Options options;
    options.printMessages = true;
    velmora::test::HeadlessProgram program(argv[1], velmora::engine::io::Env::real(), options);
    if (const int code = program.prepare(command, argc == 4 ? std::atoi(argv[3]) : 450))
        return code;
    std::cout << "ready" << std::endl;
    if (const int code = program.run()) {
        std::cerr << "unknown command " << command << '\n';
        return code;
    }
    std::cout << "done" << std::endl;
    return 0;
}
