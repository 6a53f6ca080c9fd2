#include "core/editing/grid_editing.h"

#include <functional>
#include <memory>
#include <string>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/editing/finish_edit.h"
#include "core/editing/grid_edit.h"
#include "core/editing/grid_key_down.h"
#include "core/editing/grid_keys.h"
#include "core/editing/grid_mouse.h"
#include "core/editing/overlay_keys.h"
#include "core/views/column_widths.h"
#include "core/views/view_entry.h"

namespace velmora::core::editing {

namespace {

using form::EventKind;

form::Event gridEvent(EventKind kind) {
    form::Event e;
    e.form = app::kMainFormName;
    e.control = kMainGrid;
    e.kind = kind;
    return e;
}

form::Event mouseEvent(EventKind kind, int button, int shift, int x, int y) {
    form::Event e = gridEvent(kind);
    e.button = button;
    e.shift = shift;
    e.x = x;
    e.y = y;
    return e;
}

form::Event keyEvent(EventKind kind, int keyCode, int shift) {
    form::Event e = gridEvent(kind);
    e.keyCode = keyCode;
    e.shift = shift;
    return e;
}

}  // namespace

GridEditing::GridEditing(app::App& app) : m_app(app), m_grid(app.grid()) {}

GridEditing::~GridEditing() {
    if (m_grid.eventListener() == this)
        m_grid.setEventListener(nullptr);
}

void GridEditing::gridMouseDown(int button, int shift, int xTwips, int yTwips) {
    m_app.dispatcher().dispatch(mouseEvent(EventKind::MouseDown, button, shift, xTwips, yTwips));
}

void GridEditing::gridMouseUp(int button, int shift, int xTwips, int yTwips) {
    m_app.dispatcher().dispatch(mouseEvent(EventKind::MouseUp, button, shift, xTwips, yTwips));
}

void GridEditing::gridDblClick() {
    m_app.dispatcher().dispatch(gridEvent(EventKind::DblClick));
}

void GridEditing::gridKeyDown(int keyCode, int shift) {
    m_app.dispatcher().dispatch(keyEvent(EventKind::KeyDown, keyCode, shift));
}

void GridEditing::gridKeyUp(int keyCode, int shift) {
    m_app.dispatcher().dispatch(keyEvent(EventKind::KeyUp, keyCode, shift));
}

void GridEditing::gridGotFocus() {
    m_app.dispatcher().userFocus(app::kMainFormName, kMainGrid);
}

void GridEditing::gridLeaveCell() {
    m_app.dispatcher().dispatch(gridEvent(EventKind::LeaveCell));
}

void GridEditing::gridScroll() {
    m_app.dispatcher().dispatch(gridEvent(EventKind::Scroll));
}

void GridEditing::gridColumnResized(int col, int twips) {
    form::Event e = gridEvent(EventKind::ColumnResized);
    e.x = col;
    e.width = twips;
    m_app.dispatcher().dispatch(e);
}

void installGridEditing(app::App& app) {
    installRowCommandBasics(app);
    views::installViewRebuild(app);
    views::installColumnFitting(app);
    views::installColumnWidths(app);
    // The dispatcher's handlers own the listener, so it lives exactly as long as they do.
    auto editing = std::make_shared<GridEditing>(app);
    app.grid().setEventListener(editing.get());

    form::Dispatcher& d = app.dispatcher();
    const std::string form = app::kMainFormName;
    auto on = [&](const char* control, EventKind kind, std::function<void(const form::Event&)> f) {
        d.on(form, control, kind, [editing, f = std::move(f)](const form::Event& e) {
             f(e);
         }).keep();
    };
    on(kMainGrid, EventKind::DblClick, [&app](const form::Event&) { gridDoubleClick(app); });
    on(kMainGrid, EventKind::MouseDown,
       [&app](const form::Event& e) { gridMouseDown(app, e.button, e.shift, e.x, e.y); });
    on(kMainGrid, EventKind::KeyDown,
       [&app](const form::Event& e) { gridKeyDown(app, e.keyCode, e.shift); });
    on(kMainGrid, EventKind::KeyUp,
       [&app](const form::Event& e) { gridKeyUp(app, e.keyCode, e.shift); });
    on(kMainGrid, EventKind::GotFocus,
       [&app](const form::Event&) { finishEdit(app, FinishOccasion::GotFocus); });
    on(kMainGrid, EventKind::LeaveCell,
       [&app](const form::Event&) { finishEdit(app, FinishOccasion::LeaveCell); });
    on(kMainGrid, EventKind::Scroll,
       [&app](const form::Event&) { finishEdit(app, FinishOccasion::Scroll); });

    on(kTextEditor, EventKind::KeyDown,
       [&app](const form::Event& e) { textEditorKeyDown(app, e.keyCode); });
    on(kGroupList, EventKind::Click, [&app](const form::Event&) { groupListClick(app); });
    on(kGroupList, EventKind::KeyDown,
       [&app](const form::Event& e) { groupListKeyDown(app, e.keyCode); });
    on(kRowPopup, EventKind::Click, [&app](const form::Event&) { popupClick(app); });
    on(kRowPopup, EventKind::KeyDown,
       [&app](const form::Event& e) { popupKeyDown(app, e.keyCode); });
    for (const char* overlay : {kTextEditor, kGroupList, kRowPopup}) {
        on(overlay, EventKind::LostFocus, [&app](const form::Event&) { overlayLostFocus(app); });
    }
}

}  // namespace velmora::core::editing
