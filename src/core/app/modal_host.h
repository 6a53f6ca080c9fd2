// Showing one of the program's own windows modally (the first-run language window, the
// Settings window, the add-record window). The window is a core Form with its handlers in
// the dispatcher under the form's name; the host only shows it and returns when it closed.
//
// A window with grids (the add-record window) names the model behind each grid control; the
// host shows each through the same grid view as the main window's grid.
//
// Contract: showModal() is called with the form made visible. It returns once the form is no
// longer visible: the form's own handlers hide it to close it, and when the user closes the
// window by its close box, the host dispatches the form's Unload event and then hides it.
// The Qt front end builds a dialog from the form; tests run a script against it instead.
#pragma once

#include <map>
#include <string>

#include "core/form/form.h"
#include "core/grid/grid_model.h"

namespace velmora::core::app {

// The model behind each grid control of a window, by control name; owned by the window.
using ModalGrids = std::map<std::string, grid::GridModel*>;

class ModalHost {
public:
    virtual ~ModalHost() = default;
    virtual void showModal(form::Form& form, const ModalGrids& grids) = 0;
    void showModal(form::Form& form) { showModal(form, {}); }

    // A modeless window (the drag and drop window): showModeless() returns at once with the
    // window shown beside the main window, known to the window port under the form's name;
    // called again for a window already shown, it only brings it to the front. The host sends
    // the form's Unload event when the user closes it by its close box. closeModeless() takes
    // the window away; the core calls it before the form goes.
    virtual void showModeless(form::Form& form) = 0;
    virtual void closeModeless(form::Form& form) = 0;
};

}  // namespace velmora::core::app
