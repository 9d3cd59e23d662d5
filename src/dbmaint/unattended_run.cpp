#include "dbmaint/unattended_run.h"

#include <exception>
#include <optional>

#include "app/build_config.h"
#include "app/startup.h"
#include "dbmaint/engine_end.h"
#include "dbmaint/repair_request.h"
#include "dbmaint/run_history.h"

namespace corvane {

int RunUnattended(AppContext& context, DbEngine& engine, Waiter& waiter) {
    RunLog log(context);
    UnattendedDialogs dialogs(log);
    UnattendedProcess process(log, context.process, engine, context);
    AppContext unattended{context.state, context.files,    dialogs,       context.system,     context.clock,
                          context.instance, process,       context.programFolder, context.programName};
    log.Record("Inicio: /reparar, " + std::string(kAppTitle) + " v" + std::to_string(build::kVersionMajor) + "." +
               std::to_string(build::kVersionMinor) + "." + std::to_string(build::kVersionRevision));
    int exitCode = kExitNothingDone;
    std::optional<std::string> fault;
    // Nobody is there to see a crash: whatever escapes still leaves its
    // words and an end in the log, and no engine behind.
    try {
        if (RunStartup(unattended, StartupMode::Unattended) == StartupOutcome::ShowMainWindow) {
            exitCode = RunUnattendedRepair(unattended, engine, waiter, log);
        }
    } catch (const std::exception& error) {
        fault = error.what();
    } catch (...) {
        fault = "?";
    }
    // Before the last record: no server of the engine stays behind the run.
    QuitEngine(engine, &context);
    if (fault) {
        log.Record(InternalErrorRecord(*fault));
        return kExitSomeFailed;
    }
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
        // Nothing was touched, as when the folder cannot be read.
        case RepairOutcome::RunLockFailed: return kExitNothingDone;
        default: return kExitNothingDone;
    }
}

std::string EndRecord(int exitCode) {
    const char* meaning = "";
    switch (exitCode) {
        case kExitDone: meaning = "todas las bases reparadas o compactadas"; break;
        case kExitSomeFailed: meaning = "alguna base fallo"; break;
        case kExitNothingDone: meaning = "no se hizo nada"; break;
        case kExitAnotherRunning: meaning = "otra ejecucion trabaja en las bases"; break;
        case kExitInterrupted: meaning = "interrumpido"; break;
        case kExitUsage: meaning = "uso incorrecto"; break;
        default: break;
    }
    return "Fin: " + std::string(meaning) + " (codigo de salida " + std::to_string(exitCode) + ")";
}

std::string InternalErrorRecord(const std::string& what) {
    return "Fin: error interno (" + what + ")";
}

Answer UnattendedDialogs::Show(const MessageBoxRequest& request) {
    const bool question = request.buttons != Buttons::Ok;
    const Answer answer = question ? Answer::No : Answer::Ok;
    log_.Record((question ? "Pregunta \"" : "Mensaje \"") + request.title + "\": " + request.text +
                (question ? "\r-> No" : ""));
    return answer;
}

void UnattendedProcess::End(int) {
    QuitEngine(engine_, &context_);
    log_.Record(EndRecord(kExitNothingDone));
    real_.End(kExitNothingDone);
}

}  // namespace corvane
