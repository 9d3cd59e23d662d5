#pragma once
#include "app/context.h"
#include "dbmaint/main_window_port.h"
#include "dbmaint/progress_port.h"
#include "dbmaint/run_lock.h"
#include "dbmaint/safe_swap.h"
#include "platform/db_engine.h"
#include "platform/waiter.h"

namespace corvane {

class RunHistory;

// What a repair run works with beyond the program's context: the engine and
// the one-second wait, the screen it runs behind, the history it leaves,
// and how its run lock names it to other runs.
struct DatabaseRun {
    AppContext& context;
    DbEngine& engine;
    Waiter& waiter;
    MainWindowPort& window;
    ProgressPort& progress;
    RunHistory& history;
    // The run nobody watches gives up on a database still locked after this
    // many seconds; 0: the interactive run's wait, as long as it takes.
    int waitLimitSeconds = 0;
    const char* kind = kRunDbRepair;
    // The generations this run kept, shared by its repairs and compactions.
    SwapRun swaps;
};

}  // namespace corvane
