#include "dbmaint/unattended_run.h"

#include "app/build_config.h"
#include "app/startup.h"
#include "dbmaint/engine_end.h"
#include "dbmaint/repair_request.h"
#include "dbmaint/run_history.h"

namespace corvane {

int RunUnattended(AppContext& context, DbEngine& engine, Waiter& waiter, const std::function<void()>& started) {
    RunLog log(context);
    UnattendedDialogs dialogs(log);
    UnattendedProcess process(log, context.process);
    AppContext unattended{context.state, context.files,    dialogs,       context.system,     context.clock,
                          context.instance, process,       context.programFolder, context.programName};
    log.Record("Inicio: /reparar, " + std::string(kAppTitle) + " v" + std::to_string(build::kVersionMajor) + "." +
               std::to_string(build::kVersionMinor) + "." + std::to_string(build::kVersionRevision));
    int exitCode = kExitNothingDone;
    switch (RunStartup(unattended, StartupMode::Unattended)) {
        case StartupOutcome::AnotherCopyRunning: exitCode = kExitAnotherRunning; break;
        case StartupOutcome::EndProgram: exitCode = kExitNothingDone; break;
        case StartupOutcome::ShowMainWindow:
            started();
            exitCode = RunUnattendedRepair(unattended, engine, waiter, log);
            break;
    }
    // Before the last record: no server of the engine stays behind the run.
    QuitEngine(engine, &context);
    log.Record(EndRecord(exitCode));
    return exitCode;
}

int RunUnattendedRepair(AppContext& context, DbEngine& engine, Waiter& waiter, RunLog& log) {
    NoMainWindow window;
    // The start and the end are the caller's records: they frame the
    // start-up too.
    RunHistory history(context, log);
    RecordedProgress progress(history, nullptr);
    DatabaseRun run{context, engine, waiter, window, progress, history, kUnattendedWaitLimitSeconds,
                    kRunUnattended};
    return ExitCodeOf(LBLDBREPAIRFG_Click(run));
}

int ExitCodeOf(RepairOutcome outcome) {
    switch (outcome) {
        case RepairOutcome::AllDone: return kExitDone;
        case RepairOutcome::SomeFailed: return kExitSomeFailed;
        // Nobody watches this run: the program ends only when asked to.
        case RepairOutcome::ProgramEnding: return kExitInterrupted;
        case RepairOutcome::AnotherRunning: return kExitAnotherRunning;
        default: return kExitNothingDone;
    }
}

std::string EndRecord(int exitCode) {
    const char* meaning = "";
    switch (exitCode) {
        case kExitDone: meaning = "todas las bases reparadas o compactadas"; break;
        case kExitSomeFailed: meaning = "alguna base fallo"; break;
        case kExitNothingDone: meaning = "no se hizo nada"; break;
        case kExitAnotherRunning: meaning = "ya hay otra copia en marcha"; break;
        case kExitInterrupted: meaning = "interrumpido"; break;
        case kExitUsage: meaning = "uso incorrecto"; break;
        default: break;
    }
    return "Fin: " + std::string(meaning) + " (codigo de salida " + std::to_string(exitCode) + ")";
}

Answer UnattendedDialogs::Show(const MessageBoxRequest& request) {
    const bool question = request.buttons != Buttons::Ok;
    const Answer answer = question ? Answer::No : Answer::Ok;
    log_.Record((question ? "Pregunta \"" : "Mensaje \"") + request.title + "\": " + request.text +
                (question ? "\r-> No" : ""));
    return answer;
}

void UnattendedProcess::End(int) {
    log_.Record(EndRecord(kExitNothingDone));
    real_.End(kExitNothingDone);
}

}  // namespace corvane
