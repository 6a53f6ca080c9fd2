// Delete Selection in whole sessions over a real channel file: which rows it asks about, what
// it deletes from FAVOURITE and CHANNELS, and that the file stays sound for other readers.
#include "core/favourites/delete_selection.h"

#include <gtest/gtest.h>

#include "core/app/main_form.h"
#include "core/editing/grid_editing.h"
#include "core/views/channel_list.h"
#include "support/app_session.h"
#include "support/channel_file.h"

namespace velmora::test {
namespace {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;
namespace col = core::views::channel_col;

std::string question(int count) {
    return "Are you sure to delete " + std::to_string(count) +
           " Channels (There is no way back\r\nexecpt a new Channelscan or use a backup "
           "database...)";
}

constexpr char kNothingForNoGroup[] =
    "A channel without a favourite group (ZZZZ) was not deleted:\r\n'Delete Selection' takes a "
    "channel out of its group and deletes it only together with its last group";

class DeleteSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = writeChannelFile(s.folder() / "WinSTB.mdb");
        startOn(s, file);
    }
    void select(int from, int to) {
        ASSERT_GT(from, 0);
        ASSERT_GT(to, 0);
        ASSERT_TRUE(s.app().grid().setRow(from).isOk());
        ASSERT_TRUE(s.app().grid().setRowSel(to).isOk());
    }
    void pressDelete() { s.click("Command9"); }
    void event(const char* control, core::form::EventKind kind, int keyCode = 0) {
        core::form::Event e;
        e.form = core::app::kMainFormName;
        e.control = control;
        e.kind = kind;
        e.keyCode = keyCode;
        s.app().dispatcher().dispatch(e);
    }
    AppSession s;
    std::string file;
};

TEST_F(DeleteSelectionTest, SingleRowsAskOnlyWhenTheChannelGoesWithIt) {
    VELMORA_REQUIRE_READERS();
    // ORF1 is in News and Kids: its Kids row goes without a question, the channel stays.
    select(gridRow(s, "ORF1", "Kids"), gridRow(s, "ORF1", "Kids"));
    s.click("Command9");
    EXPECT_EQ(gridRow(s, "ORF1", "Kids"), -1);
    EXPECT_GT(gridRow(s, "ORF1", "News"), 0);
    EXPECT_EQ(s.label(), "8 Channels");

    // O'Brien TV has one group: the question names 1; Cancel keeps everything.
    const int obrien = gridRow(s, "O'Brien TV", "News");
    select(obrien, obrien);
    s.ports().expectMessage(question(1), MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Cancel);
    pressDelete();
    EXPECT_EQ(gridRow(s, "O'Brien TV", "News"), obrien);
    s.ports().expectMessage(question(1), MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Ok);
    pressDelete();
    EXPECT_EQ(gridRow(s, "O'Brien TV", "News"), -1);
    EXPECT_EQ(s.dataRows(), 7);
    EXPECT_EQ(s.label(), "7 Channels");
    s.ports().verify();

    const auto favourite = exportedRows(file, "FAVOURITE");
    EXPECT_TRUE(hasRow(favourite, "\"News\",1,\"S19E\",100,1"));
    EXPECT_FALSE(hasRow(favourite, "\"Kids\",1,\"S19E\",100,1"));
    EXPECT_FALSE(hasRow(favourite, "\"News\",3,\"S19E\",400,4"));
    EXPECT_EQ(favourite.size(), 1u + 5u);
    const auto channels = exportedRows(file, "CHANNELS");
    EXPECT_EQ(channels.size(), 1u + 7u);
    EXPECT_TRUE(std::none_of(channels.begin(), channels.end(), [](const std::string& l) {
        return l.find("O'Brien TV") != std::string::npos;
    }));
    expectFileChecks(file);
}

TEST_F(DeleteSelectionTest, EverySelectedRowGetsItsPassPastAChannelWithoutGroup) {
    VELMORA_REQUIRE_READERS();
    // Ö1 has no group: alone it is not deleted, and the user is told why.
    const int orf2 = gridRow(s, "ORF2", "News");
    ASSERT_EQ(s.cell(orf2 + 1, col::kName), "Ö1");
    select(orf2 + 1, orf2 + 1);
    s.ports().expectMessage(kNothingForNoGroup, MessageButtons::Ok, MessageIcon::None,
                            MessageAnswer::Ok);
    pressDelete();
    EXPECT_EQ(s.dataRows(), 9);
    s.ports().verify();

    // Num 2 ORF2 (News only), 3 Ö1 (no group), 4 Sport1 on 12480 (Sport, shared with its
    // second frequency 12722): the selection is made bottom-up; the message comes once.
    ASSERT_EQ(s.cell(orf2 + 2, col::kFrequency), "12480");
    select(orf2 + 2, orf2);
    s.ports().expectMessage(question(3), MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Ok);
    s.ports().expectMessage(kNothingForNoGroup, MessageButtons::Ok, MessageIcon::None,
                            MessageAnswer::Ok);
    pressDelete();
    s.ports().verify();
    EXPECT_EQ(s.cell(orf2, col::kName), "Ö1");
    EXPECT_EQ(s.cell(orf2 + 1, col::kFrequency), "12722");
    EXPECT_EQ(s.cell(orf2 + 1, col::kFavorite), "Sport") << "still shown until the reload";
    EXPECT_EQ(s.dataRows(), 7);
    EXPECT_EQ(s.label(), "7 Channels");

    const auto channels = exportedRows(file, "CHANNELS");
    EXPECT_EQ(channels.size(), 1u + 6u);
    for (const std::string& l : channels) {
        EXPECT_EQ(l.find("\"ORF2\""), std::string::npos) << l;
        EXPECT_EQ(l.find(",12480,"), std::string::npos) << l;
    }
    EXPECT_TRUE(std::any_of(channels.begin(), channels.end(), [](const std::string& l) {
        return l.find(",12722,") != std::string::npos;
    }));
    const auto favourite = exportedRows(file, "FAVOURITE");
    EXPECT_FALSE(hasRow(favourite, "\"News\",2,\"S19E\",101,1"));
    EXPECT_FALSE(hasRow(favourite, "\"Sport\",1,\"S19E\",200,2"));
    expectFileChecks(file);
}

TEST_F(DeleteSelectionTest, RefusalsAndAChannelRowThatIsNotThere) {
    // After an add-mode drop nothing is deleted.
    const int orf2 = gridRow(s, "ORF2", "News");
    select(orf2, orf2);
    s.app().state().MultiFavAdded = true;
    s.ports().expectMessage(
        "Delete is not possible after adding multiple favourites.\r\nUse "
        "'Save Fav. Channels' and reload with 'Show/Edit Channels'",
        MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    event("MSFlexGrid1", core::form::EventKind::KeyUp, 46);  // the grid's Delete key
    EXPECT_EQ(s.dataRows(), 9);
    s.app().state().MultiFavAdded = false;

    // A frequency no CHANNELS row has: the assignment goes, the channel cannot, the row stays.
    ASSERT_TRUE(s.app().grid().setTextMatrix(orf2, col::kFrequency, "1").isOk());
    s.ports().expectMessage(question(1), MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Ok);
    s.ports().expectMessage("ERROR", MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.form().setListIndex("List3", 0);  // the row popup's Delete entry
    event("List3", core::form::EventKind::Click);
    EXPECT_EQ(s.cell(orf2, col::kName), "ORF2");
    EXPECT_EQ(s.dataRows(), 9);
    auto rs = s.app().db().openRecordset("SELECT NAME FROM CHANNELS WHERE SID = 101");
    EXPECT_FALSE(rs.eof());
    auto fav = s.app().db().openRecordset("SELECT NUM FROM FAVOURITE WHERE SID = 101");
    EXPECT_TRUE(fav.eof());
}

}  // namespace
}  // namespace velmora::test
