#pragma once
#include <string>

#include "app/context.h"
#include "base/date_time.h"

namespace corvane {

// Filled only by SetDateStamps; the work date changes at 08:00.
struct DateStamps {
    std::string StampText, StampYear, StampMonth, StampDay, StampHour, StampMinute, StampSecond;
    std::string WorkDateText, WorkYear, WorkMonth, WorkDay;
};

// Fills every date stamp field from one moment; the work date is the previous
// day before 08:00.
void SetDateStamps(DateStamps& stamps, const DateTime& moment);

// The current local date and time of the named computer, from its network
// time-of-day service; the local service and then the local clock stand in
// when it cannot be read. Never fails.
DateTime GetMachineDateTime(const AppContext& context, const std::string& machineName);

}  // namespace corvane
