#pragma once
#include <string>

namespace corvane {

// The program's identity, for every layer: the title of its boxes and
// windows, the words its records name it by, and what it answers the Task
// Scheduler.
constexpr const char* kAppTitle = "Corvane";

// "v25.0.0".
std::string VersionString(int major, int minor, int revision);

// "Corvane v25.0.0", of this build: how a run's first record names the
// program, so the morning's reader knows which copy worked.
std::string ProgramVersion();

// Exit codes of an unattended run, for the Task Scheduler and the README.
enum ExitCode : int {
    kExitDone = 0,            // every database found was repaired or compacted
    kExitSomeFailed = 1,      // at least one row failed
    kExitNothingDone = 2,     // no connection, duplicates, no engine, refused location, nothing found
    kExitAnotherRunning = 3,  // another run holds the databases' run lock
    kExitInterrupted = 4,     // a close request (a task ended, a shutdown) stopped the run
    kExitUsage = 64,          // a usage error
};

}  // namespace corvane
