#include "engine/base/access_date.h"

#include <cmath>

#include "engine/base/local_time.h"

namespace velmora::engine {
namespace {

// 1970-01-01 in Access days; the civil-date arithmetic below counts from there.
constexpr int64_t kUnixEpoch = 25569;

}  // namespace

bool isAccessCalendarDate(int64_t year, int month, int day) {
    static constexpr int kDaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDaysIn[month - 1] + (month == 2 && leap ? 1 : 0);
}

int64_t accessDayOf(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468 + kUnixEpoch;
}

double accessDateOf(int64_t day, int secondsOfDay) {
    const double fraction = secondsOfDay / 86400.0;
    return day < 0 ? double(day) - fraction : double(day) + fraction;
}

double accessDateOf(const CalendarTime& t) {
    return accessDateOf(accessDayOf(t.year, t.month, t.day),
                        t.hour * 3600 + t.minute * 60 + t.second);
}

CalendarTime calendarTimeOf(double accessDate) {
    const double whole = std::trunc(accessDate);
    auto seconds = static_cast<int64_t>(std::llround(std::fabs(accessDate - whole) * 86400.0));
    auto day = static_cast<int64_t>(whole);
    if (seconds >= 86400) {
        // 24:00 is the start of the next calendar day, whichever side of 1899-12-30.
        seconds -= 86400;
        day += 1;
    }
    const int64_t z = day - kUnixEpoch + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    CalendarTime t;
    t.day = doy - (153 * mp + 2) / 5 + 1;
    t.month = mp < 10 ? mp + 3 : mp - 9;
    t.year = static_cast<int64_t>(yoe) + era * 400 + (t.month <= 2);
    t.hour = int(seconds / 3600);
    t.minute = int(seconds / 60 % 60);
    t.second = int(seconds % 60);
    return t;
}

double accessDateOfLocalTime(std::time_t t) {
    const std::tm local = localTimeOf(t);
    return accessDateOf(
        accessDayOf(local.tm_year + 1900, unsigned(local.tm_mon + 1), unsigned(local.tm_mday)),
        local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

}  // namespace velmora::engine
