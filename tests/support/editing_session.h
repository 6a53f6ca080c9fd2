// A program session with the grid editing installed and the user's gestures on the grid and
// its overlays: a press gives the grid the focus first, as the window system does, then the
// grid reports the press; typing replaces the editor's text as the text box reports it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/app/main_form.h"
#include "core/editing/grid_edit.h"
#include "core/editing/grid_editing.h"
#include "core/grid/grid_types.h"
#include "core/grid/virtual_keys.h"
#include "support/app_session.h"

namespace velmora::test {

class EditingSession : public AppSession {
public:
    // Starts on `path` in English with the grid editing installed.
    bool startOn(const std::string& path) {
        storeSetting(core::app::SettingKey::Language, "eng");
        storeSetting(core::app::SettingKey::WinSTBPath, path);
        return start();
    }

    core::grid::GridModel& grid() { return app().grid(); }
    const core::form::Control& control(const std::string& name) { return form().control(name); }
    bool visible(const std::string& name) { return control(name).visible; }

    void focusGrid() {
        app().dispatcher().userFocus(core::app::kMainFormName, core::app::control::kMainGrid);
    }
    void dblClick(int row, int col) {
        focusGrid();
        grid().userSelectCell(row, col, false);
        grid().raiseDblClick();
    }
    // A right press at (x, y) twips from the grid's corner; the current cell stays.
    void rightPress(int xTwips, int yTwips) {
        focusGrid();
        grid().raiseMouseDown(core::form::kRightButton, 0, xTwips, yTwips);
    }
    void type(const std::string& text) {
        form().update(core::app::control::kTextEditor,
                      [&](core::form::Control& c) { c.text = text; });
    }
    void key(const std::string& control, int keyCode) {
        core::form::Event e;
        e.form = core::app::kMainFormName;
        e.control = control;
        e.kind = core::form::EventKind::KeyDown;
        e.keyCode = keyCode;
        app().dispatcher().dispatch(e);
    }
    // The user edits cell (row, col) in the text editor and presses Return.
    void edit(int row, int col, const std::string& text) {
        dblClick(row, col);
        ASSERT_TRUE(visible(core::app::control::kTextEditor))
            << "no editor at " << row << "," << col;
        type(text);
        key(core::app::control::kTextEditor, core::grid::vk::kReturn);
    }
    // The user picks item `index` of a list with the mouse.
    void pick(const std::string& list, int index) {
        form().setListIndex(list, index);
        core::form::Event e;
        e.form = core::app::kMainFormName;
        e.control = list;
        e.kind = core::form::EventKind::Click;
        app().dispatcher().dispatch(e);
    }
    int rowOf(const std::string& name, int col = 4) {
        for (int r = 1; r < grid().rows(); ++r) {
            if (cell(r, col) == name)
                return r;
        }
        return -1;
    }
};

}  // namespace velmora::test
