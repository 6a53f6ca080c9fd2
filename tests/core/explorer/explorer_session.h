// A program session over a real demo file with a table of the explorer shown, for the row
// commands' tests: the table view is built as the user builds it, and the popup's entries
// run by position as the user picks them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/app/app_session.h"
#include "core/app/main_form.h"
#include "core/favourites/channel_file.h"
#include "core/views/grid_edit.h"
#include "core/views/recordset_grid.h"

namespace velmora::test {

// Popup positions of the table view.
inline constexpr int kPopupDelete = 0;
inline constexpr int kPopupAddNew = 1;
inline constexpr int kPopupCopy = 2;
inline constexpr int kPopupPaste = 3;

class ExplorerSession : public AppSession {
public:
    // Starts on `file` in English.
    void startOnFile(const std::string& file) {
        storeSetting(core::app::SettingKey::Language, "eng");
        storeSetting(core::app::SettingKey::WinSTBPath, file);
        ASSERT_TRUE(start());
    }

    // Shows `table` as the explorer shows it.
    void showTable(const std::string& table) {
        core::app::App& a = app();
        engine::dao::Recordset rs = a.db().openRecordset(table);
        core::views::showFieldsAsHeader(a, rs);
        form().setCaption("Label1", "");
        core::views::showRecords(a, rs, core::app::UiKey::txtDatarows);
        rs.close();
        a.state().CurrentView = table;
    }

    // The user picks popup entry `position`.
    void popup(int position) {
        form().setListIndex(core::views::kRowPopup, position);
        core::form::Event e;
        e.form = core::app::kMainFormName;
        e.control = core::views::kRowPopup;
        e.kind = core::form::EventKind::Click;
        app().dispatcher().dispatch(e);
    }

    // Runs a command by name as one top-level event (committed after it), as a popup entry
    // runs it.
    void run(const char* command) {
        auto handler = app().dispatcher().on(
            "Test", "", core::form::EventKind::Click,
            [this, command](const core::form::Event&) { app().commands().run(command); });
        core::form::Event e;
        e.form = "Test";
        e.kind = core::form::EventKind::Click;
        app().dispatcher().dispatch(e);
    }

    // The grid row whose column 1 shows `key`, or -1.
    int rowOf(const std::string& key) {
        for (int r = 1; r < app().grid().rows(); ++r) {
            if (cell(r, 1) == key)
                return r;
        }
        return -1;
    }
};

}  // namespace velmora::test
