// The real main window on the offscreen platform over an editing session (the grid's
// in-place editing on WinSTB.mdb, in English), with the overlay editors and the main window's
// keys as the front end installs them. A test names the further core commands it uses.
#pragma once

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "core/app/app.h"
#include "core/app/main_window_controls.h"
#include "first_paint.h"
#include "qt/form_dialog.h"
#include "qt/form_widgets.h"
#include "qt/grid_view.h"
#include "qt/main_shortcuts.h"
#include "qt/main_window.h"
#include "qt/overlay_editing.h"
#include "qt/ports_qt_app.h"
#include "support/editing_session.h"

namespace velmora::test {

// The test application, made before anything of Qt the window holds.
struct WithQtTestApp {
    WithQtTestApp() { qtTestApp(); }
};

class EditingWindow : private WithQtTestApp {
public:
    EditingWindow() {
        s.storeSetting(core::app::SettingKey::Language, "eng");
        s.storeSetting(core::app::SettingKey::WinSTBPath, s.addDatabase("WinSTB.mdb"));
        window = std::make_unique<qt::MainWindow>(s.app());
        qt::installOverlayEditing(*window, s.app());
        qt::installMainShortcuts(*window, s.app());
    }

    // Modal forms are shown as Qt dialogs over the window rather than scripted.
    void showModalsInQt() {
        m_host.setDispatcher(s.app().dispatcher());
        m_host.setParent(window.get());
        s.modal().expectModal([this](core::form::Form& f) { m_host.showModal(f, {}); });
    }

    // Starts the program and shows the window, active and with its list painted.
    ::testing::AssertionResult start() {
        if (!s.app().start())
            return ::testing::AssertionFailure() << "start-up failed";
        window->show();
        if (!QTest::qWaitForWindowActive(window.get()))
            return ::testing::AssertionFailure() << "the window never became active";
        return waitForFirstPaint(s.app());
    }

    qt::GridView* grid() const {
        return qobject_cast<qt::GridView*>(window->widgets().widget(core::app::control::kMainGrid));
    }
    QLineEdit* textEditor() const {
        return qobject_cast<QLineEdit*>(window->widgets().widget(core::app::control::kTextEditor));
    }

    EditingSession s;
    std::unique_ptr<qt::MainWindow> window;

private:
    // Declared last: gone before the window it shows dialogs over.
    qt::QtModalHost m_host;
};

}  // namespace velmora::test
