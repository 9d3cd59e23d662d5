#pragma once
#include "app/context.h"
#include "dbmaint/main_window_port.h"
#include "dbmaint/progress_port.h"
#include "dbmaint/safe_swap.h"
#include "platform/db_engine.h"
#include "platform/waiter.h"

namespace corvane {

class RunFrame;
class RunHistory;

// What a run on the databases works with beyond the program's context: the
// engine and the one-second wait, the screen it runs behind, the history it
// leaves, the frame that holds its run lock, and how that lock names it to
// other runs. A frame makes one (RunIn).
struct DatabaseRun {
    AppContext& context;
    DbEngine& engine;
    Waiter& waiter;
    MainWindowPort& window;
    ProgressPort& progress;
    RunHistory& history;
    RunFrame& frame;
    // The run nobody watches gives up on a database still locked after this
    // many seconds; 0: the interactive run's wait, as long as it takes.
    int waitLimitSeconds;
    const char* kind;
    // The generations this run kept, shared by its repairs and compactions.
    SwapRun swaps;
};

}  // namespace corvane
