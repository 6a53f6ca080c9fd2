// Puts the whole program together: every subsystem installs its commands, its handlers and
// its views into the App, in the order their dependencies need (a view checks the commands
// it names when it registers, so the commands come first).
//
// The Qt front end calls it before start-up; so do the tests that run the complete program
// headless. A command a view names that nobody installed throws std::logic_error here.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::program {

void installProgram(app::App& app);

}  // namespace velmora::core::program
