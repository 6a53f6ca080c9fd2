#include "core/editing/overlay_keys.h"

#include <exception>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/editing/grid_edit.h"
#include "core/editing/grid_keys.h"
#include "core/grid/virtual_keys.h"

namespace velmora::core::editing {

namespace vk = grid::vk;

void focusGrid(form::Dispatcher& d) {
    if (d.focusForm() == app::kMainFormName && d.focusControl() == kMainGrid) {
        // The record says the grid has the focus while an overlay is open: an abandoned
        // command dropped the focus events it had queued. Finish as the focus return would.
        form::Event got;
        got.form = app::kMainFormName;
        got.control = kMainGrid;
        got.kind = form::EventKind::GotFocus;
        d.post(got);
        return;
    }
    d.setFocus(app::kMainFormName, kMainGrid);
}

void textEditorKeyDown(app::App& app, int keyCode) {
    grid::GridModel& g = app.grid();
    switch (keyCode) {
        case vk::kEscape:
            app.mainForm().setVisible(kTextEditor, false);
            focusGrid(app.dispatcher());
            break;
        case vk::kReturn:
            focusGrid(app.dispatcher());
            break;
        case vk::kDown:
            focusGrid(app.dispatcher());
            app.runPendingEvents();
            if (g.row() < g.rows() - 1)
                (void)g.setRow(g.row() + 1);
            break;
        case vk::kUp:
            focusGrid(app.dispatcher());
            app.runPendingEvents();
            if (g.row() > g.fixedRows())
                (void)g.setRow(g.row() - 1);
            break;
        default:
            break;
    }
}

void groupListClick(app::App& app) {
    focusGrid(app.dispatcher());
}

void groupListKeyDown(app::App& app, int keyCode) {
    if (keyCode == vk::kEscape) {
        app.mainForm().setVisible(kGroupList, false);
        focusGrid(app.dispatcher());
    } else if (keyCode == vk::kReturn) {
        focusGrid(app.dispatcher());
    }
}

namespace {

void runPopupEntry(app::App& app) {
    form::Form& f = app.mainForm();
    const int position = f.control(kRowPopup).listIndex;
    if (position < 0)
        return;  // clearing the selection raises a click too; it runs nothing
    try {
        runRowCommand(app, position);
    } catch (...) {
        // An abandoned command drops the queued focus events: close the popup here, or it
        // would stay open over a grid that believes it has the focus.
        f.setListIndex(kRowPopup, -1);
        f.setVisible(kRowPopup, false);
        focusGrid(app.dispatcher());
        throw;
    }
    f.setListIndex(kRowPopup, -1);
    focusGrid(app.dispatcher());
}

}  // namespace

void popupClick(app::App& app) {
    runPopupEntry(app);
}

void popupKeyDown(app::App& app, int keyCode) {
    if (keyCode == vk::kEscape) {
        app.mainForm().setVisible(kRowPopup, false);
        focusGrid(app.dispatcher());
    } else if (keyCode == vk::kReturn) {
        runPopupEntry(app);
    }
}

void overlayLostFocus(app::App& app) {
    const form::Dispatcher& d = app.dispatcher();
    if (d.focusForm() != app::kMainFormName || d.focusControl() == kMainGrid)
        return;
    focusGrid(app.dispatcher());
}

}  // namespace velmora::core::editing
