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

// Switches start with "/" or "-" and ignore letter case; one switch at most.
Invocation ParseCommandLine(const std::vector<std::string>& arguments);

// The usage, one line per element.
const std::vector<std::string>& UsageLines();

}  // namespace corvane
