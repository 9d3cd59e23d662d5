#pragma once
#include "app/context.h"
#include "dbmaint/main_window_port.h"
#include "dbmaint/progress_port.h"
#include "platform/db_engine.h"
#include "platform/waiter.h"

namespace corvane {

// What a repair run works with beyond the program's context: the engine and
// the one-second wait, and the screen it runs behind.
struct DatabaseRun {
    AppContext& context;
    DbEngine& engine;
    Waiter& waiter;
    MainWindowPort& window;
    ProgressPort& progress;
};

}  // namespace corvane
