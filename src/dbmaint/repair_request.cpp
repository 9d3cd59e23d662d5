#include "dbmaint/repair_request.h"

#include "dbmaint/db_repair.h"
#include "dbmaint/shared_drive.h"

namespace corvane {

void LBLDBREPAIRFG_Click(DatabaseRun& run) {
    run.window.ShowBusy();
    if (ReachSharedDrive(run.context, WhenDeclined::Stay)) DBRepair(run);
    run.window.HideBusy();
}

}  // namespace corvane
