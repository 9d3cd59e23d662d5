#include "dbmaint/unattended_run.h"

#include "app/startup.h"
#include "dbmaint/engine_end.h"
#include "dbmaint/repair_request.h"

namespace corvane {

int RunUnattended(AppContext& context, DbEngine& engine, Waiter& waiter, const std::function<void()>& started) {
    RunLog log(context);
    UnattendedDialogs dialogs(log);
    UnattendedProcess process(context.process);
    // The start and the end frame the start-up too.
    RunFrame frame(context.With(dialogs).With(process), nullptr, ExitText(kExitNothingDone));
    frame.Start(kRunUnattended);
    int exitCode = kExitNothingDone;
    switch (RunStartup(frame.Context(), StartupMode::Unattended)) {
        case StartupOutcome::AnotherCopyRunning: exitCode = kExitAnotherRunning; break;
        case StartupOutcome::EndProgram: exitCode = kExitNothingDone; break;
        case StartupOutcome::ShowMainWindow:
            started();
            exitCode = RunUnattendedRepair(frame, engine, waiter);
            break;
    }
    // Before the last record: no server of the engine stays behind the run.
    QuitEngine(engine, &context);
    frame.End(ExitText(exitCode));
    return exitCode;
}

int RunUnattendedRepair(RunFrame& frame, DbEngine& engine, Waiter& waiter) {
    NoMainWindow window;
    DatabaseRun run = RunIn(frame, engine, waiter, window, kRunUnattended, kUnattendedWaitLimitSeconds);
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

std::string EndRecord(int exitCode) { return "Fin: " + ExitText(exitCode); }

std::string ExitText(int exitCode) {
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
    return std::string(meaning) + " (codigo de salida " + std::to_string(exitCode) + ")";
}

Answer UnattendedDialogs::Show(const MessageBoxRequest& request) {
    const bool question = request.buttons != Buttons::Ok;
    const Answer answer = question ? Answer::No : Answer::Ok;
    log_.Record((question ? "Pregunta \"" : "Mensaje \"") + request.title + "\": " + request.text +
                (question ? "\r-> No" : ""));
    return answer;
}

}  // namespace corvane
