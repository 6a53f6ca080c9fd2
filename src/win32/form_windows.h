// FormWindows: the Win32 controls of one core Form, built from its control data and kept in
// step with it.
//
// One child window per control on the window's client area (frame: a window of our own that
// paints its colour, an etched border and its caption; button, check box, option button:
// BUTTON; label: STATIC; list box: LISTBOX; text box: EDIT; grid: GridControl over the model
// the caller names). Controls inside a frame are siblings above it, placed at the frame's
// place plus their own, and hidden or disabled with it. Every user action is sent to the
// core's dispatcher as the form's event; what the core changes comes back through
// FormListener and is applied under a guard, so it never returns as a user action.
//
// Keys a control has a core handler for (Escape, Enter, Up and Down in a text box; Escape and
// Enter in a list box) go to that handler instead of the control; a key that moves a list
// box's selection, and a click on one of its items, is the list's Click.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/form/dispatcher.h"
#include "core/form/form.h"
#include "core/grid/grid_model.h"
#include "win32/grid_control.h"
#include "win32/screen_units.h"
#include "win32/window_directory.h"

namespace velmora::win32 {

class FormWindows : private core::form::FormListener {
public:
    // Builds the controls of `form` on `surface` (the window's client area). `grids` gives the
    // model behind each grid control by name. Form, dispatcher, directory and grids must
    // outlive this object; the surface's window procedure passes its messages to
    // handleSurfaceMessage().
    FormWindows(core::form::Form& form, core::form::Dispatcher& dispatcher,
                WindowDirectory& directory, HWND surface,
                std::map<std::string, core::grid::GridModel*> grids = {});
    ~FormWindows() override;
    FormWindows(const FormWindows&) = delete;
    FormWindows& operator=(const FormWindows&) = delete;

    core::form::Form& form() const { return m_form; }
    HWND surface() const { return m_surface; }
    // The window of a control, or nullptr.
    HWND window(const std::string& control) const;
    GridControl* grid(const std::string& control) const;

    int dpi() const { return m_dpi; }
    // Lays every control out anew at another DPI (the window moved to another monitor).
    void setDpi(int dpi);
    int toPixels(int twips) const { return win32::toPixels(twips, m_dpi); }
    int toTwips(int pixels) const { return win32::toTwips(pixels, m_dpi); }

    // True while a core change is being applied to the windows.
    bool applying() const { return m_applying; }
    void applyGuarded(const std::function<void()>& f);

    // Called for window-level changes (caption, geometry, colour, visibility).
    void setWindowChangedHandler(std::function<void()> handler) {
        m_windowChanged = std::move(handler);
    }

    // The surface's messages that concern its controls: commands, control colours and the
    // background. True when handled, with the result in `result`.
    bool handleSurfaceMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Gives the keyboard focus to the control the core last gave it to, when that is one of
    // this form's and can take it, else to the first of the design that can (a window that
    // is activated passes its focus on this way).
    void focusControl();

    // Stops following the form, which is about to go away; the windows stay until this
    // object goes, showing what they showed, and send nothing more.
    void detach();
    bool detached() const { return m_detached; }

    // The colour a control's area shows where the control itself paints nothing: its own,
    // else its container's, else the window's.
    COLORREF areaColor(const std::string& control) const;

private:
    struct Item {
        std::string name;
        int id = 0;
        HWND hwnd = nullptr;
        ControlTag tag;
        std::unique_ptr<GridControl> grid;
        // A text box's selection as last applied: the user's typing moves the caret, and
        // the core's copy of the text coming back must not move it again.
        int selStart = -1;
        int selLength = -1;
        // A list box saw the press of the release it gets: a release alone (the end of the
        // double click that opened the list over the cell) is no click on it.
        bool pressed = false;
    };

    void controlChanged(const core::form::Control& control) override;
    void formChanged() override;

    void create(const core::form::Control& control);
    void apply(const core::form::Control& control);
    // Place, visibility and enabled state follow the containers too.
    void applyPlace(const core::form::Control& control, Item& item);
    void applyContents(const core::form::Control& control);
    bool effectivelyVisible(const core::form::Control& control) const;
    bool effectivelyEnabled(const core::form::Control& control) const;
    POINT origin(const core::form::Control& control) const;  // the container's place, pixels
    Item* itemById(int id);
    Item* itemByName(const std::string& name) const;
    void command(Item& item, int code);
    void dispatch(const std::string& control, core::form::EventKind kind, int keyCode = 0);

    static LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR data);
    LRESULT controlMessage(Item& item, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    core::form::Form& m_form;
    core::form::Dispatcher& m_dispatcher;
    WindowDirectory& m_directory;
    HWND m_surface;
    std::map<std::string, core::grid::GridModel*> m_grids;
    std::vector<std::unique_ptr<Item>> m_items;
    GdiCache m_gdi;
    int m_dpi;
    std::function<void()> m_windowChanged;
    bool m_applying = false;
    bool m_detached = false;
};

}  // namespace velmora::win32
