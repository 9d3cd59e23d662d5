#include "dbmaint/repair_request.h"

#include "app/command_line.h"
#include "dbmaint/shared_drive.h"

namespace corvane {

RepairOutcome LBLDBREPAIRFG_Click(DatabaseRun& run) {
    run.window.ShowBusy();
    const RepairOutcome outcome =
        ReachSharedDrive(run.context, WhenDeclined::Stay) ? DBRepair(run) : RepairOutcome::NoConnection;
    run.window.HideBusy();
    return outcome;
}

int ExitCodeOf(RepairOutcome outcome) {
    switch (outcome) {
        case RepairOutcome::AllDone: return kExitDone;
        case RepairOutcome::SomeFailed: return kExitSomeFailed;
        case RepairOutcome::AnotherRunning: return kExitAnotherRunning;
        default: return kExitNothingDone;
    }
}

}  // namespace corvane
