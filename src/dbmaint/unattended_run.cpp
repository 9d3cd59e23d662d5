#include "dbmaint/unattended_run.h"

#include <exception>
#include <optional>

#include "app/startup.h"
#include "dbmaint/engine_end.h"
#include "dbmaint/repair_request.h"
#include "dbmaint/run_frame.h"
#include "platform/process.h"

namespace corvane {
namespace {

// The program's end in a run nobody watches: whatever ends it before the run
// is through (duplicates, a declined local run, an incompatible database)
// did nothing to the databases, so it ends with "nothing was done" (the
// run's frame records it first).
class UnattendedProcess : public Process {
public:
    explicit UnattendedProcess(Process& real) : real_(real) {}
    void End(int) override { real_.End(kExitNothingDone); }

private:
    Process& real_;
};

// How an unattended run that ended so closes its history: "Fin: " and this.
std::string ExitText(int exitCode) {
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
    return std::string(meaning) + " (codigo de salida " + std::to_string(exitCode) + ")";
}

// How one that met an unforeseen fault closes its history, with its words.
std::string InternalErrorText(const std::string& what) { return "error interno (" + what + ")"; }

// The repair request after the start-up, in the frame that holds the whole
// run: run as the button runs it, behind no window, its status line going
// to the run log whenever it says something new (a wait's seconds are not
// news). A close request ends it after the engine call under way.
int RunUnattendedRepair(RunFrame& frame, DbEngine& engine, Waiter& waiter) {
    NoMainWindow window;
    DatabaseRun run = RunIn(frame, engine, waiter, window, kRunUnattended, kUnattendedWaitLimitSeconds);
    return ExitCodeOf(LBLDBREPAIRFG_Click(run));
}

}  // namespace

int RunUnattended(AppContext& context, DbEngine& engine, Waiter& waiter) {
    RunLog log(context);
    UnattendedDialogs dialogs(log);
    UnattendedProcess process(context.process);
    // The start and the end frame the start-up too.
    RunFrame frame(context.With(dialogs).With(process), nullptr, ExitText(kExitNothingDone));
    // An end on the way (duplicates, a declined local run) asks the engine to
    // quit before the last record too, so the record is the last word and no
    // server stays behind it.
    frame.BeforeProgramEnd([&engine, &context] { QuitEngine(engine, &context); });
    frame.Start(kRunUnattended);
    int exitCode = kExitNothingDone;
    std::optional<std::string> fault;
    // Nobody is there to see a crash: whatever escapes still leaves its
    // words and an end in the log, and no engine behind.
    try {
        if (RunStartup(frame.Context(), StartupMode::Unattended) == StartupOutcome::ShowMainWindow) {
            exitCode = RunUnattendedRepair(frame, engine, waiter);
        }
    } catch (const std::exception& error) {
        fault = error.what();
    } catch (...) {
        fault = "?";
    }
    // Before the last record: no server of the engine stays behind the run.
    QuitEngine(engine, &context);
    if (fault) {
        frame.End(InternalErrorText(*fault));
        return kExitSomeFailed;
    }
    frame.End(ExitText(exitCode));
    return exitCode;
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

std::string EndRecord(int exitCode) { return "Fin: " + ExitText(exitCode); }

Answer UnattendedDialogs::Show(const MessageBoxRequest& request) {
    const bool question = request.buttons != Buttons::Ok;
    const Answer answer = question ? Answer::No : Answer::Ok;
    log_.Record((question ? "Pregunta \"" : "Mensaje \"") + request.title + "\": " + request.text +
                (question ? "\r-> No" : ""));
    return answer;
}

}  // namespace corvane
