#pragma once
#include <array>
#include <string>
#include <vector>

#include "app/context.h"
#include "dbmaint/database_kinds.h"
#include "dbmaint/database_run.h"
#include "platform/file_system.h"

namespace corvane {

// What the scan of the shared data folder found, per kind (indexed by DbKind).
struct FolderScan {
    std::array<std::string, kKindCount> paths;  // Overwatch's slot also holds Playfield's
    std::array<std::string, kKindCount> lists;  // names, each followed by "\r"; kinds the duplicate check counts
    std::array<int, kKindCount> counts{};

    const std::string& PathOf(DbKind kind) const { return paths[static_cast<int>(PathSlotOf(kind))]; }
};

// The repair run's shared data folder: "D:" on a computer whose name holds
// the developer-machine marker, otherwise the shared drive root, then "\Shared".
std::string RepairFolderOf(const ProgramState& state);

// Each file tested against the kinds in table order; the file listed last
// wins a path slot.
FolderScan ScanFiles(const std::vector<FileEntry>& files);

// The duplicate check: the lists of the kinds found more than once, each
// followed by one more "\r", and their total; empty when there are none.
struct Duplicates {
    int total = 0;
    std::string repeatedFiles;
};
Duplicates FindDuplicates(const FolderScan& scan);

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
};

// DBRepair: lists the shared data folder, ends the program on duplicates
// (and reports a folder it cannot list without ending), takes the folder's
// run lock (another run holding it is reported, and nothing is touched),
// then, when the engine is there, compacts (engine "3.6") or repairs every
// database found.
RepairOutcome DBRepair(DatabaseRun& run);

}  // namespace corvane
