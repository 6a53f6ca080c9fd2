// The add-record window of the table view, in whole sessions over a real demo file: what it
// shows when it opens, how its values are edited, and what OK stores, refuses and appends.
#include "core/explorer/add_new_row.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/app/main_form.h"
#include "core/app/user_input.h"
#include "core/explorer/add_record_form.h"
#include "core/grid/virtual_keys.h"
#include "demo/demo_schema.h"
#include "support/explorer_session.h"

namespace velmora::test {
namespace {

using core::form::EventKind;
using core::form::Form;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;
namespace arc = core::explorer::add_record_control;
namespace vk = core::grid::vk;

// The user's hand on the open window.
struct WindowUser {
    ExplorerSession& s;
    Form& f;

    core::grid::GridModel& grid() { return s.modal().grid(arc::kGrid); }
    void key(const char* control, int keyCode, int shift = 0) {
        core::form::Event e;
        e.form = f.name();
        e.control = control;
        e.kind = EventKind::KeyDown;
        e.keyCode = keyCode;
        e.shift = shift;
        s.app().dispatcher().dispatch(e);
    }
    void dblClick(int row) {
        grid().userSelectCell(row, 1, false);
        grid().raiseDblClick();
    }
    void type(const std::string& text) {
        f.update(arc::kEditor, [&](core::form::Control& c) { c.text = text; });
    }
    void ok() { core::app::userClick(f, s.app().dispatcher(), arc::kOk); }
    void cancel() { core::app::userClick(f, s.app().dispatcher(), arc::kCancel); }
    bool editing() { return f.control(arc::kEditor).visible; }
    std::vector<std::string> column(int col) {
        std::vector<std::string> texts;
        for (int r = 0; r < grid().rows(); ++r)
            texts.emplace_back(grid().textMatrix(r, col));
        return texts;
    }
};

TEST(AddRecordWindow, OpensWithTheFieldsAndTheCurrentRowAsTemplate) {
    struct Case {
        const char* name;
        bool emptyTable;
        std::vector<std::string> values;
    };
    const Case cases[] = {
        {"a table with records",
         false,
         {"Value", "Tuner", "DVB-S2 PCI", "", "True", "1", "Erster Empfänger"}},
        {"an empty table", true, {"Value", "", "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExplorerSession s;
        const std::string file =
            writeDemoFile(s.folder() / "WinSTB.mdb", [&](demo::DemoDatabase& content) {
                for (demo::DemoTable& table : content.tables) {
                    if (c.emptyTable && table.schema.name == demo::kSettingsTable)
                        table.rows.clear();
                }
            });
        startOn(s, file);
        ASSERT_NO_FATAL_FAILURE(s.showTable("SETTINGS"));
        if (!c.emptyTable) {
            ASSERT_GT(s.rowOf("Tuner", 1), 0);
            ASSERT_TRUE(s.app().grid().setRow(s.rowOf("Tuner", 1)).isOk());
        }
        const core::form::TwipRect main = s.form().geometry();
        s.modal().expectModal([&](Form& f) {
            WindowUser u{s, f};
            EXPECT_EQ(f.caption(), "AddNew");
            EXPECT_EQ(f.geometry().left, main.left + 150);
            EXPECT_EQ(f.geometry().top, main.top + 100);
            EXPECT_EQ(u.column(0),
                      (std::vector<std::string>{"Field", "SETTING", "SETTINGVALUE", "CHANGED",
                                                "ACTIVE", "FACTOR", "NOTE"}));
            std::vector<std::string> values = u.column(1);
            if (!c.emptyTable)
                values[3].clear();  // the changing date is the generator's
            EXPECT_EQ(values, c.values);
            EXPECT_EQ(u.grid().colWidth(0), 1800);
            EXPECT_EQ(u.grid().colWidth(1), 2600);
            EXPECT_FALSE(u.editing());
            u.cancel();
            EXPECT_FALSE(f.isVisible());
        });
        s.popup(kPopupAddNew);
        EXPECT_EQ(s.dataRows(), c.emptyTable ? 0 : kSettingsRows);
    }
}

TEST(AddRecordWindow, OkStoresOnlyWhatTheEngineTakesAndKeepsTheWindowOpenOtherwise) {
    VELMORA_REQUIRE_READERS();
    ExplorerSession s;
    const std::string file = writeDemoFile(s.folder() / "WinSTB.mdb");
    startOn(s, file);
    ASSERT_NO_FATAL_FAILURE(s.showTable("SETTINGS"));
    ASSERT_TRUE(s.app().grid().setRow(s.rowOf("Volume", 1)).isOk());

    s.modal().expectModal([&](Form& f) {
        WindowUser u{s, f};
        // The template's key exists already: refused, nothing stored, the window stays.
        s.ports().expectMessage("Error 3022", MessageButtons::Ok, MessageIcon::None,
                                MessageAnswer::Ok);
        u.ok();
        EXPECT_TRUE(f.isVisible());

        // Escape drops an edit; the space key starts one as a double click does.
        u.dblClick(1);
        ASSERT_TRUE(u.editing());
        EXPECT_EQ(f.control(arc::kEditor).text, "Volume");
        EXPECT_TRUE(f.control(arc::kEditor).rightAligned);
        const auto& place = f.control(arc::kGrid).rect;
        EXPECT_EQ(
            f.control(arc::kEditor).rect,
            (core::form::TwipRect{place.left + u.grid().cellLeft(), place.top + u.grid().cellTop(),
                                  2600, u.grid().cellHeight()}));
        u.type("Lost");
        u.key(arc::kEditor, vk::kEscape);
        EXPECT_FALSE(u.editing());
        EXPECT_EQ(u.grid().textMatrix(1, 1), "Volume");

        // Letters for a number are refused on assignment: nothing stored, the window stays.
        u.dblClick(5);
        u.type("abc");
        u.key(arc::kEditor, vk::kDown);  // finishes in its own cell, then moves down
        EXPECT_EQ(u.grid().textMatrix(5, 1), "abc");
        EXPECT_EQ(u.grid().row(), 6);
        u.grid().userSelectCell(1, 1, false);
        u.key(arc::kGrid, vk::kSpace);
        ASSERT_TRUE(u.editing());
        u.type("Volume2");
        u.key(arc::kEditor, vk::kReturn);
        EXPECT_EQ(u.grid().textMatrix(1, 1), "Volume2");
        s.ports().expectMessage("Error 3421", MessageButtons::Ok, MessageIcon::None,
                                MessageAnswer::Ok);
        u.ok();
        EXPECT_TRUE(f.isVisible());

        // Ctrl+C and Ctrl+V carry cells as clip text: the value into the note.
        u.grid().userSelectCell(2, 1, false);
        u.key(arc::kGrid, vk::kLetterC, core::form::kCtrlMask);
        EXPECT_EQ(s.ports().clipboardText(), "80");
        u.grid().userSelectCell(6, 1, false);
        u.key(arc::kGrid, vk::kLetterV, core::form::kCtrlMask);
        EXPECT_EQ(u.grid().textMatrix(6, 1), "80");

        // OK while editing only finishes the edit; the second OK stores and closes.
        u.dblClick(5);
        u.type(" 2.5");
        u.ok();
        EXPECT_FALSE(u.editing());
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(u.grid().textMatrix(5, 1), " 2.5");
        u.ok();
        EXPECT_FALSE(f.isVisible());
    });
    s.popup(kPopupAddNew);
    s.ports().verify();

    // The new record is in the file, once; the grid shows it as typed at its end.
    EXPECT_EQ(s.dataRows(), kSettingsRows + 1);
    const int last = s.app().grid().rows() - 1;
    EXPECT_EQ(s.cell(last, 1), "Volume2");
    EXPECT_EQ(s.cell(last, 2), "80");
    EXPECT_EQ(s.cell(last, 5), " 2.5");
    EXPECT_EQ(s.cell(last, 6), "80");
    EXPECT_EQ(s.app().grid().row(), last);
    EXPECT_EQ(s.label(), std::to_string(kSettingsRows + 1) + " Datarows");
    const auto exported = exportedRows(file, "SETTINGS");
    EXPECT_EQ(std::count_if(exported.begin(), exported.end(),
                            [](const std::string& l) { return l.starts_with("\"Volume"); }),
              2);
    EXPECT_TRUE(std::any_of(exported.begin(), exported.end(), [](const std::string& l) {
        return l.starts_with("\"Volume2\",\"80\",") && l.ends_with(",2.5,\"80\"");
    }));
    expectFileChecks(file);
}

}  // namespace
}  // namespace velmora::test
