#include "ui/pending_actions.h"

#include "app/debug_log.h"

namespace corvane {

void PendingActions::RepairRequest() { AppendDebugLine(context_, "LBLDBREPAIRFG_Click"); }
void PendingActions::RestoreEntry() { AppendDebugLine(context_, "LBLRESTOREFG_Click"); }

}  // namespace corvane
