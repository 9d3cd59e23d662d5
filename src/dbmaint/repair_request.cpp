#include "dbmaint/repair_request.h"

#include "dbmaint/shared_drive.h"

namespace corvane {

RepairOutcome LBLDBREPAIRFG_Click(DatabaseRun& run) {
    run.window.ShowBusy();
    const RepairOutcome outcome =
        ReachSharedDrive(run.context, WhenDeclined::Stay) ? DBRepair(run) : RepairOutcome::NoConnection;
    run.window.HideBusy();
    return outcome;
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
