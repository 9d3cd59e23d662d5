#pragma once
#include "platform/clock.h"

namespace corvane::win32 {

class Win32Clock : public Clock {
public:
    DateTime Now() override;
    std::optional<TimeOfDayRecord> RemoteTimeOfDay(const std::string& server) override;
};

// True under Wine, whose network time-of-day call is a stub that raises an
// exception instead of failing.
bool RunningUnderWine();

}  // namespace corvane::win32
