#pragma once
#include "app/context.h"
#include "dbmaint/main_window_port.h"
#include "dbmaint/progress_port.h"
#include "dbmaint/run_lock.h"
#include "platform/db_engine.h"
#include "platform/waiter.h"

namespace corvane {

// What a repair run works with beyond the program's context: the engine and
// the one-second wait, the screen it runs behind, and how its run lock
// names it to other runs.
struct DatabaseRun {
    AppContext& context;
    DbEngine& engine;
    Waiter& waiter;
    MainWindowPort& window;
    ProgressPort& progress;
    const char* kind = kRunDbRepair;
};

}  // namespace corvane
