#pragma once
#include "app/context.h"
#include "dbmaint/main_window_port.h"
#include "dbmaint/progress_port.h"
#include "platform/db_engine.h"
#include "platform/waiter.h"

namespace corvane {

class RunHistory;

// What a repair run works with beyond the program's context: the engine and
// the one-second wait, the screen it runs behind and the history it leaves.
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
};

}  // namespace corvane
