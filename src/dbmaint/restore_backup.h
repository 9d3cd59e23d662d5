#pragma once
#include <string>

#include "app/context.h"
#include "dbmaint/main_window_port.h"
#include "dbmaint/progress_port.h"
#include "platform/file_system.h"
#include "platform/waiter.h"

namespace corvane {

// How a restore ended.
enum class RestoreEnd {
    Restored,       // the live database now holds the backup's bytes under its own name
    Refused,        // the backup is no whole database file: nothing was touched
    Failed,         // a copy or the rename failed: the live database is as it was
    ProgramEnding,  // the program closed during the wait on the lock file
};

struct RestoreResult {
    RestoreEnd end = RestoreEnd::Restored;
    std::string message;  // the Spanish text for the user when refused or failed
    std::string keptPath;  // Restored: where the replaced database was kept; empty if it could not be
};

// The folder's one temporary file of a restore: a name neither scan takes
// and no kind's compaction file. One left by an interrupted restore is
// removed by the next.
std::string RestoreTempPath(const std::string& livePath);

// Where the database a restore replaced is kept: "_Reemplazadas\<its file
// name>" in its folder, the previous one of that name overwritten.
std::string ReplacedCopyPath(const std::string& livePath);

// The backup checked as a whole database file before anything is touched:
// the engine's signature in its header, and a size that is a whole number of
// pages of the format its version byte names (2,048 bytes for the older
// format, 4,096 for the newer). Ok, or the reason in Spanish in text.
Status CheckBackupFile(FileSystem& files, const std::string& backupPath);

// The restore of one backup over the live database at livePath: the check,
// the wait on the lock file ("Corvane - LBLRESTOREFG_Click"), the copy into
// the temporary file beside it with its progress, the live database kept in
// _Reemplazadas, and one rename. A failure anywhere leaves the live
// database as it was and writes the restore failure record to Errors.txt.
RestoreResult RestoreBackup(AppContext& context, Waiter& waiter, MainWindowPort& window, ProgressPort& progress,
                            const std::string& backupPath, const std::string& livePath);

}  // namespace corvane
