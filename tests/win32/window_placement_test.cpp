// Where secondary windows open: pure rectangle arithmetic, on a work area of 1600 x 960
// pixels with a task bar below it.
#include "win32/window_placement.h"

#include <gtest/gtest.h>

namespace velmora::win32 {
namespace {

constexpr RECT kWork{0, 0, 1600, 960};

bool same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(WindowPlacementTest, DropWindowOpensBesideTheMainWindowOnTheWorkArea) {
    struct Case {
        const char* what;
        RECT main;
        RECT expected;  // for a window of 160 x 300
    };
    const Case cases[] = {
        {"room on the right", {13, 6, 634, 369}, {634, 6, 794, 306}},
        {"no room on the right: on the left", {1000, 100, 1500, 500}, {840, 100, 1000, 400}},
        {"no room either side: at the right edge", {50, 100, 1550, 500}, {1440, 100, 1600, 400}},
        {"main window above the screen: pulled down", {13, -200, 634, 300}, {634, 0, 794, 300}},
        {"main window low: pulled up above the task bar",
         {13, 800, 634, 950},
         {634, 660, 794, 960}},
    };
    const RECT window{0, 0, 160, 300};
    for (const Case& c : cases) {
        const RECT got = placedBeside(window, c.main, kWork);
        EXPECT_TRUE(same(got, c.expected)) << c.what << ": " << got.left << "," << got.top << ","
                                           << got.right << "," << got.bottom;
    }
}

TEST(WindowPlacementTest, MessageBoxIsCentredOverItsOwnerOnTheWorkArea) {
    struct Case {
        const char* what;
        RECT owner;
        RECT expected;  // for a box of 200 x 100
    };
    const Case cases[] = {
        {"over the owner", {100, 100, 700, 500}, {300, 250, 500, 350}},
        {"owner off the right edge: kept on", {1500, 100, 2100, 500}, {1400, 250, 1600, 350}},
        {"owner off the top left: kept on", {-600, -400, 0, 0}, {0, 0, 200, 100}},
        {"owner smaller than the box", {300, 300, 340, 320}, {220, 260, 420, 360}},
    };
    const RECT box{0, 0, 200, 100};
    for (const Case& c : cases) {
        const RECT got = centredOver(box, c.owner, kWork);
        EXPECT_TRUE(same(got, c.expected)) << c.what << ": " << got.left << "," << got.top << ","
                                           << got.right << "," << got.bottom;
    }
    // Larger than the work area: its left top corner stays on it.
    const RECT huge = centredOver(RECT{0, 0, 2000, 1200}, RECT{100, 100, 700, 500}, kWork);
    EXPECT_EQ(huge.left, 0);
    EXPECT_EQ(huge.top, 0);
}

}  // namespace
}  // namespace velmora::win32
