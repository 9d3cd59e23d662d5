#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dbmaint/restore_backup.h"
#include "dbmaint/run_status.h"

namespace corvane {

// The words of Corvane.log's records of a run, one line each, for the
// technician who reads the history the next morning.

enum class RowEnd {
    Done,
    Failed,   // tried, and the database is as it was
    Skipped,  // never tried: the program was ending
};

// One database of a compaction or repair run.
struct RowRecord {
    RunAction action = RunAction::Compacting;  // or Repairing
    std::string name;                          // as the run names it: "Keystone"
    RowEnd end = RowEnd::Done;
    std::optional<std::uint64_t> before;  // Done: the size when the work began
    std::optional<std::uint64_t> after;   // the size when the row ended
    int seconds = 0;                      // the work itself, after any wait
    std::string reason;                   // Failed, Skipped: why
    RunStatus wait;                       // the last of the wait shown on this row; None if none was
};

// "Keystone: compactada, 812,4 MB -> 640,1 MB (-21 %), 14 s",
// "Staffroll: ERROR al compactar, 2,9 MB, 0 s: Error: 3045 | ...",
// "Keystone: sin compactar, 812,4 MB: ...", each followed by the wait when
// the row waited: ", tras esperar 61 s (en uso en POS1)".
std::string RowRecordText(const RowRecord& row);

// One restore: the backup, the database it replaced and where that was kept.
struct RestoreRecord {
    std::string name;  // as the run names it: "Pantry"
    std::string backupPath;
    std::string livePath;
    std::string keptPath;  // empty: the replaced database could not be kept
    RestoreEnd end = RestoreEnd::Restored;
    std::optional<std::uint64_t> size;  // the live database's, afterwards
    std::string reason;                 // Refused, Failed: the message the user saw
};
std::string RestoreRecordText(const RestoreRecord& record);

// A database past the warning size when its run ended.
struct LargeDatabase {
    std::string name;
    std::uint64_t size = 0;
};
std::string LimitRecordText(const LargeDatabase& database);

// The box an interactive run shows after its results: every such database
// with its size, and what to do about it.
std::string LimitBoxText(const std::vector<LargeDatabase>& databases);

}  // namespace corvane
