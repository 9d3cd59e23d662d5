#pragma once

namespace corvane {

// A calendar date and time of day, proleptic Gregorian, no time zone.
struct DateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Builds a date-time from fields that may be out of range (minutes below 0 or
// above 59, and so on), rolling the excess into the larger units.
DateTime NormalisedDateTime(int year, int month, int day, long long hour, long long minute, long long second);

DateTime AddDays(const DateTime& moment, int days);

// Seconds from one moment to another; negative when to comes first.
long long SecondsBetween(const DateTime& from, const DateTime& to);

}  // namespace corvane
