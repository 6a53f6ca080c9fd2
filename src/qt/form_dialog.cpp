#include "qt/form_dialog.h"

#include <QDialog>
#include <QKeyEvent>

#include "core/form/control_design.h"
#include "qt/form_widgets.h"
#include "qt/grid_view.h"
#include "qt/modeless_window.h"
#include "qt/overlay_editing.h"

namespace velmora::qt {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Keys that reach the dialog itself (those its focused widget left alone, such as Enter in a
// text box, Escape or a function key) go to the window's own KeyDown handler when the core
// window has one; a window without one keeps Qt's dialog keys (Enter, Escape).
class WindowKeys : public QObject {
public:
    WindowKeys(core::form::Form& form, core::form::Dispatcher& dispatcher)
        : m_form(form), m_dispatcher(dispatcher) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress ||
            !m_dispatcher.hasHandler(m_form.name(), "", core::form::EventKind::KeyDown)) {
            return QObject::eventFilter(watched, event);
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const int code = GridView::virtualKeyCode(key->key(), key->modifiers());
        if (code == 0) {
            return QObject::eventFilter(watched, event);
        }
        core::form::Event e;
        e.form = m_form.name();
        e.kind = core::form::EventKind::KeyDown;
        e.keyCode = code;
        e.shift = GridView::shiftMask(key->modifiers());
        m_dispatcher.dispatch(e);
        return true;
    }

private:
    core::form::Form& m_form;
    core::form::Dispatcher& m_dispatcher;
};

}  // namespace

void QtModalHost::showModal(core::form::Form& form, const core::app::ModalGrids& grids) {
    QDialog dialog(m_parent);
    FormWidgets widgets(form, *m_dispatcher, &dialog, grids);
    if (!grids.empty() && grids.begin()->second != nullptr) {
        // Owned by the dialog; its editor lies over the window's grid.
        new OverlayEditing(*m_dispatcher, widgets, *grids.begin()->second, &dialog);
    }
    WindowKeys keys(form, *m_dispatcher);
    dialog.installEventFilter(&keys);
    auto applyWindow = [&] {
        dialog.setWindowTitle(fromUtf8(form.caption()));
        const auto g = form.geometry();
        dialog.setFixedSize(widgets.twipsToPixelsX(g.width - core::form::kDialogFrameWidth),
                            widgets.twipsToPixelsY(g.height - core::form::kDialogFrameHeight));
        // The core places its windows in screen twips, as it places the main window.
        dialog.move(widgets.twipsToPixelsX(g.left), widgets.twipsToPixelsY(g.top));
        if (form.backColor()) {
            QPalette p = dialog.palette();
            const auto c = *form.backColor();
            p.setColor(QPalette::Window, QColor(c.red, c.green, c.blue));
            dialog.setPalette(p);
        }
        if (!form.isVisible() && dialog.isVisible()) {
            dialog.accept();
        }
    };
    widgets.setWindowChangedHandler(applyWindow);
    applyWindow();
    if (!form.isVisible()) {
        return;
    }
    // The control the core gave the focus to, when it is one of this window's.
    if (m_dispatcher->focusForm() == form.name()) {
        if (QWidget* focus = widgets.widget(m_dispatcher->focusControl())) {
            focus->setFocus(Qt::OtherFocusReason);
        }
    }
    dialog.exec();
    if (form.isVisible()) {
        // Closed by the window's close box or Escape.
        core::form::Event unload;
        unload.form = form.name();
        unload.kind = core::form::EventKind::Unload;
        m_dispatcher->dispatch(unload);
        form.setVisible(false);
    }
}

void QtModalHost::showModeless(core::form::Form& form) {
    QPointer<QWidget>& shown = m_modeless[form.name()];
    if (shown.isNull()) {
        shown = new ModelessWindow(form, *m_dispatcher);
        if (m_registry)
            m_registry(form.name(), shown.data());
    }
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void QtModalHost::closeModeless(core::form::Form& form) {
    const auto it = m_modeless.find(form.name());
    if (it == m_modeless.end())
        return;
    if (auto* window = qobject_cast<ModelessWindow*>(it->second.data())) {
        // The form goes right after this; the widgets stop following it now, the window
        // itself once the event that closed it has returned.
        window->detach();
        window->hide();
        window->deleteLater();
    }
    m_modeless.erase(it);
}

QWidget* QtModalHost::modelessWindow(const std::string& name) const {
    const auto it = m_modeless.find(name);
    return it == m_modeless.end() ? nullptr : it->second.data();
}

}  // namespace velmora::qt
