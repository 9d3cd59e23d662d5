#include "app/date_helpers.h"

#include "base/text.h"
#include "platform/clock.h"

namespace corvane {
namespace {

constexpr const char* kDayChange = "08:00";

std::string FourDigits(int year) {
    std::string digits = std::to_string(year);
    return std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
}

int MinutesOfDay(const std::string& hhmm) {
    return std::stoi(hhmm.substr(0, 2)) * 60 + std::stoi(hhmm.substr(hhmm.size() - 2));
}

}  // namespace

void SetDateStamps(DateStamps& s, const DateTime& moment) {
    s.StampYear = FourDigits(moment.year);
    s.StampMonth = TwoDigits(moment.month);
    s.StampDay = TwoDigits(moment.day);
    s.StampHour = TwoDigits(moment.hour);
    s.StampMinute = TwoDigits(moment.minute);
    s.StampSecond = TwoDigits(moment.second);
    s.StampText = s.StampYear + s.StampMonth + s.StampDay + s.StampHour + s.StampMinute + s.StampSecond;

    const int momentMinutes = std::stoi(s.StampHour) * 60 + std::stoi(s.StampMinute);
    const DateTime workDate = MinutesOfDay(kDayChange) <= momentMinutes ? moment : AddDays(moment, -1);
    s.WorkYear = FourDigits(workDate.year);
    s.WorkMonth = TwoDigits(workDate.month);
    s.WorkDay = TwoDigits(workDate.day);
    s.WorkDateText = s.WorkYear + s.WorkMonth + s.WorkDay;
}

DateTime GetMachineDateTime(const AppContext& context, const std::string& machineName) {
    const ProgramState& state = context.state;
    // A developer machine has no suite network to ask.
    if (NameHasDevMarker(state)) return context.clock.Now();

    std::optional<TimeOfDayRecord> record;
    if (Trim(machineName).empty()) {
        record = context.clock.RemoteTimeOfDay("");
    } else {
        const std::string server = machineName.rfind("\\\\", 0) == 0 ? machineName : "\\\\" + machineName;
        record = context.clock.RemoteTimeOfDay(server);
        if (!record) record = context.clock.RemoteTimeOfDay("");
    }
    if (!record) return context.clock.Now();

    // The record's time of day is Greenwich time; the offset turns it into the
    // server's local time.
    return NormalisedDateTime(record->year, record->month, record->day, record->hours,
                              static_cast<long long>(record->minutes) - record->timezoneMinutes, record->seconds);
}

}  // namespace corvane
