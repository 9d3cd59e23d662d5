#pragma once
#include "dbmaint/database_run.h"

namespace corvane {

// LBLDBREPAIRFG_Click, from the "DB REPAIR" button or Shift+D: the busy
// overlay, the shared drive found (asking to try again while it is not), a
// local run offered on a developer machine, then the repair run.
void LBLDBREPAIRFG_Click(DatabaseRun& run);

}  // namespace corvane
