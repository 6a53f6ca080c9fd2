// The duplicates view in whole sessions over real channel files: what it lists and how, the
// scratch table FREQDUPS made anew on every run (also over a table of that name in other
// letter case), and deleting listed rows by the popup and by the Delete key.
#include "core/maintenance/duplicates_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/app/main_form.h"
#include "core/maintenance/maintenance_file.h"
#include "engine/store/schema.h"

namespace velmora::test {
namespace {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

// Sport1 on three frequencies and once without; Arte (a source with a quote) on two; ORF1
// once with and once without frequency, which is no duplicate. The file also holds a table
// "freqdups" from an earlier run.
ChannelFile duplicatesFile() {
    ChannelFile layout;
    layout.primaryKey = false;
    layout.channels = {
        {1, "ORF1", "S19E", 100, 1, 11953},      {2, "ORF1", "S19E", 100, 1, -1},
        {3, "Sport1", "S19E", 200, 2, 12480},    {4, "Arte", "S'1", 300, 3, 11000},
        {5, "Sport1", "S19E", 200, 2, 12900},    {6, "Arte", "S'1", 300, 3, 11002},
        {7, "Sport1 HD", "S19E", 200, 2, 12722}, {8, "Sport1 old", "S19E", 200, 2, -1},
        {9, "Kika", "S13E", 400, 4, 11000}};
    layout.favourites = {{"Sport", 1, "S19E", 200, 2}, {"Kids", 1, "S'1", 300, 3}};
    layout.more = [](engine::store::Database& db) {
        engine::store::TableSchema old;
        old.name = "freqdups";
        old.columns = {testing::winstb::column("SOURCEID", engine::store::ColumnType::Text, 0, 20)};
        auto t = db.createTable(old);
        ASSERT_TRUE(t.isOk());
        (*t)->append({testing::winstb::text("stale")});
    };
    return layout;
}

class DuplicatesViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE_READERS();
        file = writeFile(s.folder() / "WinSTB.mdb", duplicatesFile());
        favouritesBefore = storedRows(file, "FAVOURITE");
        startOn(s, file);
    }
    void gridEvent(const char* control, core::form::EventKind kind, int keyCode = 0) {
        core::form::Event e;
        e.form = core::app::kMainFormName;
        e.control = control;
        e.kind = kind;
        e.keyCode = keyCode;
        s.app().dispatcher().dispatch(e);
    }
    void select(int from, int to) {
        ASSERT_TRUE(s.app().grid().setRow(from).isOk());
        ASSERT_TRUE(s.app().grid().setRowSel(to).isOk());
    }
    // Names of the listed rows, in grid order.
    std::vector<std::string> listed() { return s.column(2); }
    // The scratch tables of the file, whatever their letter case.
    std::vector<std::string> scratchTables() {
        std::vector<std::string> names;
        for (const auto& def : s.app().db().tableDefs().all()) {
            std::string upper = def.name();
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (upper == "FREQDUPS")
                names.push_back(def.name());
        }
        return names;
    }
    AppSession s;
    std::string file;
    std::vector<std::string> favouritesBefore;
};

TEST_F(DuplicatesViewTest, ListsEveryRowOfAChannelOnSeveralFrequenciesRunAfterRun) {
    VELMORA_REQUIRE_READERS();
    // Cancel on the save question: no view, the old scratch table untouched.
    s.app().state().FavDirty = true;
    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::Cancel);
    s.click("Command15");
    s.ports().verify();
    EXPECT_EQ(s.app().state().CurrentView, "Favkanal");
    EXPECT_EQ(scratchTables(), (std::vector<std::string>{"freqdups"}));
    s.app().state().FavDirty = false;
    const std::size_t asked = s.ports().messages().size();

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        s.click("Command15");
        EXPECT_EQ(s.ports().messages().size(), asked) << "nothing asked without changes";
        core::grid::GridModel& g = s.app().grid();
        EXPECT_EQ(s.app().state().CurrentView, "Duplicates");
        ASSERT_EQ(g.cols(), 7);
        const std::vector<std::string> header = {"",    "NUM", "NAME",     "SOURCEID",
                                                 "SID", "NID", "FREQUENCY"};
        for (int c = 0; c < 7; ++c) {
            EXPECT_EQ(s.cell(0, c), header[static_cast<std::size_t>(c)]);
            const int design = (std::array{150, 600, 2500, 1000, 600, 400, 1500})[c];
            EXPECT_EQ(g.colWidth(c), c == 0 ? design : std::max(design, s.neededWidth(c)));
        }
        EXPECT_EQ(s.column(1), (std::vector<std::string>{"3", "4", "5", "6", "7", "8"}));
        EXPECT_EQ(listed(), (std::vector<std::string>{"Sport1", "Arte", "Sport1", "Arte",
                                                      "Sport1 HD", "Sport1 old"}));
        EXPECT_EQ(s.cell(6, 6), "") << "the row without frequency is listed with its channel";
        EXPECT_EQ(s.cell(2, 3), "S'1");
        EXPECT_EQ(s.label(), "6 Datarows");
        EXPECT_EQ(s.form().control("List3").items, (std::vector<std::string>{"Delete"}));
        EXPECT_FALSE(s.form().control("Command8").enabled);
        EXPECT_FALSE(s.form().control("Check_TV").visible);
        EXPECT_EQ(scratchTables(), (std::vector<std::string>{"FREQDUPS"}));
        // A double click opens no editor.
        g.userSelectCell(1, 2, false);
        g.raiseDblClick();
        EXPECT_FALSE(s.form().control("Text1").visible);
    }
    const auto freqdups = exportedRows(file, "FREQDUPS");
    EXPECT_EQ(freqdups, (std::vector<std::string>{"SOURCEID,SID,NID,NUMDUPS", "\"S'1\",300,3,2",
                                                  "\"S19E\",200,2,3"}));
    expectFileChecks(file);
}

TEST_F(DuplicatesViewTest, DeletedRowsLeaveFileAndGridButTheListingStaysUntilBuiltAgain) {
    VELMORA_REQUIRE_READERS();
    s.click("Command15");
    // Rows 5 and 6 (Sport1 HD, Sport1 old without frequency) by the popup's Delete.
    select(6, 5);
    s.ports().expectMessage("Are you sure to delete 2 Lines", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Cancel);
    s.form().setListIndex("List3", 0);
    gridEvent("List3", core::form::EventKind::Click);
    EXPECT_EQ(s.app().grid().dataRowCount(), 6) << "Cancel deletes nothing";
    s.ports().expectMessage("Are you sure to delete 2 Lines", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    s.form().setListIndex("List3", 0);
    gridEvent("List3", core::form::EventKind::Click);
    // Arte on 11002 by the Delete key: Arte on 11000 is left alone but still listed.
    select(4, 4);
    s.ports().expectMessage("Are you sure to delete this Line?", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    gridEvent("MSFlexGrid1", core::form::EventKind::KeyUp, 46);
    // A row whose SID cell is no number cannot be found again: "ERROR", and it stays.
    ASSERT_TRUE(s.app().grid().setTextMatrix(1, 4, "200 OR 1=1").isOk());
    select(1, 1);
    s.ports().expectMessage("Are you sure to delete this Line?", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    s.ports().expectMessage("ERROR", MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    gridEvent("MSFlexGrid1", core::form::EventKind::KeyUp, 46);
    s.ports().verify();
    EXPECT_EQ(listed(), (std::vector<std::string>{"Sport1", "Arte", "Sport1"}));
    EXPECT_EQ(s.label(), "3 Datarows");

    const auto names = storedColumn(file, 1);
    EXPECT_EQ(names, (std::vector<std::string>{"\"ORF1\"", "\"ORF1\"", "\"Sport1\"", "\"Arte\"",
                                               "\"Sport1\"", "\"Kika\""}));
    EXPECT_EQ(storedRows(file, "FAVOURITE"), favouritesBefore);
    expectFileChecks(file);

    // Built again, Arte is no duplicate any more; then with none left the grid is empty and
    // the count says why.
    s.click("Command15");
    EXPECT_EQ(listed(), (std::vector<std::string>{"Sport1", "Sport1"}));
    select(1, 1);
    s.ports().expectMessage("Are you sure to delete this Line?", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    gridEvent("MSFlexGrid1", core::form::EventKind::KeyUp, 46);
    s.click("Command15");
    EXPECT_EQ(s.app().grid().rows(), 1);
    EXPECT_EQ(s.app().grid().cols(), 7);
    EXPECT_EQ(s.label(), "No duplicates");
    EXPECT_EQ(exportedRows(file, "FREQDUPS"),
              (std::vector<std::string>{"SOURCEID,SID,NID,NUMDUPS"}));
    expectFileChecks(file);
}

}  // namespace
}  // namespace velmora::test
