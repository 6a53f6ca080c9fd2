// Unsaved channel-list edits survive every command that fails or is cancelled: the window
// shows exactly what it showed before (the grid, the count, the view, the buttons), the save
// question is still due, the file keeps its bytes, and a later Save stores the edits.
#include <gtest/gtest.h>

#include <functional>

#include "core/grid/virtual_keys.h"
#include "core/views/channel_list.h"
#include "faulty_channel_file.h"
#include "support/editing_session.h"

namespace velmora::test {
namespace {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;
namespace col = core::views::channel_col;
namespace vk = core::grid::vk;

constexpr char kAskSave[] = "You have changed something... Save ?";
constexpr char kTakenBack[] =
    "Nothing of it was stored; the grid shows again what it showed before, with the changes not "
    "saved yet.";

std::vector<std::string> gridLines(AppSession& s) {
    std::vector<std::string> lines;
    for (int r = 0; r < s.app().grid().rows(); ++r) {
        std::string line;
        for (int c = 0; c < s.app().grid().cols(); ++c)
            line += s.cell(r, c) + "|";
        lines.push_back(std::move(line));
    }
    return lines;
}

void mainKey(AppSession& s, int keyCode, int shift) {
    core::form::Event e;
    e.form = core::app::kMainFormName;
    e.kind = core::form::EventKind::KeyDown;
    e.keyCode = keyCode;
    e.shift = shift;
    s.app().dispatcher().dispatch(e);
}

struct FailedCommand {
    const char* what;
    bool backupMade;  // the run's first write (and its backup) is past
    bool editorOpen;  // the second name is still in the editor when the command starts
    // Arms the failure and runs the command, answering its questions.
    std::function<void(EditingSession&, FaultyChannelFile&)> run;
    // The message that ends the command (the last one shown), empty for none.
    const char* lastMessage;
    // Whether the command had changed the grid, so the message ends saying it was taken back.
    bool gridTakenBack;
};

class AFailedCommand : public ::testing::TestWithParam<FailedCommand> {};

TEST_P(AFailedCommand, KeepsTheUnsavedEditsAndALaterSaveStoresThem) {
    const FailedCommand& c = GetParam();
    EditingSession s;
    FaultyChannelFile file(s);
    if (c.backupMade)
        file.writeOnce();

    s.dblClick(gridRow(s, "ORF2", "News"), col::kName);
    s.type("ORF2 HD");
    s.key(core::app::control::kTextEditor, vk::kReturn);
    s.dblClick(gridRow(s, "Radio X", "Late Show"), col::kName);
    s.type("Radio Y");
    if (!c.editorOpen)
        s.key(core::app::control::kTextEditor, vk::kReturn);
    ASSERT_TRUE(s.app().state().FavDirty || c.editorOpen);
    // What the window showed, the second edit finished into its cell.
    std::vector<std::string> shown = gridLines(s);
    if (c.editorOpen)
        shown[gridRow(s, "Radio X", "Late Show")] = "";
    const std::string label = s.label();
    const std::vector<uint8_t> before = file.bytes();

    c.run(s, file);

    ASSERT_FALSE(s.ports().messages().empty() && *c.lastMessage) << "no message was shown";
    if (*c.lastMessage) {
        const std::string& last = s.ports().messages().back().text;
        EXPECT_EQ(last.rfind(c.lastMessage, 0), 0u) << last;
        EXPECT_EQ(last.ends_with(kTakenBack), c.gridTakenBack) << last;
    }
    std::vector<std::string> after = gridLines(s);
    if (c.editorOpen) {
        const int row = gridRow(s, "Radio Y", "Late Show");
        ASSERT_GT(row, 0) << "the open edit was lost";
        after[row] = "";
    }
    EXPECT_EQ(after, shown);
    EXPECT_EQ(s.label(), label);
    EXPECT_TRUE(s.app().state().FavDirty);
    EXPECT_EQ(s.app().state().CurrentView, core::app::kViewChannelList);
    EXPECT_TRUE(s.form().control("Command7").enabled);
    EXPECT_TRUE(s.form().control(core::views::kCheckTv).visible);
    EXPECT_EQ(file.bytes(), before);
    s.ports().verify();

    // The cause gone, the edits are saved as they stand.
    file.env.failWriteAt(0);
    file.env.fillDisk(false);
    s.click("Command7");
    EXPECT_FALSE(s.app().state().FavDirty);
    s.ports().verify();

    VELMORA_REQUIRE_READERS();
    file.copyOut();
    expectFileChecks(file.path);
    const auto channels = exportedRows(file.path, "CHANNELS");
    EXPECT_TRUE(hasRow(channels, "2,\"ORF2 HD\",\"S19E\",\"ORF\",101,1,11953,170,13,171"));
    EXPECT_TRUE(hasRow(channels, "7,\"Radio Y\",\"S13E\",\"RX\",301,3,11000,0,5,311"));
}

// Delete Selection on a row other than the edited ones: ORF1's row in Kids, one of its two
// groups, so no question is asked.
void deleteOrf1FromKids(EditingSession& s) {
    deleteRow(s, gridRow(s, "ORF1", "Kids"));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, AFailedCommand,
    ::testing::Values(
        FailedCommand{"DeleteSelectionWhoseCommitCannotWrite", true, false,
                      [](EditingSession& s, FaultyChannelFile& f) {
                          f.env.failWriteAt(1);
                          s.ports().expectMessage(MessageAnswer::Ok);
                          deleteOrf1FromKids(s);
                      },
                      "Error 3043\r\n", true},
        FailedCommand{"DeleteSelectionOnAFullDisk", true, false,
                      [](EditingSession& s, FaultyChannelFile& f) {
                          f.env.fillDisk();
                          s.ports().expectMessage(MessageAnswer::Ok);
                          deleteOrf1FromKids(s);
                      },
                      "Error 3026\r\n", true},
        FailedCommand{"DeleteSelectionWithoutABackupCancelled", false, false,
                      [](EditingSession& s, FaultyChannelFile& f) {
                          f.env.failWriteAt(1);  // the backup's first write
                          s.ports().expectMessage({std::nullopt, MessageButtons::OkCancel,
                                                   MessageIcon::None, MessageAnswer::Cancel});
                          s.ports().expectMessage(MessageAnswer::Ok);
                          deleteOrf1FromKids(s);
                      },
                      "Nothing of it", true},
        FailedCommand{"CtrlSWithTheEditorOpen", true, true,
                      [](EditingSession& s, FaultyChannelFile& f) {
                          f.env.failWriteAt(1);
                          s.ports().expectMessage(MessageAnswer::Ok);
                          mainKey(s, 'S', core::form::kCtrlMask);
                      },
                      "Error 3043\r\n", false},
        FailedCommand{"F5WithTheEditorOpenAndYesToTheSave", true, true,
                      [](EditingSession& s, FaultyChannelFile& f) {
                          f.env.failWriteAt(1);
                          s.ports().expectMessage(kAskSave, MessageButtons::YesNoCancel,
                                                  MessageIcon::None, MessageAnswer::Yes);
                          s.ports().expectMessage(MessageAnswer::Ok);
                          mainKey(s, vk::kF1 + 4, 0);
                      },
                      "Error 3043\r\n", false},
        // No drops the edits for the duplicates view, but that view is never shown.
        FailedCommand{"TheDuplicatesViewAfterNo", true, false,
                      [](EditingSession& s, FaultyChannelFile& f) {
                          f.env.failWriteAt(1);
                          s.ports().expectMessage(kAskSave, MessageButtons::YesNoCancel,
                                                  MessageIcon::None, MessageAnswer::No);
                          s.ports().expectMessage(MessageAnswer::Ok);
                          s.click("Command15");
                      },
                      "Error 3043\r\n", true},
        FailedCommand{"DeleteEmptyChannelsAfterNoThenCancel", true, false,
                      [](EditingSession& s, FaultyChannelFile&) {
                          s.ports().expectMessage(kAskSave, MessageButtons::YesNoCancel,
                                                  MessageIcon::None, MessageAnswer::No);
                          s.ports().expectMessage(MessageAnswer::Cancel);
                          s.click("Command4");
                      },
                      "", false}),
    [](const ::testing::TestParamInfo<FailedCommand>& info) { return info.param.what; });

}  // namespace
}  // namespace velmora::test
