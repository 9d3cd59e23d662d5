#include "ui/database_actions.h"

#include "dbmaint/repair_request.h"

namespace corvane {

void DatabaseActions::RepairRequest(MainWindowPort& window, ProgressPort& progress) {
    DatabaseRun run{context_, engine_, waiter_, window, progress};
    LBLDBREPAIRFG_Click(run);
}

void DatabaseActions::RestoreEntry(MainWindowPort& window) { restore_.Open(window); }

}  // namespace corvane
