#include "ui/database_actions.h"

#include "app/debug_log.h"
#include "dbmaint/repair_request.h"

namespace corvane {

void DatabaseActions::RepairRequest(MainWindowPort& window) { LBLDBREPAIRFG_Click(context_, window); }

void DatabaseActions::RestoreEntry(MainWindowPort&) { AppendDebugLine(context_, "LBLRESTOREFG_Click"); }

}  // namespace corvane
