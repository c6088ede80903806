#include "review/result_line.h"

#include <cstdint>

namespace ts::review {

DateOrder DateOrderOf(std::string_view format) {
    const std::size_t year = format.find_first_of("yYC");
    const std::size_t day = format.find_first_of("de");
    const std::size_t month = format.find('m');
    if (year != std::string_view::npos && (day == std::string_view::npos || year < day) &&
        (month == std::string_view::npos || year < month)) {
        return DateOrder::YearMonthDay;
    }
    if (month != std::string_view::npos && day != std::string_view::npos && month < day) {
        return DateOrder::MonthDayYear;
    }
    return DateOrder::DayMonthYear;
}

DateOrder DecideDateOrder(const StampFields* stamps, int count, DateOrder hint) {
    // Each order that reads every stamp as a date; a four-digit year tells its place.
    bool dmy = true, mdy = true, ymd = true;
    for (int i = 0; i < count; ++i) {
        const StampFields& s = stamps[i];
        const bool yearFirst = s.dateDigits[0] == 4;
        const bool yearLast = s.dateDigits[2] == 4;
        dmy = dmy && !yearFirst && s.date[1] <= 12 && s.date[0] <= 31;
        mdy = mdy && !yearFirst && s.date[0] <= 12 && s.date[1] <= 31 && s.dateSeparator != '.';
        ymd = ymd && !yearLast && s.date[1] <= 12 && s.date[2] <= 31;
    }
    // No regional setting writes the month first with dots: such a date is a day first.
    const bool possible[] = {dmy, mdy, ymd};
    if (possible[static_cast<int>(hint)]) return hint;
    if (dmy) return DateOrder::DayMonthYear;
    if (mdy) return DateOrder::MonthDayYear;
    if (ymd) return DateOrder::YearMonthDay;
    return hint;
}

bool StampDateTime(const StampFields& s, DateOrder order, LocalDateTime& out) {
    int year = 0, month = 0, day = 0, yearDigits = 0;
    switch (order) {
        case DateOrder::DayMonthYear:
            day = s.date[0], month = s.date[1], year = s.date[2], yearDigits = s.dateDigits[2];
            break;
        case DateOrder::MonthDayYear:
            month = s.date[0], day = s.date[1], year = s.date[2], yearDigits = s.dateDigits[2];
            break;
        case DateOrder::YearMonthDay:
            year = s.date[0], month = s.date[1], day = s.date[2], yearDigits = s.dateDigits[0];
            break;
    }
    if (yearDigits <= 2) year += 2000;
    int hour = s.hour;
    if (s.meridiem != 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (s.meridiem == 2 ? 12 : 0);
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || s.minute > 59 ||
        s.second > 60) {
        return false;
    }
    out = LocalDateTime{year, month, day, hour, s.minute, s.second};
    return true;
}

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysOfDate(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

std::int64_t SecondsOfDateTime(const LocalDateTime& t) {
    return DaysOfDate(t.Year, t.Month, t.Day) * 86400 + t.Hour * 3600 + t.Minute * 60 + t.Second;
}

LocalDateTime DateTimeOfSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) rest += 86400, --days;
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    const auto y = static_cast<int>(yoe + era * 400 + (m <= 2));
    return LocalDateTime{y,
                         m,
                         d,
                         static_cast<int>(rest / 3600),
                         static_cast<int>(rest / 60 % 60),
                         static_cast<int>(rest % 60)};
}

}  // namespace ts::review
