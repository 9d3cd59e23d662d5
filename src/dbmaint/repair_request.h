#pragma once
#include "app/context.h"
#include "dbmaint/main_window_port.h"

namespace corvane {

// LBLDBREPAIRFG_Click, from the "DB REPAIR" button or Shift+D: the busy
// overlay, the shared drive found (asking to try again while it is not), a
// local run offered on a developer machine, then the repair run.
void LBLDBREPAIRFG_Click(AppContext& context, MainWindowPort& window);

}  // namespace corvane
