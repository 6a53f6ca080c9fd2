// The favourites view and the groups view, which write edited cells at once, on a real Jet
// file driven as a user drives them, each write followed by velmora-db check and mdbtools;
// and the save question's Yes surviving a later failure of the same command.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/grid/virtual_keys.h"
#include "support/channel_file.h"
#include "support/editing_session.h"

namespace velmora::test {
namespace {

namespace vk = core::grid::vk;
using core::ports::MessageAnswer;
using core::ports::MessageButtons;
using core::ports::MessageIcon;

class WrittenViews : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE_READERS();
        file = writeChannelFile(s.folder() / "WinSTB.mdb");
        startOn(s, file);
    }
    void TearDown() override {
        if (!file.empty() && !HasFailure())
            expectFileChecks(file);
    }

    EditingSession s;
    std::string file;
};

TEST_F(WrittenViews, FavouritesViewListsAssignmentsAndWritesPositionsAtOnce) {
    s.click("Command12");
    EXPECT_EQ(s.app().state().CurrentView, "Favorites");
    EXPECT_EQ(s.cell(0, 1), "FAVORITE");
    EXPECT_EQ(s.cell(0, 2), "Nummer");
    // ORF1 in News and Kids, Sport1 twice for its two frequencies, no row for the
    // assignment whose channel is gone (S99W).
    std::vector<std::string> groups;
    for (int r = 1; r < s.grid().rows(); ++r)
        groups.push_back(s.cell(r, 1) + "/" + s.cell(r, 3));
    EXPECT_EQ(groups,
              (std::vector<std::string>{"Kids/ORF1", "Late Show /Radio X", "News/ORF1", "News/ORF2",
                                        "News/O'Brien TV", "Sport/Sport1", "Sport/Sport1"}));
    EXPECT_EQ(s.control("Label1").caption, "7 Favorites");
    EXPECT_FALSE(s.control("Command7").enabled);
    EXPECT_FALSE(s.visible("Check_TV"));

    const int obrien = s.rowOf("O'Brien TV", 3);
    s.edit(obrien, 2, "7");
    EXPECT_EQ(s.cell(obrien, 2), "7");
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_TRUE(hasRow(exportedRows(file, "FAVOURITE"), "\"News\",7,\"S19E\",400,4"));

    // A refused position: the message, and the cell keeps what the file holds.
    s.ports().expectMessage("ERROR updating Database", MessageButtons::Ok, MessageIcon::None,
                            MessageAnswer::Ok);
    s.edit(obrien, 2, "seven");
    EXPECT_EQ(s.cell(obrien, 2), "7");
    // Only Nummer opens an editor.
    s.grid().userSelectCell(obrien, 3, false);
    s.grid().raiseDblClick();
    EXPECT_FALSE(s.visible(core::app::control::kTextEditor));
}

TEST_F(WrittenViews, GroupRenamesReachTheAssignmentsAndAFailedOneChangesNeither) {
    s.click("Command6");
    ASSERT_EQ(s.app().state().CurrentView, "FAVNAME");
    EXPECT_EQ(s.control("Label1").caption, "4 Groups");
    const int sport = s.rowOf("Sport", 1);
    ASSERT_GT(sport, 0);
    s.edit(sport, 1, "Sports");
    auto favourite = exportedRows(file, "FAVOURITE");
    EXPECT_TRUE(hasRow(favourite, "\"Sports\",1,\"S19E\",200,2"));
    EXPECT_TRUE(hasRow(favourite, "\"Sports\",2,\"S99W\",999,9"));
    EXPECT_TRUE(hasRow(exportedRows(file, "FAVNAME"), "\"Sports\",2"));

    // Shown with its trailing blank; the rename reaches the assignment stored that way.
    const int late = s.rowOf("Late Show ", 1);
    ASSERT_GT(late, 0);
    s.edit(late, 1, "Late");
    EXPECT_TRUE(hasRow(exportedRows(file, "FAVOURITE"), "\"Late\",1,\"S13E\",301,3"));

    // A refused write renames nothing.
    const int news = s.rowOf("News", 1);
    s.ports().expectMessage("Error 3421", MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.edit(news, 2, "x");
    EXPECT_EQ(s.cell(news, 2), "1");
    EXPECT_TRUE(hasRow(exportedRows(file, "FAVOURITE"), "\"News\",1,\"S19E\",100,1"));

    // Deleting a group deletes its assignments.
    s.grid().userSelectCell(s.rowOf("Kids", 1), 1, false);
    s.ports().expectMessage("Are you sure to delete this Group?", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    s.grid().raiseKeyUp(vk::kDelete, 0);
    EXPECT_EQ(s.rowOf("Kids", 1), -1);
    EXPECT_EQ(s.control("Label1").caption, "3 Groups");
    for (const std::string& line : exportedRows(file, "FAVOURITE"))
        EXPECT_EQ(line.find("\"Kids\""), std::string::npos) << line;
}

TEST_F(WrittenViews, DeletingThreeGroupsTakesTheirAssignmentsAlsoWhereARowCannotGo) {
    s.click("Command6");
    ASSERT_EQ(s.app().state().CurrentView, "FAVNAME");
    // The first three rows of the view, whatever their order; one of them, "News", is
    // changed in the file behind the grid, so its row can no longer be found and deleted.
    std::vector<std::string> chosen;
    for (int r = 1; r <= 3; ++r)
        chosen.push_back(s.cell(r, 1));
    ASSERT_NE(std::find(chosen.begin(), chosen.end(), "News"), chosen.end())
        << ::testing::PrintToString(chosen);
    const auto channels = exportedRows(file, "CHANNELS");
    s.app().db().execute("UPDATE FAVNAME SET FAVNUM = 77 WHERE FAVNAME = 'News'");
    s.grid().userSelectCell(1, 1, false);
    s.grid().userSelectCell(3, 1, true);
    s.ports().expectMessage("Are you sure to delete this Groups?", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    s.ports().expectMessage("ERROR", MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.grid().raiseKeyUp(vk::kDelete, 0);

    EXPECT_GT(s.rowOf("News", 1), 0) << "the row that could not be deleted stays";
    EXPECT_EQ(s.control("Label1").caption, "2 Groups");
    const auto groups = exportedRows(file, "FAVNAME");
    EXPECT_TRUE(hasRow(groups, "\"News\",77")) << ::testing::PrintToString(groups);
    EXPECT_EQ(groups.size(), 3u) << "header, News and the group not chosen";
    for (const std::string& line : exportedRows(file, "FAVOURITE"))
        for (const std::string& group : chosen)
            EXPECT_EQ(line.rfind("\"" + group + "\",", 0), std::string::npos) << line;
    // The channels stay; the channel list shows them without a group.
    EXPECT_EQ(exportedRows(file, "CHANNELS"), channels);
    s.click("Command3");
    EXPECT_GT(gridRow(s, "ORF2", "ZZZZ"), 0) << "ORF2 was in News";
}

TEST_F(WrittenViews, AYesToTheSaveQuestionStaysSavedWhenTheCommandFailsLater) {
    const int orf2 = gridRow(s, "ORF2", "News");
    s.edit(orf2, 4, "ORF Zwei");
    ASSERT_TRUE(s.app().state().FavDirty);
    // The table the user picks is gone by the time it is opened.
    s.form().setItems("List1", {"Vanished"}, 0);
    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::Yes);
    s.ports().expectMessage(MessageAnswer::Ok);  // the failure of ShowTable
    s.click("Command2");
    const auto channels = exportedRows(file, "CHANNELS");
    EXPECT_TRUE(hasRow(channels, "2,\"ORF Zwei\",\"S19E\",\"ORF\",101,1,11953,170,13,171"))
        << ::testing::PrintToString(channels);
}

}  // namespace
}  // namespace velmora::test
