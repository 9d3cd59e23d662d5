#pragma once
#include "dbmaint/main_window_port.h"
#include "dbmaint/progress_port.h"

namespace corvane {

// The two entries the main window starts; the window hands itself over as
// the ports the work reaches it through.
class MainActions {
public:
    virtual ~MainActions() = default;
    virtual void RepairRequest(MainWindowPort& window, ProgressPort& progress) = 0;  // LBLDBREPAIRFG_Click
    virtual void RestoreEntry(MainWindowPort& window) = 0;                           // LBLRESTOREFG_Click
};

}  // namespace corvane
