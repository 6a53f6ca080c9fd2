// Access dates and the calendar. An Access date is a double counting days from 1899-12-30
// (proleptic Gregorian calendar, local time): the whole part is the day, negative before
// 1899-12-30, and the fraction is the time of day counted away from zero, so -1.25 is
// 1899-12-29 06:00 and -0.25 is 1899-12-30 06:00.
#pragma once

#include <cstdint>
#include <ctime>

namespace velmora::engine {

struct CalendarTime {
    int64_t year = 1899;
    unsigned month = 12;
    unsigned day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const CalendarTime&) const = default;
};

// Whether the date exists in the calendar and lies in the years Access allows (100 to 9999).
bool isAccessCalendarDate(int64_t year, int month, int day);

// The day number of a calendar date (1899-12-30 is 0, 1970-01-01 is 25569).
int64_t accessDayOf(int64_t year, unsigned month, unsigned day);

// The Access date of a day number and a time of day in seconds (0 to 86399).
double accessDateOf(int64_t day, int secondsOfDay);

// The Access date of a calendar date and time.
double accessDateOf(const CalendarTime& t);

// The calendar date and time of an Access date, to the nearest second: a time that rounds to
// 24:00 is 00:00 of the next calendar day.
CalendarTime calendarTimeOf(double accessDate);

// The local time at `t` as an Access date: Jet stamps dates in local time.
double accessDateOfLocalTime(std::time_t t);

}  // namespace velmora::engine
