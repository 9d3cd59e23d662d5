#include "app/date_helpers.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

struct WorkDay {
    DateTime moment;
    const char* stampText;
    const char* workDateText;
};

TEST(SetDateStamps, WorkDayChangesAtEightInTheMorning) {
    const WorkDay cases[] = {
        {{2026, 3, 1, 7, 59, 59}, "20260301075959", "20260228"},
        {{2026, 3, 1, 8, 0, 0}, "20260301080000", "20260301"},
        {{2024, 3, 1, 0, 0, 0}, "20240301000000", "20240229"},
        {{2027, 1, 1, 7, 0, 5}, "20270101070005", "20261231"},
        {{2026, 12, 31, 23, 59, 59}, "20261231235959", "20261231"},
    };
    for (const WorkDay& c : cases) {
        DateStamps stamps;
        SetDateStamps(stamps, c.moment);
        EXPECT_EQ(stamps.StampText, c.stampText);
        EXPECT_EQ(stamps.WorkDateText, c.workDateText) << c.stampText;
    }
}

// The time of day a machine's time service gives is Greenwich time; the offset
// makes it the machine's local time.
TEST(MachineDateTime, AsksTheMachineThenTheLocalServiceThenReadsTheLocalClock) {
    const DateTime now = testing::FakeClock().now;
    const DateTime monitorTime{2026, 5, 9, 22, 30, 15}, localTime{2026, 5, 10, 13, 0, 0};
    struct Case {
        const char* what;
        const char* computer;
        const char* machine;
        bool localService;
        DateTime time;
        std::vector<std::string> queried;
    } const cases[] = {
        {"the machine answers", "POS3", "MONITOR", true, monitorTime, {"\\\\MONITOR"}},
        {"a name with its backslashes", "POS3", "\\\\MONITOR", true, monitorTime, {"\\\\MONITOR"}},
        {"the machine does not answer", "POS3", "GONE", true, localTime, {"\\\\GONE", ""}},
        {"no service answers", "POS3", "GONE", false, now, {"\\\\GONE", ""}},
        {"a blank name", "POS3", "   ", true, localTime, {""}},
        {"a developer machine asks nobody", "dev-k305-b", "MONITOR", true, now, {}},
    };
    for (const Case& c : cases) {
        testing::Harness h;
        h.state.computerName = c.computer;
        h.state.devMachineMarker = "K305";
        h.clock.records["\\\\MONITOR"] = {2026, 5, 10, 1, 30, 15, 180};
        if (c.localService) h.clock.records[""] = {2026, 5, 10, 12, 0, 0, -60};
        EXPECT_EQ(GetMachineDateTime(h.context, c.machine), c.time) << c.what;
        EXPECT_EQ(h.clock.queried, c.queried) << c.what;
    }
}

}  // namespace
}  // namespace corvane
