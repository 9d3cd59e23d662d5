#include "ui/database_actions.h"

#include "dbmaint/repair_request.h"
#include "dbmaint/run_frame.h"

namespace corvane {

void DatabaseActions::RepairRequest(MainWindowPort& window, ProgressPort& progress) {
    RunFrame frame(context_, &progress);
    DatabaseRun run = RunIn(frame, engine_, waiter_, window);
    frame.Start(kRunDbRepair);
    frame.End(OutcomeText(LBLDBREPAIRFG_Click(run)));
    frame.TellNearLimit();
}

void DatabaseActions::RestoreEntry(MainWindowUi& window) { restore_.Open(window); }

}  // namespace corvane
