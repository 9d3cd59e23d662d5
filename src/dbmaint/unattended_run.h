#pragma once
#include <string>

#include "app/context.h"
#include "app/program.h"
#include "app/run_log.h"
#include "dbmaint/db_repair.h"
#include "dbmaint/run_frame.h"
#include "platform/db_engine.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "platform/waiter.h"

namespace corvane {


// A database still locked after half an hour of the night fails its row, and
// the run goes on: a lock file recreated every minute would otherwise keep
// every later night waiting too.
constexpr int kUnattendedWaitLimitSeconds = 30 * 60;

// Corvane.exe /reparar: the start-up and the repair request with nobody
// there, every box a record of Corvane.log, every question answered No,
// framed by a start and an end record. Answers the exit code; what nobody
// foresaw (an exception) ends it with 1 and its own end record.
int RunUnattended(AppContext& context, DbEngine& engine, Waiter& waiter);

// The repair request after the start-up, in the frame that holds the whole
// run: run as the button runs it, behind no window, its status line going
// to the run log whenever it says something new (a wait's seconds are not
// news). A close request ends it after the engine call under way.
int RunUnattendedRepair(RunFrame& frame, DbEngine& engine, Waiter& waiter);

// The exit code of an unattended run that ended so.
int ExitCodeOf(RepairOutcome outcome);

// How an unattended run that ended so closes its history: "Fin: " and this.
std::string ExitText(int exitCode);

// The last record of an unattended run.
std::string EndRecord(int exitCode);
// How one that met an unforeseen fault closes its history, with its words.
std::string InternalErrorText(const std::string& what);

// The message boxes of a run nobody watches: each box is one record of the
// run log, and each question takes its safe answer (No: do not try again,
// no local run, not another machine's name).
class UnattendedDialogs : public Dialogs {
public:
    explicit UnattendedDialogs(RunLog& log) : log_(log) {}
    Answer Show(const MessageBoxRequest& request) override;

private:
    RunLog& log_;
};

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

}  // namespace corvane
