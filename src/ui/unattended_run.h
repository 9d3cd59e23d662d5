#pragma once
#include "app/context.h"
#include "app/run_log.h"
#include "platform/db_engine.h"
#include "platform/waiter.h"

namespace corvane {

// A database still locked after half an hour of the night fails its row, and
// the run goes on: a lock file recreated every minute would otherwise keep
// every later night waiting too.
constexpr int kUnattendedWaitLimitSeconds = 30 * 60;

// The repair request of a scheduled task, after the start-up: run as the
// button runs it, behind no window, its status line going to the run log
// whenever it says something new (a wait's seconds are not news). Answers
// the exit code. A close request ends it after the engine call under way.
int RunUnattendedRepair(AppContext& context, DbEngine& engine, Waiter& waiter, RunLog& log);

}  // namespace corvane
