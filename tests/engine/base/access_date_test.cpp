// The one rule between Access dates and the calendar.
#include <gtest/gtest.h>

#include "engine/base/access_date.h"

namespace velmora::engine {
namespace {

TEST(AccessDate, CalendarDatesAndTimesBothWays) {
    struct Case {
        CalendarTime calendar;
        double accessDate;
        bool canonical;  // the calendar time gives back this very date
    };
    const Case cases[] = {
        {{1899, 12, 30, 0, 0, 0}, 0.0, true},
        {{1970, 1, 1, 0, 0, 0}, 25569.0, true},
        {{1900, 1, 1, 0, 0, 0}, 2.0, true},
        {{2000, 2, 29, 12, 0, 0}, 36585.5, true},
        {{1899, 12, 29, 6, 0, 0}, -1.25, true},  // the time counts away from zero
        {{1899, 12, 30, 6, 0, 0}, 0.25, true},
        {{1899, 12, 30, 6, 0, 0}, -0.25, false},  // the same moment, written with -0
        {{100, 1, 1, 0, 0, 0}, -657434.0, true},
        {{9999, 12, 31, 0, 0, 0}, 2958465.0, true},
        {{1900, 1, 1, 0, 0, 0}, 1.9999999, false},     // 23:59:59.99 rounds to the next day
        {{1899, 12, 30, 0, 0, 0}, -1.9999999, false},  // also before 1899-12-30
        {{2026, 12, 8, 15, 30, 45}, 46364.0 + (15 * 3600 + 30 * 60 + 45) / 86400.0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(calendarTimeOf(c.accessDate), c.calendar) << c.accessDate;
        if (c.canonical) {
            EXPECT_DOUBLE_EQ(accessDateOf(c.calendar), c.accessDate) << c.accessDate;
        }
    }
}

TEST(AccessDate, OnlyRealDatesInTheYearsAccessAllows) {
    struct Case {
        int year, month, day;
        bool valid;
    };
    const Case cases[] = {
        {2000, 2, 29, true},  {1900, 2, 29, false}, {2024, 2, 29, true},  {2023, 2, 29, false},
        {2023, 4, 31, false}, {2023, 12, 31, true}, {2023, 13, 1, false}, {2023, 0, 1, false},
        {2023, 1, 0, false},  {99, 12, 31, false},  {100, 1, 1, true},    {9999, 12, 31, true},
        {10000, 1, 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isAccessCalendarDate(c.year, c.month, c.day), c.valid)
            << c.year << "-" << c.month << "-" << c.day;
    }
}

}  // namespace
}  // namespace velmora::engine
