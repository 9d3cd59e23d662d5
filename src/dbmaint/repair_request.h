#pragma once
#include "dbmaint/database_run.h"
#include "dbmaint/db_repair.h"
#include "dbmaint/restore_backup.h"

namespace corvane {

// LBLDBREPAIRFG_Click, from the "DB REPAIR" button or Shift+D: the busy
// overlay, the shared drive found (asking to try again while it is not), a
// local run offered on a developer machine, then the repair run.
RepairOutcome LBLDBREPAIRFG_Click(DatabaseRun& run);

// How a run that ended so closes its history: "Fin: " and this.
std::string OutcomeText(RepairOutcome outcome);

// What the restore screen chose: the kind's choice, its name in the run's
// records, the backup and the live database it goes over.
struct RestoreChoice {
    int kindIndex = -1;
    std::string name;
    std::string backupPath;
    std::string livePath;
};

// The restore screen's LBLRESTOREFG_Click once the user said Yes: the run
// lock of the live database's folder (another run holding it refuses the
// restore with its text, and nothing is recorded or touched), the run's
// first record, the restore and its record, then the lock let go and the
// last record, before the caller shows the result.
RestoreResult RestoreRequest(DatabaseRun& run, const RestoreChoice& choice);

}  // namespace corvane
