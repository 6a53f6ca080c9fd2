// The channel list as the first paint shows it and as the four filter boxes narrow it: the
// statement, the header and widths, the joined rows with their markers and colours, the
// count, the pick lists and the controls of the view.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/db/statements.h"
#include "core/views/channel_list.h"
#include "support/app_session.h"

namespace velmora::test {
namespace {

using core::app::SettingKey;
using engine::store::Value;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

const std::string kBase(core::db::kChannelListBase);
constexpr char kAskSave[] = "You have changed something... Save ?";
constexpr core::grid::Rgb kRadioColour{214, 239, 247};

std::string base() {
    return kBase;
}

class ChannelList : public ::testing::Test {
protected:
    void startWith(const std::function<void(engine::store::Database&)>& edit = {},
                   const char* colorRadio = nullptr) {
        s.storeSetting(SettingKey::Language, "eng");
        s.storeSetting(SettingKey::WinSTBPath, s.addDatabase("WinSTB.mdb", {}, edit));
        if (colorRadio) {
            s.storeSetting(SettingKey::ColorRadio, colorRadio);
        }
        ASSERT_TRUE(s.start());
    }
    std::vector<std::string> names() { return s.column(core::views::channel_col::kName); }
    int value(const char* box) { return s.form().control(box).value; }

    AppSession s;
};

TEST(ChannelListStatement, FilterPiecesComeInTheirFixedOrder) {
    using core::views::ChannelFilter;
    using core::views::channelListStatement;
    EXPECT_EQ(channelListStatement({}), base());
    EXPECT_EQ(channelListStatement({false, true, true, true}),
              base() + " WHERE CHANNELS.VIDEOID = 0");
    EXPECT_EQ(channelListStatement({true, false, true, true}),
              base() + " WHERE CHANNELS.VIDEOID <> 0");
    EXPECT_EQ(channelListStatement({false, true, true, false}),
              base() + " WHERE CHANNELS.VIDEOID = 0 AND CHANNELS.ECM <> 0");
    EXPECT_EQ(channelListStatement({false, true, false, true}),
              base() + " WHERE CHANNELS.VIDEOID = 0 AND CHANNELS.ECM = 0");
    EXPECT_EQ(channelListStatement({true, true, true, false}), base() + " WHERE CHANNELS.ECM <> 0");
    EXPECT_EQ(channelListStatement({true, false, false, true}),
              base() + " WHERE CHANNELS.VIDEOID <> 0 AND CHANNELS.ECM = 0");
    // Both boxes of a pair unticked add nothing for that pair.
    EXPECT_EQ(channelListStatement({false, false, false, false}), base());
}

TEST_F(ChannelList, FirstPaintShowsEveryJoinedRowSortedByNumber) {
    startWith();
    auto& g = s.app().grid();
    const std::vector<std::string> header{"",     "Num",      "Source", "Provider",
                                          "NAME", "FAVORITE", "FNum",   "VIDEOID",
                                          "ECM",  "SID",      "NID",    "FREQUENCY"};
    ASSERT_EQ(g.cols(), 12);
    for (int c = 0; c < 12; ++c) {
        EXPECT_EQ(s.cell(0, c), header[static_cast<std::size_t>(c)]) << c;
    }
    // The design's widths, wider where a value needs it, except the three that share the
    // window's width; the hidden columns stay hidden.
    const std::vector<int> widths{150, 450, 700, 1382, 1978, 1484, 500, 0, 0, 0, 0, 0};
    for (int c = 0; c < 12; ++c) {
        const int design = widths[static_cast<std::size_t>(c)];
        const bool fixed = c == 0 || design == 0 || (c >= 3 && c <= 5);
        EXPECT_EQ(g.colWidth(c), fixed ? design : std::max(design, s.neededWidth(c))) << c;
        EXPECT_EQ(g.colAlignment(c), core::grid::CellAlignment::LeftCenter) << c;
    }
    EXPECT_EQ(s.form().control("MSFlexGrid1").rect.width, 6975);

    EXPECT_EQ(s.label(), "7 Channels");
    EXPECT_EQ(s.column(1), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_EQ(names(), (std::vector<std::string>{"ORF1", "ORF2", "Ö1", "Sport1", "Sport1",
                                                 "(empty)", "Radio X"}));
    EXPECT_EQ(s.column(5),
              (std::vector<std::string>{"News", "News", "ZZZZ", "Sport", "Sport", "ZZZZ", "ZZZZ"}));
    EXPECT_EQ(s.column(6), (std::vector<std::string>{"1", "2", "ZZZ", "1", "1", "ZZZ", "ZZZ"}));
    // The hidden columns carry the identity of each row; column 0 stays empty.
    EXPECT_EQ(s.cell(4, 2), "S19E");
    EXPECT_EQ(s.cell(4, 9), "200");
    EXPECT_EQ(s.cell(4, 10), "2");
    EXPECT_EQ(s.cell(4, 11), "12480");
    EXPECT_EQ(s.cell(5, 11), "12722");
    EXPECT_EQ(s.cell(4, 0), "");
    EXPECT_EQ(g.col(), 1);
}

TEST_F(ChannelList, PickListsAndControlsOfTheView) {
    startWith();
    const auto& f = s.form();
    EXPECT_EQ(f.control("List2").items,
              (std::vector<std::string>{"News", "Sport", "Kids", "ZZZZ"}));
    EXPECT_EQ(f.control("List2").listIndex, 3);
    EXPECT_EQ(f.control("List4").items, (std::vector<std::string>{"News", "Sport", "Kids"}));
    EXPECT_EQ(f.control("List3").items, (std::vector<std::string>{"Delete", "AddNew"}));
    for (const char* button : {"Command7", "Command8", "Command9", "Command10", "Command14"}) {
        EXPECT_TRUE(f.control(button).enabled) << button;
    }
    for (const char* box : {"Check_TV", "Check_Radio", "Check_encrypt", "Check_NotEnc"}) {
        EXPECT_TRUE(f.control(box).visible) << box;
        EXPECT_EQ(f.control(box).value, 1) << box;
    }
    EXPECT_EQ(s.app().state().CurrentView, "Favkanal");
    EXPECT_FALSE(s.ports().isWaitCursor());
    EXPECT_GE(s.ports().cursorChanges().size(), 2u);

    // Another view hides and disables them again.
    core::views::showChannelListControls(s.app(), false);
    EXPECT_FALSE(f.control("Check_TV").visible);
    EXPECT_FALSE(f.control("Command14").enabled);
}

TEST_F(ChannelList, GroupNamesAreTrimmedForThePickLists) {
    startWith([](engine::store::Database& db) {
        auto t = db.table("FAVNAME");
        (*t)->append({Value(std::string("  Music  ")), Value(int64_t{4})});
    });
    EXPECT_EQ(s.form().control("List4").items,
              (std::vector<std::string>{"News", "Sport", "Kids", "Music"}));
}

TEST_F(ChannelList, EveryAssignmentIsARowAndCounts) {
    startWith([](engine::store::Database& db) {
        auto fav = db.table("FAVOURITE");
        (*fav)->append({Value(std::string("Sport")), Value(int64_t{3}), Value(std::string("S19E")),
                        Value(int64_t{100}), Value(int64_t{1})});
        (*fav)->append({Value(std::string("Kids")), Value(int64_t{1}), Value(std::string("S19E")),
                        Value(int64_t{100}), Value(int64_t{1})});
    });
    EXPECT_EQ(s.label(), "9 Channels");
    EXPECT_EQ(s.dataRows(), 9);
    const auto all = names();
    EXPECT_EQ(std::count(all.begin(), all.end(), "ORF1"), 3);
    std::vector<std::string> orfGroups;
    for (int r = 1; r <= s.dataRows(); ++r) {
        if (s.cell(r, 4) == "ORF1") {
            orfGroups.push_back(s.cell(r, 5));
        }
    }
    std::sort(orfGroups.begin(), orfGroups.end());
    EXPECT_EQ(orfGroups, (std::vector<std::string>{"Kids", "News", "Sport"}));
}

TEST_F(ChannelList, RadioRowsAreColouredInTheVisibleColumns) {
    startWith();
    auto& g = s.app().grid();
    for (int r = 1; r <= s.dataRows(); ++r) {
        const bool radio = s.cell(r, 7) == "0";
        for (int c = 1; c <= 6; ++c) {
            EXPECT_EQ(g.cellColorAt(r, c) == kRadioColour, radio) << r << "," << c;
        }
        EXPECT_FALSE(g.cellColorAt(r, 7).has_value());
    }
    EXPECT_EQ(g.cellColorAt(3, 4), kRadioColour);  // Ö1
}

TEST_F(ChannelList, NoRowIsColouredWhenRadioColouringIsOff) {
    startWith({}, "0");
    auto& g = s.app().grid();
    for (int r = 1; r <= s.dataRows(); ++r) {
        for (int c = 0; c < g.cols(); ++c) {
            EXPECT_FALSE(g.cellColorAt(r, c).has_value()) << r << "," << c;
        }
    }
}

TEST_F(ChannelList, UntickingTvListsRadioOnly) {
    startWith();
    s.click("Check_TV");
    EXPECT_EQ(s.statement(), base() + " WHERE CHANNELS.VIDEOID = 0");
    EXPECT_EQ(names(), (std::vector<std::string>{"Ö1", "(empty)", "Radio X"}));
    EXPECT_EQ(s.label(), "3 Channels");
    EXPECT_EQ(s.app().state().PendingFilterClick, core::app::FilterClick::None);
}

TEST_F(ChannelList, UntickingBothOfAPairTicksThePartnerAgain) {
    startWith();
    s.click("Check_Radio");
    EXPECT_EQ(s.statement(), base() + " WHERE CHANNELS.VIDEOID <> 0");
    EXPECT_EQ(s.dataRows(), 4);
    s.click("Check_TV");
    EXPECT_EQ(value("Check_TV"), 0);
    EXPECT_EQ(value("Check_Radio"), 1);
    EXPECT_EQ(s.statement(), base() + " WHERE CHANNELS.VIDEOID = 0");
    EXPECT_EQ(names(), (std::vector<std::string>{"Ö1", "(empty)", "Radio X"}));
    EXPECT_EQ(s.app().state().PendingFilterClick, core::app::FilterClick::None);
}

TEST_F(ChannelList, RadioOnlyAndFreeOnly) {
    startWith();
    s.click("Check_TV");
    s.click("Check_encrypt");
    EXPECT_EQ(s.statement(), base() + " WHERE CHANNELS.VIDEOID = 0 AND CHANNELS.ECM = 0");
    EXPECT_EQ(names(), (std::vector<std::string>{"Ö1", "(empty)"}));
}

TEST_F(ChannelList, EncryptedOnlyWithBothTvAndRadio) {
    startWith();
    s.click("Check_NotEnc");
    EXPECT_EQ(s.statement(), base() + " WHERE CHANNELS.ECM <> 0");
    EXPECT_EQ(names(), (std::vector<std::string>{"ORF2", "Radio X"}));
    s.click("Check_encrypt");  // both of the pair off: NotEncrypted comes back
    EXPECT_EQ(value("Check_NotEnc"), 1);
    EXPECT_EQ(s.statement(), base() + " WHERE CHANNELS.ECM = 0");
    EXPECT_EQ(s.dataRows(), 5);
}

TEST_F(ChannelList, AnEmptyResultKeepsTheHeaderAndTheLastCount) {
    startWith([](engine::store::Database& db) {
        // Every radio channel is free: "radio and encrypted" finds nothing.
        auto t = db.table("CHANNELS");
        auto& table = **t;
        for (engine::store::RowId id = 0; id < table.idLimit(); ++id) {
            if (!table.isLive(id)) {
                continue;
            }
            engine::store::Row row = table.row(id);
            if (row[7] == Value(int64_t{0})) {
                row[8] = Value(int64_t{0});
            }
            table.replace(id, row);
        }
    });
    s.click("Check_TV");
    EXPECT_EQ(s.label(), "3 Channels");
    s.click("Check_NotEnc");
    EXPECT_EQ(s.dataRows(), 0);
    EXPECT_EQ(s.app().grid().rows(), 1);
    EXPECT_EQ(s.cell(0, 4), "NAME");
    EXPECT_EQ(s.label(), "3 Channels");
}

TEST_F(ChannelList, CancelOnTheSaveQuestionPutsTheBoxBackAndKeepsEverything) {
    startWith();
    s.app().state().FavDirty = true;
    ASSERT_TRUE(s.app().grid().setTextMatrix(1, 4, "edited").isOk());
    s.ports().expectMessage(kAskSave, MessageButtons::YesNoCancel, MessageIcon::None,
                            MessageAnswer::Cancel);
    s.click("Check_TV");
    EXPECT_EQ(value("Check_TV"), 1);
    EXPECT_TRUE(s.app().state().FavDirty);
    EXPECT_EQ(s.cell(1, 4), "edited");
    EXPECT_EQ(s.dataRows(), 7);
    EXPECT_EQ(s.app().state().PendingFilterClick, core::app::FilterClick::None);
}

TEST_F(ChannelList, CancelAfterUntickingBothOfAPairUndoesBothClicks) {
    startWith();
    s.click("Check_Radio");  // TV only
    s.app().state().FavDirty = true;
    // The inner click on Radio asks first, then the outer reload asks again.
    s.ports().expectMessage(kAskSave, MessageButtons::YesNoCancel, MessageIcon::None,
                            MessageAnswer::Cancel);
    s.ports().expectMessage(kAskSave, MessageButtons::YesNoCancel, MessageIcon::None,
                            MessageAnswer::Cancel);
    s.click("Check_TV");
    EXPECT_EQ(value("Check_TV"), 1);
    EXPECT_EQ(value("Check_Radio"), 1);
    EXPECT_EQ(s.dataRows(), 4);  // the TV-only list is still shown
    EXPECT_TRUE(s.app().state().FavDirty);
}

TEST_F(ChannelList, YesOnTheSaveQuestionSavesThenReloads) {
    startWith();
    int saves = 0;
    s.app().commands().install(core::app::command::kSaveFavChannels, [&] {
        ++saves;
        EXPECT_EQ(s.cell(1, 4), "edited");  // the grid's changes are still there to save
    });
    s.app().state().FavDirty = true;
    s.app().state().MultiFavAdded = true;
    ASSERT_TRUE(s.app().grid().setTextMatrix(1, 4, "edited").isOk());
    s.ports().expectMessage(kAskSave, MessageButtons::YesNoCancel, MessageIcon::None,
                            MessageAnswer::Yes);
    s.click("Command3");
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(s.cell(1, 4), "ORF1");
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_FALSE(s.app().state().MultiFavAdded);
}

TEST_F(ChannelList, MoreRowsThanSixteenBitsCountAreShownAndCounted) {
    s.storeSetting(SettingKey::Language, "eng");
    s.storeSetting(SettingKey::WinSTBPath,
                   s.addDatabaseBuiltBy("big.mdb", [](engine::store::Database& db) {
                       testing::addLargeWinStbTables(db, 33000, 0);
                   }));
    ASSERT_TRUE(s.start());
    EXPECT_EQ(s.dataRows(), 33000);
    EXPECT_EQ(s.label(), "33000 Channels");
    EXPECT_EQ(s.cell(33000, 1), "33000");
    EXPECT_EQ(s.cell(32768, 1), "32768");
}

}  // namespace
}  // namespace velmora::test
