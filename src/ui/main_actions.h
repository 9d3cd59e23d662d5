#pragma once
#include "dbmaint/main_window_port.h"
#include "dbmaint/progress_port.h"

namespace corvane {

// The main window as its own screens see it: what the database work reaches,
// and the place it gives up to the restore screen while that is open.
class MainWindowUi : public MainWindowPort {
public:
    virtual void HideForRestore() = 0;
    virtual void ShowAfterRestore() = 0;
};

// The two entries the main window starts; the window hands itself over as
// the ports the work reaches it through.
class MainActions {
public:
    virtual ~MainActions() = default;
    virtual void RepairRequest(MainWindowPort& window, ProgressPort& progress) = 0;  // LBLDBREPAIRFG_Click
    virtual void RestoreEntry(MainWindowUi& window) = 0;                             // LBLRESTOREFG_Click
};

}  // namespace corvane
