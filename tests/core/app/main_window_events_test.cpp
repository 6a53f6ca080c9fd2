// The main window's resize rules and its closing: what moves, what is stored, and the save
// question with its seam to "Save Fav. Channels".
#include <gtest/gtest.h>

#include <algorithm>

#include "core/app/main_window_events.h"
#include "support/app_session.h"

namespace velmora::test {
namespace {

using core::app::SettingKey;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        s.storeSetting(SettingKey::Language, "eng");
        s.storeSetting(SettingKey::WinSTBPath, s.addDatabase("WinSTB.mdb"));
        ASSERT_TRUE(s.start());
    }
    core::form::TwipRect rect(const char* name) { return s.form().control(name).rect; }

    AppSession s;
};

TEST_F(MainWindow, GrowingMovesTheGridAndLowerFramesAndIsRemembered) {
    s.resize(9312, 6000);
    EXPECT_EQ(rect("MSFlexGrid1").height, 6000 - 2448);
    EXPECT_EQ(rect("Frame4").top, 6000 - 2328);
    // The strip starts where the grid ends: it covers none of its rows.
    EXPECT_EQ(rect("Frame4").top, rect("MSFlexGrid1").top + rect("MSFlexGrid1").height);
    EXPECT_EQ(rect("Frame1").top, 6000 - 1608);
    EXPECT_EQ(rect("Frame2").top, 6000 - 1608);
    EXPECT_EQ(rect("Frame2").left, 120);
    EXPECT_EQ(rect("Frame5").top, 30);  // the upper frames stay
    EXPECT_EQ(s.setting(SettingKey::HSize), "6000");

    // Shrinking below the design height moves and stores nothing.
    s.resize(9312, 5000);
    EXPECT_EQ(rect("MSFlexGrid1").height, 6000 - 2448);
    EXPECT_EQ(s.setting(SettingKey::HSize), "6000");
    EXPECT_FALSE(s.hasSetting(SettingKey::VSize));

    // The next start comes up 6000 high.
    ASSERT_TRUE(s.start());
    EXPECT_EQ(s.form().geometry().height, 6000);
    EXPECT_EQ(s.form().geometry().width, 9312);
}

TEST_F(MainWindow, WideningRecomputesTheNameColumnsOfTheChannelList) {
    EXPECT_EQ(s.app().grid().colWidth(3), 1382);
    EXPECT_EQ(s.app().grid().colWidth(4), 1978);
    EXPECT_EQ(s.app().grid().colWidth(5), 1484);

    s.resize(11312, 5448);
    EXPECT_EQ(rect("MSFlexGrid1").width, 11312 - 2337);
    EXPECT_EQ(rect("Frame4").width, rect("MSFlexGrid1").width - 3) << "the strip follows";
    // D = 6850
    EXPECT_EQ(s.app().grid().colWidth(3), 1952);
    EXPECT_EQ(s.app().grid().colWidth(4), 2794);
    EXPECT_EQ(s.app().grid().colWidth(5), 2096);
    // FNum is as wide as its widest text needs (its header, in the test's measure).
    EXPECT_EQ(s.app().grid().colWidth(6), std::max(500, s.neededWidth(6)));
    EXPECT_EQ(s.setting(SettingKey::VSize), "11312");
    EXPECT_FALSE(s.hasSetting(SettingKey::HSize));

    // Another view keeps its own widths.
    s.app().state().CurrentView = "FAVNAME";
    s.resize(12312, 5448);
    EXPECT_EQ(s.app().grid().colWidth(3), 1952);
    EXPECT_EQ(rect("MSFlexGrid1").width, 12312 - 2337);
}

TEST_F(MainWindow, NameColumnWidthsFollowTheFreeWidth) {
    EXPECT_EQ(core::app::channelListNameWidths(9312), (std::array<int, 3>{1382, 1978, 1484}));
    EXPECT_EQ(core::app::channelListNameWidths(9313), (std::array<int, 3>{1382, 1979, 1484}));
}

TEST_F(MainWindow, ClosingWithoutChangesAsksNothingAndStoresThePosition) {
    core::form::TwipRect g = s.form().geometry();
    g.top = -1200;
    g.left = 450;
    s.form().setGeometry(g);
    EXPECT_TRUE(s.close());
    EXPECT_EQ(s.setting(SettingKey::TPos), "-1200");
    EXPECT_EQ(s.setting(SettingKey::LPos), "450");
    EXPECT_TRUE(s.ports().messages().empty());
}

TEST_F(MainWindow, ClosingWithUnsavedAssignmentsAsksAndYesSavesFirst) {
    int saves = 0;
    s.app().commands().install(core::app::command::kSaveFavChannels, [&] { ++saves; });
    bool dragDropClosed = false;
    s.app().commands().install(core::app::command::kCloseDragDrop, [&] { dragDropClosed = true; });

    s.app().state().FavDirty = true;
    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::Cancel);
    EXPECT_FALSE(s.close());
    EXPECT_EQ(saves, 0);
    EXPECT_FALSE(dragDropClosed);
    EXPECT_EQ(s.setting(SettingKey::TPos), "100");  // stored in every case

    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::No);
    EXPECT_TRUE(s.close());
    EXPECT_EQ(saves, 0);

    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::Yes);
    EXPECT_TRUE(s.close());
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(dragDropClosed);
}

TEST_F(MainWindow, AFailingCommandIsAbandonedWithOneMessageAndThePointerRestored) {
    s.app().commands().install("Broken", [&] {
        ports::WaitCursor busy(s.app().ports().cursor);
        s.app().db().execute("DELETE * FROM NoSuchTable");
    });
    s.app()
        .dispatcher()
        .on("Form1", "Command4", core::form::EventKind::Click,
            [&](const core::form::Event&) { s.app().commands().run("Broken"); })
        .keep();
    s.ports().expectMessage(
        {std::nullopt, MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok});
    s.click("Command4");
    ASSERT_EQ(s.ports().messages().size(), 1u);
    EXPECT_EQ(s.ports().messages()[0].text.rfind("Error 3078", 0), 0u)
        << s.ports().messages()[0].text;
    EXPECT_FALSE(s.ports().isWaitCursor());
}

TEST_F(MainWindow, DesignStateOfTheControls) {
    const auto& f = s.form();
    EXPECT_FALSE(f.control("Command1").visible);
    EXPECT_TRUE(f.control("Command2").enabled);  // the table list was filled
    for (const char* name : {"List2", "List3", "List4", "Text1", "MSFlexGrid2"}) {
        EXPECT_FALSE(f.control(name).visible) << name;
    }
    EXPECT_EQ(f.control("List1").items,
              (std::vector<std::string>{"CHANNELS", "FAVOURITE", "FAVNAME"}));
    EXPECT_EQ(f.control("Command14").caption, "Drag + Drop");
}

}  // namespace
}  // namespace velmora::test

namespace velmora::test {
namespace {

TEST(MainWindowFirstPaint, AFailedLoadIsReportedOnceNotOnEveryRepaint) {
    AppSession s;
    s.storeSetting(SettingKey::Language, "eng");
    s.storeSetting(SettingKey::WinSTBPath,
                   s.addDatabaseBuiltBy("nochannels.mdb", [](engine::store::Database& db) {
                       ASSERT_TRUE(db.createTable(testing::winstb::favnameSchema()).isOk());
                       ASSERT_TRUE(db.commit().isOk());
                   }));
    ASSERT_TRUE(s.app().start());
    s.ports().expectMessage(
        {std::nullopt, MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok});
    s.paint();
    ASSERT_EQ(s.ports().messages().size(), 1u);
    EXPECT_EQ(s.ports().messages()[0].text.rfind("Error ", 0), 0u);
    EXPECT_FALSE(s.ports().isWaitCursor());
    EXPECT_EQ(s.app().state().CurrentView, "");
    // The table list was filled before the channel list failed.
    EXPECT_EQ(s.form().control("List1").items, (std::vector<std::string>{"FAVNAME"}));
    s.paint();  // the message box's repaint: nothing again
    EXPECT_EQ(s.ports().messages().size(), 1u);
}

}  // namespace
}  // namespace velmora::test
