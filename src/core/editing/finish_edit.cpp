#include "core/editing/finish_edit.h"

#include <string>

#include "core/app/app.h"
#include "core/app/cell_writer.h"
#include "core/db/sql_literal.h"
#include "core/editing/grid_edit.h"
#include "core/views/channel_list.h"
#include "core/views/view_entry.h"

namespace velmora::core::editing {

namespace {

void finishTextEditor(app::App& app) {
    form::Form& f = app.mainForm();
    grid::GridModel& g = app.grid();
    app::AppState& s = app.state();
    if (db::trimBlanks(g.text()) != f.control(kTextEditor).text)
        s.FavDirty = true;
    const std::string oldText(g.text());
    const app::ViewDescription& view = views::currentView(app);
    if (view.edits == app::EditStore::AtOnce && s.FavDirty)
        view.cellWriter(app,
                        app::EditedCell{g.col(), g.row(), oldText, f.control(kTextEditor).text});
    // The writer may have put the old text back into the editor.
    (void)g.setText(f.control(kTextEditor).text);
    if (view.edits == app::EditStore::KeptForSave && view.spreadKeptEdit && g.text() != oldText)
        view.spreadKeptEdit(app, g.row(), g.col());
    f.setVisible(kTextEditor, false);
}

void finishGroupList(app::App& app, FinishOccasion occasion) {
    form::Form& f = app.mainForm();
    grid::GridModel& g = app.grid();
    const form::Control& list = f.control(kGroupList);
    std::string chosen;
    if (list.listIndex >= 0 && list.listIndex < static_cast<int>(list.items.size()))
        chosen = list.items[static_cast<std::size_t>(list.listIndex)];
    if (db::trimBlanks(g.text()) != chosen)
        app.state().FavDirty = true;
    (void)g.setText(chosen);

    const int row = g.row();
    const std::string position(g.textMatrix(row, views::channel_col::kFNum));
    if (occasion == FinishOccasion::GotFocus && position != views::kNoPosition &&
        chosen == views::kNoGroup) {
        (void)g.setTextMatrix(row, views::channel_col::kFNum, views::kNoPosition);
    } else if (position == views::kNoPosition) {
        (void)g.setTextMatrix(row, views::channel_col::kFNum,
                              g.textMatrix(row, views::channel_col::kNum));
    }
    f.setVisible(kGroupList, false);
}

}  // namespace

void finishEdit(app::App& app, FinishOccasion occasion) {
    form::Form& f = app.mainForm();
    if (f.control(kTextEditor).visible)
        finishTextEditor(app);
    if (f.control(kGroupList).visible)
        finishGroupList(app, occasion);
    if (f.control(kRowPopup).visible)
        f.setVisible(kRowPopup, false);
    if (occasion == FinishOccasion::GotFocus && f.control(kGroupPicker).visible)
        f.setVisible(kGroupPicker, false);
}

}  // namespace velmora::core::editing
