#pragma once
#include <string>
#include <vector>

namespace corvane {

// What the program was started to do.
enum class Invocation {
    Window,      // no arguments: the main window, as always
    Repair,      // /reparar: the repair run, unattended
    Usage,       // /?: the usage
    UsageError,  // anything else
};

// The bounds of /limite:MIN, the minutes a compaction or a repair may take.
inline constexpr int kMinLimitMinutes = 1;
inline constexpr int kMaxLimitMinutes = 600;

struct CommandLine {
    Invocation invocation = Invocation::Window;
    // /limite:MIN given with /reparar; 0: the default bound.
    int limitMinutes = 0;
};

// Switches start with "/" or "-" and ignore letter case; one switch at most,
// but /reparar may take /limite:MIN (1 to 600) before or after it.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The usage, one line per element.
const std::vector<std::string>& UsageLines();

}  // namespace corvane
