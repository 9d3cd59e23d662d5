#pragma once
#include <string>

#include "app/context.h"
#include "app/run_log.h"
#include "dbmaint/db_repair.h"
#include "platform/db_engine.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "platform/waiter.h"

namespace corvane {

// Exit codes of an unattended run, for the Task Scheduler and the README.
enum ExitCode : int {
    kExitDone = 0,            // every database found was repaired or compacted
    kExitSomeFailed = 1,      // at least one row failed
    kExitNothingDone = 2,     // no connection, duplicates, no engine, refused location, nothing found
    kExitAnotherRunning = 3,  // another run holds the databases' run lock
    kExitInterrupted = 4,     // a close request (a task ended, a shutdown) stopped the run
    kExitUsage = 64,          // a usage error
};

// A database still locked after half an hour of the night fails its row, and
// the run goes on: a lock file recreated every minute would otherwise keep
// every later night waiting too.
constexpr int kUnattendedWaitLimitSeconds = 30 * 60;

// Corvane.exe /reparar: the start-up and the repair request with nobody
// there, every box a record of Corvane.log, every question answered No,
// framed by a start and an end record. Answers the exit code; what nobody
// foresaw (an exception) ends it with 1 and its own end record.
int RunUnattended(AppContext& context, DbEngine& engine, Waiter& waiter);

// The repair request after the start-up: run as the button runs it, behind
// no window, its status line going to the run log whenever it says
// something new (a wait's seconds are not news). A close request ends it
// after the engine call under way.
int RunUnattendedRepair(AppContext& context, DbEngine& engine, Waiter& waiter, RunLog& log);

// The exit code of an unattended run that ended so.
int ExitCodeOf(RepairOutcome outcome);

// The last record of an unattended run.
std::string EndRecord(int exitCode);
// The last record of one that met an unforeseen fault, with its words.
std::string InternalErrorRecord(const std::string& what);

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
// did nothing to the databases, so it ends with "nothing was done". The
// engine is asked to quit before the end record, as at every other end, so
// the record is the last word and no server stays behind it.
class UnattendedProcess : public Process {
public:
    UnattendedProcess(RunLog& log, Process& real, DbEngine& engine, AppContext& context)
        : log_(log), real_(real), engine_(engine), context_(context) {}
    void End(int exitCode) override;

private:
    RunLog& log_;
    Process& real_;
    DbEngine& engine_;
    AppContext& context_;
};

}  // namespace corvane
