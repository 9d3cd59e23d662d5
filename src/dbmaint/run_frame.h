#pragma once
#include <functional>
#include <memory>
#include <string>

#include "app/context.h"
#include "app/run_log.h"
#include "dbmaint/database_run.h"
#include "dbmaint/run_history.h"
#include "dbmaint/run_lock.h"
#include "platform/process.h"

namespace corvane {

// What every run on the databases opens and closes the same way, whichever
// started it (DB REPAIR, RESTAURAR, /reparar): its history in Corvane.log
// with its first and last records, its statuses recorded as they go, the
// databases near the size limit, and the run lock.
//
// The lock covers the rows only: a box left open on a result must not keep
// the other machines' runs out, so the lock is let go before any result box.
class RunFrame {
public:
    // context: the run's own (its boxes, its program end); screen: the busy
    // overlay that shows the statuses, null for a run nobody watches, which
    // gets no box about the size limit either. endedText closes the history
    // when the program ends during the run.
    RunFrame(const AppContext& context, ProgressPort* screen,
             std::string endedText = "el programa se cerro antes de terminar");
    RunFrame(const RunFrame&) = delete;
    RunFrame& operator=(const RunFrame&) = delete;

    // The run's context: ending the program closes the history first.
    AppContext& Context() { return context_; }
    RunHistory& History() { return history_; }
    ProgressPort& Progress() { return progress_; }

    void Start(const std::string& asked);  // "Inicio: DB REPAIR, Corvane v25.0.0"

    // The run lock of the databases in folder for a run of kind, held by the
    // frame. Not held: the refusal's end and text, for the caller to show.
    RunLockTaken TakeLock(const std::string& folder, const char* kind);
    // Done with the databases: before any result box.
    void ReleaseLock() { lock_.reset(); }

    // What must come before the last record when the program ends during
    // the run (the nightly run asks the engine to quit, so its "Fin" is the
    // last word and no server stays behind it).
    void BeforeProgramEnd(std::function<void()> first) { beforeEnd_ = std::move(first); }

    // The lock let go, then "Fin: <how>", once.
    void End(const std::string& how);
    // After the run's own result boxes: one box naming every database past
    // the warning size, in a run somebody watches.
    void TellNearLimit();

private:
    // The program's end during the run: the history gets its "Fin" first.
    class RecordedEnd : public Process {
    public:
        RecordedEnd(RunFrame& frame, Process& real) : frame_(frame), real_(real) {}
        void End(int exitCode) override;

    private:
        RunFrame& frame_;
        Process& real_;
    };

    // Declared in this order: the context names the end, which is made last.
    AppContext context_;
    RunLog log_;
    RunHistory history_;
    RecordedProgress progress_;
    RecordedEnd end_;
    ProgressPort* screen_;
    std::string endedText_;
    std::unique_ptr<HeldFile> lock_;
    std::function<void()> beforeEnd_;
};

// The database run a frame frames: its context, progress and history.
DatabaseRun RunIn(RunFrame& frame, DbEngine& engine, Waiter& waiter, MainWindowPort& window,
                  const char* kind = kRunDbRepair, int waitLimitSeconds = 0);

}  // namespace corvane
