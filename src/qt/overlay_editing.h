// The Qt side of the grid's in-place editing: the overlays Text1, List2 and List3 of the
// main window (and the editor Text1 of the add-record window) as the core opens them, their keys,
// and the focus kept in step both ways.
//
// The core decides where the focus is (the dispatcher's focus record); this object moves
// Qt's keyboard focus to the widget of the control the core chose, and tells the core when
// the user moved Qt's focus to another control of the window (a click on the grid or on a
// button while an editor is open), which the core then redirects to the grid.
//
// Keys: in Text1, Escape, Enter, Up and Down go to the core as the editor's key events
// (other keys edit the text, which FormWidgets hands to the core as it changes). In List2
// and List3, Escape and Enter go to the core; a key that moves the selection is a click,
// as a list box raises it on the window system the program was made for. When an overlay
// is shown it takes the font the core gave it, comes to the top and puts the caret where
// the core says.
#pragma once

#include <QObject>

#include <string>

#include "core/app/app.h"
#include "core/form/dispatcher.h"
#include "core/grid/grid_model.h"

class QWidget;

namespace velmora::qt {

class FormWidgets;
class MainWindow;

class OverlayEditing : public QObject {
    Q_OBJECT

public:
    // The overlays of the window `widgets` shows, laid over its grid `grid`. Dispatcher,
    // widgets and grid must outlive this object.
    OverlayEditing(core::form::Dispatcher& dispatcher, FormWidgets& widgets,
                   const core::grid::GridModel& grid, QObject* parent);
    ~OverlayEditing() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void coreMovedFocus(const std::string& form, const std::string& control);
    void qtMovedFocus(QWidget* now);
    // The window's control a widget belongs to (the widget or one of its parents).
    std::string controlOf(QWidget* widget) const;
    void dispatchKey(const std::string& control, int keyCode, int shift);
    void shown(const std::string& control, QWidget* widget);

    core::form::Dispatcher& m_dispatcher;
    FormWidgets& m_widgets;
    const core::grid::GridModel& m_grid;
    int m_focusObserver = 0;
    bool m_movingFocus = false;  // Qt's focus follows the core: not a user's move
};

// Installs the Qt side over the main window's widgets; the object lives as long as the window.
// The modal windows with a grid (the add-record window) get their own, for their dialog.
void installOverlayEditing(MainWindow& window, core::app::App& app);

}  // namespace velmora::qt
