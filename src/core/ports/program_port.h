// Ending the program at once, as compacting does after it has closed the database: no close
// handler runs, no save question is asked and no window position is stored.
#pragma once

namespace velmora::core::ports {

class ProgramPort {
public:
    virtual ~ProgramPort() = default;

    // Ends the program with the given exit code without running any window's close steps.
    // The call may return (the process then ends as soon as control is back in the event
    // loop); the caller must return at once and change nothing more.
    virtual void endProgram(int exitCode = 0) = 0;
};

}  // namespace velmora::core::ports
