// The Qt host of the core's modal windows: a dialog built from the window's Form, run with
// its own event loop until the core hides the form. Closing the dialog by its close box
// sends the form's Unload event first. A window with a grid shows it through the main grid's
// view (GridView) and gets the in-place editor handling of the main window (OverlayEditing).
#pragma once

#include "core/app/modal_host.h"
#include "core/form/dispatcher.h"

class QWidget;

namespace velmora::qt {

class QtModalHost : public core::app::ModalHost {
public:
    // The dispatcher is the core's, which exists only after the core was given this host.
    void setDispatcher(core::form::Dispatcher& dispatcher) { m_dispatcher = &dispatcher; }

    // The window the dialogs are shown over; may change (none before the main window).
    void setParent(QWidget* parent) { m_parent = parent; }

    void showModal(core::form::Form& form, const core::app::ModalGrids& grids) override;

private:
    core::form::Dispatcher* m_dispatcher = nullptr;
    QWidget* m_parent = nullptr;
};

}  // namespace velmora::qt
