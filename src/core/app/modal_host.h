// Showing one of the program's own windows modally (the first-run language window, the
// Settings window, the add-record window). The window is a core Form with its handlers in
// the dispatcher under the form's name; the host only shows it and returns when it closed.
//
// Contract: showModal() is called with the form made visible. It returns once the form is no
// longer visible: the form's own handlers hide it to close it, and when the user closes the
// window by its close box, the host dispatches the form's Unload event and then hides it.
// The Qt front end builds a dialog from the form; tests run a script against it instead.
#pragma once

#include "core/form/form.h"

namespace velmora::core::app {

class ModalHost {
public:
    virtual ~ModalHost() = default;
    virtual void showModal(form::Form& form) = 0;
};

}  // namespace velmora::core::app
