#pragma once
#include "app/context.h"
#include "app/run_log.h"
#include "platform/db_engine.h"
#include "platform/waiter.h"

namespace corvane {

// The repair request of a scheduled task, after the start-up: run as the
// button runs it, behind no window, its status line going to the run log
// whenever it says something new (a wait's seconds are not news). Answers
// the exit code.
int RunUnattendedRepair(AppContext& context, DbEngine& engine, Waiter& waiter, RunLog& log);

}  // namespace corvane
