#include "core/form/ui_types.h"

#include <gtest/gtest.h>

namespace velmora::core::form {
namespace {

// Twips and pixels both ways: the nearest whole, halves away from zero on either side of the
// origin, so a place left of a container mirrors the one right of it.
TEST(TwipsAndPixels, RoundToTheNearestHalvesAwayFromZero) {
    struct Case {
        int twips;
        double dpi;
        int pixels;
    };
    const Case toPixels[] = {
        {0, 96, 0},   {1440, 96, 96}, {15, 96, 1},  {7, 96, 0},     {8, 96, 1},
        {-7, 96, 0},  {-8, 96, -1},   {5, 144, 1},  {-5, 144, -1},  {-15, 144, -2},
        {14, 144, 1}, {-14, 144, -1}, {25, 144, 3}, {-25, 144, -3}, {1440, 120, 120},
    };
    for (const Case& c : toPixels)
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;

    struct Back {
        double pixels;
        double dpi;
        int twips;
    };
    const Back toTwips[] = {
        {96, 96, 1440}, {1, 96, 15},   {-1, 96, -15}, {1, 960, 2},    {-1, 960, -2},
        {3, 960, 5},    {-3, 960, -5}, {0.5, 96, 8},  {-0.5, 96, -8}, {2.5, 960, 4},
    };
    for (const Back& c : toTwips)
        EXPECT_EQ(pixelsToTwips(c.pixels, c.dpi), c.twips) << c.pixels << " px at " << c.dpi;
}

}  // namespace
}  // namespace velmora::core::form
