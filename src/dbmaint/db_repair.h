#pragma once
#include <string>

#include "dbmaint/database_run.h"
#include "dbmaint/folder_scan.h"

namespace corvane {

// The duplicate message in the UI language ("1", "2", "3"; anything else: all
// three).
struct DuplicateMessage {
    std::string title;
    std::string text;
};
DuplicateMessage DuplicateMessageFor(const std::string& languageCode, const std::string& folder,
                                     const Duplicates& duplicates);

// How a repair request ended, for an unattended run's exit code.
enum class RepairOutcome {
    NoConnection,      // no shared data folder was reached
    FolderUnreadable,  // it could not be listed
    Duplicates,        // a kind twice: the program ends
    EngineMissing,
    NothingFound,
    AllDone,
    SomeFailed,
    ProgramEnding,     // closed during a wait, or an incompatible database
    AnotherRunning,    // another run holds the databases' run lock
    RunLockFailed,     // the run lock could not be made (no access...)
};

// DBRepair: lists the shared data folder, ends the program on duplicates
// (and reports a folder it cannot list without ending), takes the folder's
// run lock (another run holding it is reported, and nothing is touched),
// then, when the engine is there, compacts (engine "3.6") or repairs every
// database found. The lock is let go before the boxes that follow the last
// row.
RepairOutcome DBRepair(DatabaseRun& run);

}  // namespace corvane
