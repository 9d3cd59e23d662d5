#pragma once
#include "dbmaint/database_run.h"
#include "dbmaint/db_repair.h"

namespace corvane {

// LBLDBREPAIRFG_Click, from the "DB REPAIR" button or Shift+D: the busy
// overlay, the shared drive found (asking to try again while it is not), a
// local run offered on a developer machine, then the repair run.
RepairOutcome LBLDBREPAIRFG_Click(DatabaseRun& run);

// How a run that ended so closes its history: "Fin: " and this.
std::string OutcomeText(RepairOutcome outcome);

}  // namespace corvane
