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

// Exit codes of an unattended run, for the Task Scheduler and the README.
enum ExitCode : int {
    kExitDone = 0,            // every database found was repaired or compacted
    kExitSomeFailed = 1,      // at least one row failed
    kExitNothingDone = 2,     // no connection, duplicates, no engine, refused location, nothing found
    kExitAnotherRunning = 3,  // another copy is running
    kExitInterrupted = 4,     // a close request (a task ended, a shutdown) stopped the run
    kExitUsage = 64,          // a usage error
};

}  // namespace corvane
