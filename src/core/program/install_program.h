// Puts the whole program together: the App over the front end's ports, the main window's
// own events and keys, then every subsystem with its commands, its handlers and its views, in
// the order their dependencies need (a view checks the commands it names when it registers,
// so the commands come first).
//
// Every front end's entry point calls it, and so does every test that runs the complete
// program, so they all run the same program. A command a view names that nobody installed
// throws std::logic_error here.
#pragma once

#include <memory>

#include "core/app/app.h"

namespace velmora::core::program {

std::unique_ptr<app::App> installProgram(ports::Ports ports, app::ModalHost& modalHost,
                                         app::AppConfig config);

}  // namespace velmora::core::program
