// The Qt side of the group picker List4 ("Put Select in group..."): its keys reach the core
// as the list box's key events, and a key that moves its selection is the list's click, as on
// the window system the program was made for. Clicks on an item already reach the core
// through FormWidgets; the focus follows the core through the overlay handling.
#pragma once

#include <QObject>

#include "core/form/event.h"

namespace velmora::core::app {
class App;
}

namespace velmora::qt {

class FormWidgets;
class MainWindow;

class GroupPickerKeys : public QObject {
    Q_OBJECT

public:
    // `app` and `widgets` must outlive this object.
    GroupPickerKeys(core::app::App& app, FormWidgets& widgets, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dispatch(core::form::EventKind kind, int keyCode);

    core::app::App& m_app;
    FormWidgets& m_widgets;
};

// Installs the picker's key handling on the main window; it lives as long as the window.
void installGroupPickerKeys(MainWindow& window, core::app::App& app);

}  // namespace velmora::qt
