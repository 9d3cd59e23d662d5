#pragma once
#include <string>

#include "app/context.h"
#include "app/program.h"
#include "app/run_log.h"
#include "dbmaint/db_repair.h"
#include "platform/db_engine.h"
#include "platform/dialogs.h"
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

// The exit code of an unattended run that ended so.
int ExitCodeOf(RepairOutcome outcome);

// The last record of an unattended run.
std::string EndRecord(int exitCode);

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

}  // namespace corvane
