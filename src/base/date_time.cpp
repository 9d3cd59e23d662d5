#include "base/date_time.h"

namespace corvane {
namespace {

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

long long FloorDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

DateTime NormalisedDateTime(int year, int month, int day, long long hour, long long minute, long long second) {
    // Months first, so that day arithmetic starts from a real month.
    const long long monthIndex = static_cast<long long>(year) * 12 + (month - 1);
    const long long y = FloorDiv(monthIndex, 12);
    const unsigned m = static_cast<unsigned>(monthIndex - y * 12 + 1);
    const long long totalSeconds =
        (DaysFromCivil(y, m, 1) + (day - 1)) * 86400 + hour * 3600 + minute * 60 + second;
    const long long days = FloorDiv(totalSeconds, 86400);
    const long long secondOfDay = totalSeconds - days * 86400;
    DateTime result;
    CivilFromDays(days, result.year, result.month, result.day);
    result.hour = static_cast<int>(secondOfDay / 3600);
    result.minute = static_cast<int>(secondOfDay / 60 % 60);
    result.second = static_cast<int>(secondOfDay % 60);
    return result;
}

DateTime AddDays(const DateTime& moment, int days) {
    return NormalisedDateTime(moment.year, moment.month, moment.day + days, moment.hour, moment.minute, moment.second);
}

long long SecondsBetween(const DateTime& from, const DateTime& to) {
    const auto seconds = [](const DateTime& t) {
        return (DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) * 24 + t.hour) *
                   3600 +
               t.minute * 60 + t.second;
    };
    return seconds(to) - seconds(from);
}

}  // namespace corvane
