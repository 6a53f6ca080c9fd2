// Closing the main window while the save it asks for fails: the window position is stored all
// the same, the window stays open with the unsaved assignments, and the file keeps its bytes.
#include <gtest/gtest.h>

#include <functional>

#include "core/views/channel_list.h"
#include "faulty_channel_file.h"

namespace velmora::test {
namespace {

using core::app::SettingKey;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;
namespace col = core::views::channel_col;

constexpr char kAskSave[] = "You have changed something... Save ?";

struct SaveFailure {
    const char* what;
    // Makes the coming save fail; returns the error number the user is shown.
    std::function<int(FaultyChannelFile&)> arm;
};

class ClosingWhileTheSaveFails : public ::testing::TestWithParam<SaveFailure> {};

TEST_P(ClosingWhileTheSaveFails, StoresThePositionAndKeepsTheWindowAndTheEdits) {
    AppSession s;
    FaultyChannelFile file(s);
    file.writeOnce();
    const std::vector<uint8_t> before = file.bytes();

    s.resize(10000, 6000);
    core::form::TwipRect g = s.form().geometry();
    g.top = 777;
    g.left = 555;
    s.form().setGeometry(g);
    const int row = gridRow(s, "O'Brien TV", "News");
    ASSERT_GT(row, 0);
    ASSERT_TRUE(s.app().grid().setTextMatrix(row, col::kName, "Renamed TV").isOk());
    s.app().state().FavDirty = true;

    const int number = GetParam().arm(file);
    s.ports().expectMessage(kAskSave, MessageButtons::YesNoCancel, MessageIcon::None,
                            MessageAnswer::Yes);
    s.ports().expectMessage(MessageAnswer::Ok);
    EXPECT_FALSE(s.close());
    ASSERT_EQ(s.ports().messages().size(), 2u);
    EXPECT_EQ(s.ports().messages()[1].text.rfind("Error " + std::to_string(number), 0), 0u)
        << s.ports().messages()[1].text;

    EXPECT_EQ(s.setting(SettingKey::TPos), "777");
    EXPECT_EQ(s.setting(SettingKey::LPos), "555");
    EXPECT_EQ(s.setting(SettingKey::HSize), "6000");
    EXPECT_EQ(s.setting(SettingKey::VSize), "10000");
    EXPECT_TRUE(s.app().state().FavDirty);
    EXPECT_EQ(s.cell(row, col::kName), "Renamed TV");
    EXPECT_EQ(file.bytes(), before);

    // Once the cause is gone the same close saves and closes.
    s.app().commands().install(core::app::command::kSaveFavChannels,
                               [&] { core::favourites::SaveFavChannels(s.app()); });
    file.env.failWriteAt(0);
    s.ports().expectMessage(kAskSave, MessageButtons::YesNoCancel, MessageIcon::None,
                            MessageAnswer::Yes);
    EXPECT_TRUE(s.close());
    EXPECT_FALSE(s.app().state().FavDirty);
    s.ports().verify();

    VELMORA_REQUIRE_READERS();
    file.copyOut();
    expectFileChecks(file.path);
    EXPECT_TRUE(hasRow(exportedRows(file.path, "CHANNELS"),
                       "8,\"Renamed TV\",\"S19E\",\"IE\",400,4,11111,401,0,402"));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ClosingWhileTheSaveFails,
    ::testing::Values(
        SaveFailure{"TheSaveIsAbandoned",
                    [](FaultyChannelFile& f) {
                        // A save that changes a row, then meets an unguarded failure.
                        f.s.app().commands().install(core::app::command::kSaveFavChannels, [&f] {
                            f.s.app().db().execute(
                                "UPDATE CHANNELS SET NAME = 'half' WHERE SID = 400");
                            f.s.app().db().execute("DELETE * FROM NoSuchTable");
                        });
                        return 3078;
                    }},
        SaveFailure{"TheCommitCannotWrite",
                    [](FaultyChannelFile& f) {
                        f.env.failWriteAt(1);
                        return 3043;
                    }}),
    [](const ::testing::TestParamInfo<SaveFailure>& info) { return info.param.what; });

}  // namespace
}  // namespace velmora::test
