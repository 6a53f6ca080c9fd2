#include "core/favourites/put_select_in_group.h"

#include <algorithm>
#include <string>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/grid/virtual_keys.h"
#include "core/views/channel_list.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::favourites {

namespace {

namespace col = views::channel_col;
using app::GroupPickPurpose;

constexpr form::TwipRect kPickerRect{3000, 2000, 2000, 2200};

// Hides the picker; when the command had opened it, `apply` decides whether the group goes
// into the selection, and the picker's mode ends with the focus back on the button.
void closePicker(app::App& app, bool apply) {
    app.mainForm().setVisible(kGroupPicker, false);
    if (app.state().groupPickPurpose != GroupPickPurpose::PutSelectInGroup)
        return;
    if (apply)
        applyGroupToSelection(app);
    app.state().groupPickPurpose = GroupPickPurpose::None;
    app.dispatcher().setFocus(app::kMainFormName, kPutSelectButton);
}

}  // namespace

void PutSelectInGroup(app::App& app) {
    if (!views::channelListShown(app))
        return;
    app.state().groupPickPurpose = GroupPickPurpose::PutSelectInGroup;
    form::Form& f = app.mainForm();
    f.setRect(kGroupPicker, kPickerRect);
    f.setListIndex(kGroupPicker, -1);
    f.setVisible(kGroupPicker, true);
    app.dispatcher().setFocus(app::kMainFormName, kGroupPicker);
}

void applyGroupToSelection(app::App& app) {
    const form::Control& picker = app.mainForm().control(kGroupPicker);
    if (picker.listIndex < 0 || picker.listIndex >= static_cast<int>(picker.items.size()))
        return;
    const std::string group = picker.items[static_cast<size_t>(picker.listIndex)];
    grid::GridModel& grid = app.grid();
    const int first = std::max(std::min(grid.row(), grid.rowSel()), grid.fixedRows());
    const int last = std::max(grid.row(), grid.rowSel());
    for (int i = first; i <= last && i < grid.rows(); ++i) {
        engine::dao::throwIfError(grid.setTextMatrix(i, col::kFavorite, group));
        if (grid.textMatrix(i, col::kFNum) == views::kNoPosition) {
            engine::dao::throwIfError(
                grid.setTextMatrix(i, col::kFNum, grid.textMatrix(i, col::kNum)));
        }
    }
    app.state().FavDirty = true;
}

void groupPickerClick(app::App& app) {
    closePicker(app, true);
}

void groupPickerKeyDown(app::App& app, int keyCode) {
    if (keyCode == grid::vk::kEscape) {
        closePicker(app, false);
    } else if (keyCode == grid::vk::kReturn) {
        closePicker(app, true);
    }
}

void installPutSelectInGroup(app::App& app) {
    form::Dispatcher& d = app.dispatcher();
    d.on(app::kMainFormName, kPutSelectButton, form::EventKind::Click, [&app](const form::Event&) {
         PutSelectInGroup(app);
     }).keep();
    d.on(app::kMainFormName, kGroupPicker, form::EventKind::Click, [&app](const form::Event&) {
         groupPickerClick(app);
     }).keep();
    d.on(app::kMainFormName, kGroupPicker, form::EventKind::KeyDown, [&app](const form::Event& e) {
         groupPickerKeyDown(app, e.keyCode);
     }).keep();
}

}  // namespace velmora::core::favourites
