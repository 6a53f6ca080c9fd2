// Keys and clicks of the three overlays, and the rule that the focus leaving an overlay for
// another control of the window goes to the grid instead (which finishes the edit).
//
// Text editor: Escape hides it and then gives the grid the focus (nothing is stored); Enter
// gives the grid the focus; Down and Up give the grid the focus, let the focus events run to
// the end (so the edit lands in its own cell) and then move the current row by one, never
// past the last row or above the first data row. Other keys edit the text.
//
// Group list: a click, or any change of its selection by the keyboard (the front end
// reports that as a click), and Enter give the grid the focus, finishing with the selected
// group; Escape hides it first, so nothing changes.
//
// Popup: an entry becoming selected (click or arrow keys) or Enter on the selected entry runs
// that entry's row command; then the selection is cleared and the grid gets the focus.
// Escape hides it and gives the grid the focus.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::form {
class Dispatcher;
}

namespace velmora::core::editing {

void textEditorKeyDown(app::App& app, int keyCode);
void groupListClick(app::App& app);
void groupListKeyDown(app::App& app, int keyCode);
void popupClick(app::App& app);
void popupKeyDown(app::App& app, int keyCode);

// An overlay lost the focus; when the focus went to another control of the main window
// (not the grid), the grid takes it.
void overlayLostFocus(app::App& app);

// Gives the grid the focus (the focus events run after the current handler).
void focusGrid(form::Dispatcher& dispatcher);

}  // namespace velmora::core::editing
