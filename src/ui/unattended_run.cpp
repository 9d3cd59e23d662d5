#include "ui/unattended_run.h"

#include "dbmaint/repair_request.h"
#include "dbmaint/run_history.h"

namespace corvane {

int RunUnattendedRepair(AppContext& context, DbEngine& engine, Waiter& waiter, RunLog& log) {
    NoMainWindow window;
    // The start and the end are the caller's records: they frame the
    // start-up too.
    RunHistory history(context, log);
    RecordedProgress progress(history, nullptr);
    DatabaseRun run{context, engine, waiter, window, progress, history, kUnattendedWaitLimitSeconds,
                    kRunUnattended};
    return ExitCodeOf(LBLDBREPAIRFG_Click(run));
}

}  // namespace corvane
