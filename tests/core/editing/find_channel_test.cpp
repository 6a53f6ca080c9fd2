// Finding a channel by a piece of its name: which row each search makes current (letter case
// and umlauts, both directions, going round the ends), the find window driven by its keys
// and buttons, F3 and Shift+F3 with the window closed, scrolling a found row into view, and
// that nothing in the grid or the file changes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/app/command_registry.h"
#include "core/app/main_form.h"
#include "core/editing/find_channel.h"
#include "core/editing/find_channel_form.h"
#include "core/editing/text_search.h"
#include "core/grid/virtual_keys.h"
#include "core/views/channel_list.h"
#include "support/editing_session.h"

namespace velmora::test {
namespace {

namespace vk = core::grid::vk;
namespace views = core::views;
namespace editing = core::editing;
namespace fc = editing::find_control;
namespace col = views::channel_col;
using core::form::EventKind;
using editing::FindDirection;

constexpr int kF3 = vk::kF1 + 2;
using core::form::kShiftMask;

class FindChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(s.startOn(s.addDatabase("WinSTB.mdb")));
        editing::installFindChannel(s.app());
    }
    void key(const std::string& form, int keyCode, int shift = 0) {
        core::form::Event e;
        e.form = form;
        e.kind = EventKind::KeyDown;
        e.keyCode = keyCode;
        e.shift = shift;
        s.app().dispatcher().dispatch(e);
    }
    void mainKey(int keyCode, int shift = 0) { key(core::app::kMainFormName, keyCode, shift); }
    void findKey(int keyCode, int shift = 0) { key(editing::kFindFormName, keyCode, shift); }
    void click(const char* control) {
        core::form::Event e;
        e.form = editing::kFindFormName;
        e.control = control;
        e.kind = EventKind::Click;
        s.app().dispatcher().dispatch(e);
    }
    std::string currentName() { return s.cell(s.grid().row(), col::kName); }
    std::vector<std::string> allCells() {
        std::vector<std::string> cells;
        for (int r = 0; r < s.grid().rows(); ++r)
            for (int c = 0; c < s.grid().cols(); ++c)
                cells.push_back(s.cell(r, c));
        return cells;
    }
    std::vector<int> rowsNamed(const std::string& name) {
        std::vector<int> rows;
        for (int r = 1; r < s.grid().rows(); ++r)
            if (s.cell(r, col::kName) == name)
                rows.push_back(r);
        return rows;
    }

    EditingSession s;
};

TEST(TextSearch, LetterCaseIgnoredForAccentedLettersToo) {
    struct Case {
        const char* text;
        const char* part;
        bool found;
    };
    const Case cases[] = {
        {"ZDF HD", "zdf", true},
        {"Österreich 1", "ÖSTERREICH", true},
        {"MÜNCHEN TV", "münchen", true},
        {"Łódź TV", "ŁÓDŹ", true},
        {"ČT1", "čt", true},
        {"Россия 1", "РОССИЯ", true},
        {"ΕΡΤ1", "ερτ", true},
        {"Straße", "STRAẞE", true},
        {"ORF1", "ö", false},
        {"Ö1", "o", false},
        {"Radio X", "", true},
        {"", "x", false},
        {"Arte", "arte hd", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(editing::containsIgnoringCase(c.text, c.part), c.found)
            << c.text << " / " << c.part;
    }
}

TEST_F(FindChannelTest, EachSearchFindsTheNextMatchingRowGoingRoundTheEnds) {
    const auto& g = s.grid();
    ASSERT_EQ(editing::nameColumn(g), col::kName);
    const int orf1 = s.rowOf("ORF1");
    const int orf2 = s.rowOf("ORF2");
    const std::vector<int> sport = rowsNamed("Sport1");
    ASSERT_EQ(sport.size(), 2u);
    struct Case {
        const char* text;
        int from;
        FindDirection direction;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"orf", orf1, FindDirection::Next, orf2},
        {"orf", orf2, FindDirection::Next, orf1},  // round the end; Ö1 holds no "orf"
        {"ORF", orf1, FindDirection::Previous, orf2},
        {"ö", 0, FindDirection::Next, s.rowOf("Ö1")},
        {"Ö1", orf1, FindDirection::Previous, s.rowOf("Ö1")},
        {"sport", 0, FindDirection::Next, sport[0]},
        {"sport", sport[0], FindDirection::Next, sport[1]},
        {"sport", 0, FindDirection::Previous, sport[1]},
        {"sport", sport[0], FindDirection::Previous, sport[1]},
        {"radio x", s.rowOf("Radio X"), FindDirection::Next, s.rowOf("Radio X")},  // only one
        {"(EMPTY)", orf1, FindDirection::Next, s.rowOf("(empty)")},
        {"zdf", orf1, FindDirection::Next, std::nullopt},
        {"", orf1, FindDirection::Next, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(editing::findRow(g, col::kName, c.text, c.from, c.direction), c.expected)
            << c.text << " from " << c.from;
    }
}

TEST_F(FindChannelTest, TheWindowFindsByEnterF3AndButtonsAndChangesNothing) {
    const auto cellsBefore = allCells();
    const std::vector<int> sport = rowsNamed("Sport1");
    s.grid().userSelectCell(s.rowOf("ORF1"), col::kNum, false);
    std::vector<int> rowsSeen;
    std::string notFound;
    s.modal().expectModal([&](core::form::Form& f) {
        EXPECT_EQ(f.caption(), "Sender suchen / Find channel");
        EXPECT_EQ(f.control(fc::kText).text, "");
        f.setText(fc::kText, "SPORT");
        findKey(vk::kReturn);
        rowsSeen.push_back(s.grid().row());
        findKey(kF3);
        rowsSeen.push_back(s.grid().row());
        findKey(kF3);
        rowsSeen.push_back(s.grid().row());
        findKey(kF3, kShiftMask);
        rowsSeen.push_back(s.grid().row());
        click(fc::kPrevious);
        rowsSeen.push_back(s.grid().row());
        EXPECT_EQ(f.control(fc::kStatus).caption, "");
        f.setText(fc::kText, "zdf");
        click(fc::kNext);
        rowsSeen.push_back(s.grid().row());
        notFound = f.control(fc::kStatus).caption;
        EXPECT_TRUE(f.isVisible());
        findKey(vk::kEscape);
        EXPECT_FALSE(f.isVisible());
    });
    mainKey('F', core::form::kCtrlMask);
    EXPECT_EQ(rowsSeen,
              (std::vector<int>{sport[0], sport[1], sport[0], sport[1], sport[0], sport[0]}));
    EXPECT_EQ(notFound, "Nicht gefunden / Not found");
    EXPECT_EQ(s.grid().col(), col::kName);
    EXPECT_EQ(allCells(), cellsBefore);
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_EQ(s.modal().shown().size(), 1u);
}

TEST_F(FindChannelTest, F3GoesOnWithTheLastTextOnceTheWindowIsClosed) {
    // Without a text F3 asks for one.
    s.modal().expectModal([&](core::form::Form& f) {
        f.setText(fc::kText, "orf");
        click(fc::kNext);
        click(fc::kClose);
        EXPECT_FALSE(f.isVisible());
    });
    s.grid().userSelectCell(s.rowOf("Radio X"), col::kNum, false);
    mainKey(kF3);
    EXPECT_EQ(currentName(), "ORF1");
    mainKey(kF3);
    EXPECT_EQ(currentName(), "ORF2");
    mainKey(kF3, kShiftMask);
    EXPECT_EQ(currentName(), "ORF1");
    // The window opens again with the last text.
    s.modal().expectModal([&](core::form::Form& f) {
        EXPECT_EQ(f.control(fc::kText).text, "orf");
        EXPECT_EQ(f.control(fc::kText).selLength, 3);
    });
    mainKey('F', core::form::kCtrlMask);
    EXPECT_EQ(s.modal().shown().size(), 2u);
    EXPECT_FALSE(s.app().state().FavDirty);
}

TEST_F(FindChannelTest, AFoundRowOutOfSightIsScrolledIntoView) {
    // A grid tall enough for its header and two rows.
    const int rowHeight = s.grid().defaultRowHeight();
    s.form().update(core::app::control::kMainGrid, [&](core::form::Control& c) {
        c.rect.height = s.grid().rowHeight(0) + 2 * rowHeight;
    });
    s.grid().userSelectCell(1, col::kNum, false);
    ASSERT_EQ(s.grid().topRow(), 1);
    s.modal().expectModal([&](core::form::Form& f) {
        f.setText(fc::kText, "radio");
        findKey(vk::kReturn);
        const int found = s.rowOf("Radio X");
        EXPECT_EQ(s.grid().row(), found);
        EXPECT_EQ(s.grid().topRow(), found - 1);  // shown as the lower of the two rows
        f.setText(fc::kText, "orf1");
        findKey(vk::kReturn);
        EXPECT_EQ(s.grid().topRow(), s.rowOf("ORF1"));
        findKey(vk::kEscape);
    });
    mainKey('F', core::form::kCtrlMask);
}

TEST_F(FindChannelTest, AGridWithoutANameColumnHasNothingToFind) {
    ASSERT_TRUE(s.grid().setTextMatrix(0, col::kName, "Title").isOk());
    EXPECT_EQ(editing::nameColumn(s.grid()), std::nullopt);
    mainKey('F', core::form::kCtrlMask);  // no window: an unexpected one fails the test
    mainKey(kF3);
    EXPECT_TRUE(s.modal().shown().empty());
}

}  // namespace
}  // namespace velmora::test
