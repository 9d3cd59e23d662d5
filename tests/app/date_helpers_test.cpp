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

TEST(SetDateStamps, FillsEveryPartWithLeadingZeros) {
    DateStamps stamps;
    SetDateStamps(stamps, {2026, 3, 1, 7, 5, 9});
    EXPECT_EQ(stamps.StampYear + "|" + stamps.StampMonth + "|" + stamps.StampDay + "|" + stamps.StampHour + "|" +
                  stamps.StampMinute + "|" + stamps.StampSecond,
              "2026|03|01|07|05|09");
    EXPECT_EQ(stamps.WorkYear + "|" + stamps.WorkMonth + "|" + stamps.WorkDay, "2026|02|28");
}

class MachineDateTime : public ::testing::Test {
protected:
    MachineDateTime() {
        h.state.computerName = "POS3";
        h.state.devMachineMarker = "K305";
    }
    testing::Harness h;
};

TEST_F(MachineDateTime, ServerTimeIsGreenwichTimeMadeLocal) {
    h.clock.records["\\\\MONITOR"] = {2026, 5, 10, 1, 30, 15, 180};
    EXPECT_EQ(GetMachineDateTime(h.context, "MONITOR"), (DateTime{2026, 5, 9, 22, 30, 15}));
}

TEST_F(MachineDateTime, NameWithBackslashesIsUsedAsItStands) {
    h.clock.records["\\\\MONITOR"] = {2026, 5, 10, 12, 0, 0, 0};
    GetMachineDateTime(h.context, "\\\\MONITOR");
    EXPECT_EQ(h.clock.queried, std::vector<std::string>{"\\\\MONITOR"});
}

TEST_F(MachineDateTime, FallsBackToTheLocalServiceThenTheLocalClock) {
    h.clock.records[""] = {2026, 5, 10, 12, 0, 0, -60};
    EXPECT_EQ(GetMachineDateTime(h.context, "GONE"), (DateTime{2026, 5, 10, 13, 0, 0}));
    EXPECT_EQ(h.clock.queried, (std::vector<std::string>{"\\\\GONE", ""}));

    h.clock.records.clear();
    EXPECT_EQ(GetMachineDateTime(h.context, "GONE"), h.clock.now);
}

TEST_F(MachineDateTime, BlankNameAsksOnlyTheLocalService) {
    GetMachineDateTime(h.context, "   ");
    EXPECT_EQ(h.clock.queried, std::vector<std::string>{""});
}

TEST_F(MachineDateTime, DeveloperMachineReadsTheLocalClockWithoutAsking) {
    h.state.computerName = "dev-k305-b";
    EXPECT_EQ(GetMachineDateTime(h.context, "MONITOR"), h.clock.now);
    EXPECT_TRUE(h.clock.queried.empty());
}

}  // namespace
}  // namespace corvane
