#include "core/editing/grid_edit.h"

#include <algorithm>
#include <string>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/db/sql_literal.h"
#include "core/views/channel_list.h"
#include "core/views/view_entry.h"

namespace velmora::core::editing {

namespace {

form::FontChoice cellFont(const grid::GridModel& g, form::FontChoice font) {
    // Every cell of the grid shows the grid's font; an empty name is the front end's default.
    font.family = g.fontName();
    font.pointSize = g.fontSize();
    return font;
}

// The current cell in window twips.
form::TwipRect currentCellRect(app::App& app) {
    const grid::GridModel& g = app.grid();
    const form::TwipRect place = app.mainForm().control(kMainGrid).rect;
    return {place.left + g.cellLeft(), place.top + g.cellTop(), g.cellWidth(), g.cellHeight()};
}

bool currentCellIsFixed(const grid::GridModel& g) {
    return g.row() < g.fixedRows() || g.col() < g.fixedCols();
}

void show(app::App& app, const char* control) {
    app.mainForm().setVisible(control, true);
    app.dispatcher().setFocus(app::kMainFormName, control);
}

}  // namespace

void openEditor(app::App& app, app::Editor editor) {
    // A view that writes each edit at once says before the edit why it cannot.
    if (editor != app::Editor::None && views::currentView(app).edits == app::EditStore::AtOnce &&
        app::refuseWhileReadOnly(app))
        return;
    switch (editor) {
        case app::Editor::Text:
            GridEdit(app);
            break;
        case app::Editor::GroupList:
            ListEdit(app);
            break;
        case app::Editor::None:
            break;
    }
}

void gridDoubleClick(app::App& app) {
    const grid::GridModel& g = app.grid();
    if (currentCellIsFixed(g))
        return;
    openEditor(app, views::currentView(app).doubleClickEditor(g.textMatrix(0, g.col())));
}

void GridEdit(app::App& app) {
    const grid::GridModel& g = app.grid();
    if (currentCellIsFixed(g))
        return;
    const form::TwipRect rect = currentCellRect(app);
    app.mainForm().update(kTextEditor, [&](form::Control& c) {
        c.font = cellFont(g, c.font);
        c.text = db::trimBlanks(g.text());
        c.selStart = 0;
        c.selLength = 0;
        c.rect = rect;
    });
    show(app, kTextEditor);
}

void ListEdit(app::App& app) {
    const grid::GridModel& g = app.grid();
    if (currentCellIsFixed(g))
        return;
    form::Form& f = app.mainForm();
    const form::TwipRect cell = currentCellRect(app);
    const std::vector<std::string>& items = f.control(kGroupList).items;
    form::TwipRect rect{cell.left, cell.top,
                        g.colWidth(views::channel_col::kFavorite) +
                            g.colWidth(views::channel_col::kFNum) + kGroupListExtraWidth,
                        cell.height * static_cast<int>(items.size())};
    const int windowHeight = f.geometry().height;
    if (rect.top + rect.height > windowHeight)
        rect.height = windowHeight - rect.top - cell.height;

    int selected = f.control(kGroupList).listIndex;
    const std::string shown = db::trimBlanks(g.text());
    if (shown != views::kNoGroup) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] == shown)
                selected = static_cast<int>(i);
        }
    }
    f.update(kGroupList, [&](form::Control& c) {
        c.font = cellFont(g, c.font);
        c.rect = rect;
        c.listIndex = selected;
    });
    show(app, kGroupList);
}

namespace {

// Opens List3 with its top left corner at (left, top) in window twips, kept inside the grid.
void openPopupAt(app::App& app, int left, int top) {
    const grid::GridModel& g = app.grid();
    form::Form& f = app.mainForm();
    const form::TwipRect area = f.control(kMainGrid).rect;
    f.update(kRowPopup, [&](form::Control& c) {
        c.font = cellFont(g, c.font);
        c.rect.height = g.cellHeight() * static_cast<int>(c.items.size());
        // Far right or low in the grid, or at a cell scrolled out of view, the popup would
        // open beyond the grid's edge, where the window may not show it.
        const int right = area.left + area.width - c.rect.width;
        const int bottom = area.top + area.height - c.rect.height;
        c.rect.left = std::max(std::min(left, right), area.left);
        c.rect.top = std::max(std::min(top, bottom), area.top);
    });
    show(app, kRowPopup);
}

}  // namespace

void ListEdit2(app::App& app) {
    const form::TwipRect cell = currentCellRect(app);
    openPopupAt(app, cell.left - kPopupLeftShift, cell.top + kPopupDownShift);
}

void ListEdit2At(app::App& app, int xTwips, int yTwips) {
    const form::TwipRect area = app.mainForm().control(kMainGrid).rect;
    openPopupAt(app, area.left + xTwips, area.top + yTwips);
}

}  // namespace velmora::core::editing
