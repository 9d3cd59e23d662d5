#pragma once
#include <optional>
#include <string>
#include <vector>

#include "dbmaint/database_run.h"
#include "dbmaint/folder_scan.h"

namespace corvane {

// How a run of the database work came to its end: the rows that went
// through and those that failed, or the program closing between two steps.
struct RunResult {
    bool programEnding = false;
    int done = 0;
    int failed = 0;
    // Set when the repair sequence's first call answered that the engine
    // repairs nothing (newer engines): nothing was changed, and why is here.
    std::optional<Status> repairUnsupported;
    // The boxes that follow the last row (DBCOMPACT40's summaries): the
    // caller shows them once the run lock is let go, so a box left open
    // keeps no other run away.
    std::vector<std::string> closingBoxes;
};

// Whether the first repair's answer means the engine has no repair at all
// (its name unknown, not a member, or DAO's 3251), rather than a failure of
// that one database.
bool RepairUnsupported(const EngineStatus& firstRepair);

// Which rows a compaction run has: the written ones (engine "3.6"), or,
// when the engine has no repair, those and then the kinds that only the
// repair sequence had (Tollgate), which would otherwise go untouched.
enum class CompactionRows { Written, WithRepairedOnly };

// `DBCOMPACT40`: every database found, in the compaction's order, waited for,
// compacted into its kind's temporary file below folder and swapped in by
// one rename; then the OK summary and the error summary, each one box of
// the result's closingBoxes.
RunResult DBCOMPACT40(DatabaseRun& run, const std::string& folder, const FolderScan& scan,
                      CompactionRows rows = CompactionRows::Written);

// The repair sequence of an engine other than "3.6": every database found,
// in the repair order, waited for and repaired in place, each with its own
// result box (the last row's among the result's closingBoxes). It stops, having changed nothing, when the first repair that
// gets an answer (whatever its place) answers that the engine repairs
// nothing: the rows before it only waited past their bound or lost the
// engine, and the compaction run that follows takes them again.
RunResult RepairSequence(DatabaseRun& run, const FolderScan& scan);

// "3204 | Database already exists." for the engine's own numbers,
// "0x80040154 | ..." for a COM failure.
std::string EngineErrorText(const Status& status);

}  // namespace corvane
