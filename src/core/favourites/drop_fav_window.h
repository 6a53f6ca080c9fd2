// The drag and drop favourites window (Form_DropFav), opened by "Drag + Drop" (Command14).
//
// While it is open (DragDropOpen) every left press on the main window's grid starts a drag,
// and a drop on one of its labels puts the grid's current row into that group ("ZZZZ": into
// no group), in replace mode by changing the row's group, in add mode by a copy of the row
// with the further group below it (MultiFavAdded). Drops change only the grid and set
// FavDirty; "Save Fav. Channels" stores them.
//
// The window keeps its own record of each group's name and count; a label's caption only
// shows it ("News [12]"), so a name with "[" in it survives a drop whole.
//
// Without a mouse: a click on a label, or Up and Down in the window, selects a group; Enter
// in the window, or F9 in the main grid, drops the grid's current row on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/form/event.h"
#include "core/form/form.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::favourites {

class DropFavWindow {
public:
    explicit DropFavWindow(app::App& app);
    DropFavWindow(const DropFavWindow&) = delete;
    DropFavWindow& operator=(const DropFavWindow&) = delete;

    // Reads the groups with their counts and lays the labels out; false when the database
    // has no group (the window is then not shown).
    bool load();

    form::Form& form() { return *m_form; }
    // The labels the window has: "ZZZZ" and one for each group.
    int labelCount() const { return static_cast<int>(m_groups.size()) + 1; }

    // The drag passes over a label (enter or leave) or ends on it.
    void dragOver(const form::Event& event, bool entering);
    void drop(const form::Event& event);

    // The keyboard's way: select a label (0 "ZZZZ", k the k-th group), move the selection,
    // and drop the grid's current row on the selected label.
    void select(int group);
    void moveSelection(int delta);
    void dropOnSelected();
    int selected() const { return m_selected; }

private:
    struct Group {
        std::string name;  // trimmed, as the channel list shows it
        long long count = 0;
    };

    bool fromMainGrid(const form::Event& event) const;
    // The grid's current data row, when a drop may change it; -1 otherwise.
    int targetRow() const;
    void dropOnNoGroup();
    void dropOnGroup(int group);
    void addRowCopy(int row, const std::string& name);
    void showNormal(const std::string& label);
    void showHighlight(const std::string& label);
    std::string labelName(int group) const;
    std::string caption(const Group& group) const;

    app::App& m_app;
    std::unique_ptr<form::Form> m_form;
    std::vector<Group> m_groups;  // the k-th group at index k - 1
    int m_selected = -1;
};

// Installs the Click of "Drag + Drop" (Command14), the window's events,
// command::kCloseDragDrop (closing it with the main window), command::kStartGridDrag (the
// grid's left press) and command::kDropOnSelectedGroup (F9 in the grid, with the window open).
void installDragDrop(app::App& app);

}  // namespace velmora::core::favourites
