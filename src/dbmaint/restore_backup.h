#pragma once
#include <string>
#include <vector>

#include "dbmaint/database_run.h"
#include "platform/file_system.h"

namespace corvane {

// How a restore ended.
enum class RestoreEnd {
    Restored,       // the live database now holds the backup's bytes under its own name
    Refused,        // another kind's backup, or no whole database file: nothing was touched
    Failed,         // the replaced database could not be kept, or a copy, flush or rename
                    // failed: the live database is as it was
    ProgramEnding,  // the program closed during the wait on the lock file
};

struct RestoreResult {
    RestoreEnd end = RestoreEnd::Restored;
    // Refused or failed: the Spanish text for the user. Restored: what the
    // success box adds, when the replaced database is kept otherwise than
    // planned; usually "".
    std::string message;
    std::string keptPath;  // Restored: where the replaced database was kept; empty if it could not be
    // Kept generations removed to make room, or left by a killed run and
    // settled, for the run's history.
    std::vector<std::string> notes;
};

// The temporary file of a restore made on computer: one per computer, so two
// machines restoring at once never share one, and a leftover is removed only
// by the computer that made it. A name neither scan takes and no kind's
// compaction file.
std::string RestoreTempPath(const std::string& livePath, const std::string& computer);

// The backup checked as a whole database file before anything is touched:
// the engine's signature in its header, and a size that is a whole number of
// pages of the format its version byte names (2,048 bytes for the older
// format, 4,096 for the newer). Ok, or the reason in Spanish in text.
Status CheckBackupFile(FileSystem& files, const std::string& backupPath);

// The restore of one backup over the live database at livePath, for the
// kind of choice kindIndex: the backup's kind and file checked, the wait on
// the lock file ("Corvane - LBLRESTOREFG_Click"), the live database kept as a
// generation in _Reemplazadas, the copy into the temporary file beside it
// with its progress, its flush, and one rename. A refusal or a failure
// anywhere leaves the live database and every kept one as they were and
// writes the restore failure record to Errors.txt.
RestoreResult RestoreBackup(DatabaseRun& run, int kindIndex, const std::string& backupPath,
                            const std::string& livePath);

}  // namespace corvane
