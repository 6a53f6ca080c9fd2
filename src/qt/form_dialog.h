// The Qt host of the core's modal windows: a dialog built from the window's Form, run with
// its own event loop until the core hides the form. Closing the dialog by its close box
// sends the form's Unload event first. A window with a grid shows it through the main grid's
// view (GridView) and gets the in-place editor handling of the main window (OverlayEditing).
#pragma once

#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>

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

    // Told of each modeless window made, so the window port knows it by the form's name.
    using WindowRegistry = std::function<void(const std::string& name, QWidget* window)>;
    void setWindowRegistry(WindowRegistry registry) { m_registry = std::move(registry); }

    void showModal(core::form::Form& form, const core::app::ModalGrids& grids) override;
    void showModeless(core::form::Form& form) override;
    void closeModeless(core::form::Form& form) override;

    // The modeless window shown for the form named `name`, or nullptr.
    QWidget* modelessWindow(const std::string& name) const;

private:
    core::form::Dispatcher* m_dispatcher = nullptr;
    QWidget* m_parent = nullptr;
    WindowRegistry m_registry;
    // A window may be deleted by Qt with its owner; the pointer then reads null.
    std::map<std::string, QPointer<QWidget>> m_modeless;
};

}  // namespace velmora::qt
