// A program session over a real demo file with a table of the explorer (or the groups view)
// shown as the user shows it, for the row commands' tests; the popup's entries run by
// position as the user picks them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/app/main_form.h"
#include "support/channel_file.h"
#include "support/editing_session.h"

namespace velmora::test {

// Rows of the demo file's SETTINGS table.
inline constexpr int kSettingsRows = 14;

// Popup positions of the table view.
inline constexpr int kPopupDelete = 0;
inline constexpr int kPopupAddNew = 1;
inline constexpr int kPopupCopy = 2;
inline constexpr int kPopupPaste = 3;

class ExplorerSession : public EditingSession {
public:
    // The user selects `table` in the explorer's list and presses "ShowTable".
    void showTable(const std::string& table) {
        const std::vector<std::string>& tables = form().control("List1").items;
        const auto it = std::find(tables.begin(), tables.end(), table);
        ASSERT_NE(it, tables.end()) << table;
        form().setListIndex("List1", static_cast<int>(it - tables.begin()));
        click("Command2");
        ASSERT_EQ(app().state().CurrentView, table);
    }

    // The user presses "Edit Favorite Groups".
    void showGroups() {
        click("Command6");
        ASSERT_EQ(app().state().CurrentView, "FAVNAME");
    }

    // The user picks popup entry `position`.
    void popup(int position) {
        form().setListIndex(core::app::control::kRowPopup, position);
        core::form::Event e;
        e.form = core::app::kMainFormName;
        e.control = core::app::control::kRowPopup;
        e.kind = core::form::EventKind::Click;
        app().dispatcher().dispatch(e);
    }
};

}  // namespace velmora::test
