#pragma once
#include <optional>
#include <string>

#include "base/date_time.h"

namespace corvane {

// A computer's network time-of-day answer: Greenwich time of day plus the
// time-zone offset in minutes, positive west of Greenwich.
struct TimeOfDayRecord {
    int year = 0, month = 0, day = 0;
    int hours = 0, minutes = 0, seconds = 0;
    int timezoneMinutes = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime Now() = 0;  // local clock
    // server "" asks the local computer's service; nullopt when no record comes.
    virtual std::optional<TimeOfDayRecord> RemoteTimeOfDay(const std::string& server) = 0;
};

}  // namespace corvane
