// The complete program on a demo database: every button of the main window the program
// installed a command for, pressed once from the channel list.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/app/main_form.h"
#include "support/channel_file.h"
#include "support/editing_session.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

using core::ports::MessageAnswer;
using core::ports::MessageButtons;
using core::ports::MessageIcon;

TEST(WholeProgram, EveryButtonWithACommandRunsOnTheDemoDatabase) {
    VELMORA_REQUIRE_READERS();
    EditingSession s;
    const std::string file = (s.folder() / "demo.mdb").string();
    const jet_testing::ProcessResult demo =
        jet_testing::runCommand(std::string(velmora::test::binDir()) + "/velmora-db demo " +
                                jet_testing::shellQuote(file) + " --channels 300 --seed 3 2>&1");
    ASSERT_EQ(demo.status, 0) << demo.out;
    startOn(s, file);
    // Every button of the main window the program installed a command for, pressed once from
    // the channel list with its first row current, answered as a cautious user answers. A
    // message not listed here, or a listed one not shown, fails the test. Compacting ends the
    // program, Settings opens its own window and "Take over from..." its file dialog: they
    // have tests of their own.
    const ExpectedMessage kCancelQuestion{std::nullopt, MessageButtons::OkCancel, MessageIcon::None,
                                          MessageAnswer::Cancel};
    struct Press {
        const char* button;
        std::vector<ExpectedMessage> messages;
    };
    const Press presses[] = {
        {"Command2", {}},
        {"Command3", {}},
        {"Command4", {kCancelQuestion}},
        {"Command5", {kCancelQuestion}},
        {"Command6", {}},
        {"Command7", {}},
        // The demo database stores channels on several frequencies.
        {"Command8",
         {{"ReNumber is only possible without duplicates (same channel with two (or "
           "more) frequencies)",
           MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok}}},
        // The first row's channel is in no group: Delete Selection says why nothing goes.
        {"Command9",
         {{"A channel without a favourite group (ZZZZ) was not deleted:\r\n'Delete Selection' "
           "takes a channel out of its group and deletes it only together with its last group",
           MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok}}},
        {"Command10", {}},
        {"Command12", {}},
        {"Command14", {}},
        {"Command15", {}},
    };
    std::vector<std::string> pressed;
    for (const Press& p : presses) {
        SCOPED_TRACE(p.button);
        s.click("Command3");
        s.grid().userSelectCell(1, 1, false);
        for (const ExpectedMessage& m : p.messages)
            s.ports().expectMessage(m);
        if (s.app().dispatcher().hasHandler(core::app::kMainFormName, p.button,
                                            core::form::EventKind::Click)) {
            s.click(p.button);
            pressed.push_back(p.button);
        }
        s.ports().verify();
    }
    // Every button with a handler is in the table above.
    for (const core::form::Control& c : s.form().controls()) {
        if (c.kind == core::form::ControlKind::Button && c.name != "Command11" &&
            c.name != "Command13" && c.name != "Command16" &&
            s.app().dispatcher().hasHandler(core::app::kMainFormName, c.name,
                                            core::form::EventKind::Click)) {
            EXPECT_NE(std::find(pressed.begin(), pressed.end(), c.name), pressed.end()) << c.name;
        }
    }
    expectFileChecks(file);
}

}  // namespace
}  // namespace velmora::test
