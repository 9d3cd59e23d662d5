#include "base/date_time.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

struct Rollover {
    const char* name;
    int year, month, day;
    long long hour, minute, second;
    DateTime expected;
};

TEST(DateTime, OutOfRangeFieldsRollIntoLargerUnits) {
    const Rollover cases[] = {
        {"minutes below zero cross midnight", 2026, 5, 10, 1, 30 - 180, 0, {2026, 5, 9, 22, 30, 0}},
        {"minutes above 59 roll into hours", 2026, 5, 10, 23, 30 + 45, 0, {2026, 5, 11, 0, 15, 0}},
        {"back over a month end", 2026, 3, 1, 0, -1, 0, {2026, 2, 28, 23, 59, 0}},
        {"back over a leap day", 2024, 3, 1, 0, -1, 0, {2024, 2, 29, 23, 59, 0}},
        {"back over a year end", 2027, 1, 1, 0, 0, -1, {2026, 12, 31, 23, 59, 59}},
        {"forward over a year end", 2026, 12, 31, 23, 59, 60, {2027, 1, 1, 0, 0, 0}},
        {"a day 0 is the month's eve", 2026, 1, 0, 12, 0, 0, {2025, 12, 31, 12, 0, 0}},
        {"month 13 is next January", 2026, 13, 1, 0, 0, 0, {2027, 1, 1, 0, 0, 0}},
    };
    for (const Rollover& c : cases) {
        EXPECT_EQ(NormalisedDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace corvane
