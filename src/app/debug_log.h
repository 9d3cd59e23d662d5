#pragma once
#include <string>

#include "app/context.h"
#include "base/date_time.h"

namespace corvane {

constexpr const char* kDebugSwitchFile = "Corvane.deb";

// "YYMMDD-HHNNSS <COMPUTER> Corvane.deb"
std::string DebugLogFileName(const DateTime& now, const std::string& computerName);

// Switches the log on for this run when the switch file is present: sets the
// debug log path, deletes the switch file and writes the five header lines.
// Anything that stops the log from being written leaves it off.
void StartDebugLog(AppContext& context);

// One quoted record, CR LF; nothing when the log is off.
void AppendDebugLine(const AppContext& context, const std::string& text);

}  // namespace corvane
