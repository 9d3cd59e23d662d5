#include "dbmaint/repair_request.h"

#include "base/text.h"
#include "dbmaint/run_frame.h"
#include "dbmaint/shared_drive.h"

namespace corvane {

RepairOutcome LBLDBREPAIRFG_Click(DatabaseRun& run) {
    run.window.ShowBusy();
    const RepairOutcome outcome =
        ReachSharedDrive(run.context, WhenDeclined::Stay) ? DBRepair(run) : RepairOutcome::NoConnection;
    run.window.HideBusy();
    return outcome;
}

RestoreResult RestoreRequest(DatabaseRun& run, const RestoreChoice& choice) {
    // The databases' folder is the live database's; another run working in
    // it (from any machine) keeps this one from touching anything.
    const RunLockTaken taken = run.frame.TakeLock(FolderOf(choice.livePath), run.kind);
    if (taken.end != RunLockEnd::Held) return {RestoreEnd::Refused, taken.message};
    run.frame.Start(std::string(run.kind) + " " + choice.name);
    const RestoreResult result = RestoreBackup(run, choice.kindIndex, choice.backupPath, choice.livePath);
    run.history.Restored(choice.name, choice.backupPath, choice.livePath, result);
    run.frame.End(result.end == RestoreEnd::Restored ? "base restaurada" : "no se restauro nada");
    return result;
}

std::string OutcomeText(RepairOutcome outcome) {
    switch (outcome) {
        case RepairOutcome::NoConnection: return "no se llego a la carpeta de las bases, no se hizo nada";
        case RepairOutcome::FolderUnreadable: return "no se pudo leer la carpeta de las bases, no se hizo nada";
        case RepairOutcome::Duplicates: return "bases repetidas, no se hizo nada";
        case RepairOutcome::EngineMissing: return "falta el motor de bases de datos, no se hizo nada";
        case RepairOutcome::NothingFound: return "no hay bases de datos que reparar o compactar";
        case RepairOutcome::AllDone: return "todas las bases reparadas o compactadas";
        case RepairOutcome::SomeFailed: return "alguna base fallo";
        case RepairOutcome::ProgramEnding: return "interrumpido";
        case RepairOutcome::AnotherRunning: return "otra ejecucion trabaja en las bases, no se hizo nada";
        case RepairOutcome::RunLockFailed: return "no se pudo tomar el bloqueo de las bases, no se hizo nada";
    }
    return {};
}

}  // namespace corvane
