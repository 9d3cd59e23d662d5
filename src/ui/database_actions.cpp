#include "ui/database_actions.h"

#include "app/run_log.h"
#include "dbmaint/repair_request.h"
#include "dbmaint/run_history.h"

namespace corvane {

void DatabaseActions::RepairRequest(MainWindowPort& window, ProgressPort& progress) {
    RunLog log(context_);
    RunHistory history(context_, log);
    RecordedProgress recorded(history, &progress);
    // A run that ends the program (duplicates, an incompatible database)
    // still closes its history.
    RecordedEnd end(history, context_.process);
    AppContext context{context_.state, context_.files,    context_.dialogs,       context_.system,     context_.clock,
                       context_.instance, end,            context_.programFolder, context_.programName};
    DatabaseRun run{context, engine_, waiter_, window, recorded, history};
    history.Start("DB REPAIR");
    history.End(OutcomeText(LBLDBREPAIRFG_Click(run)));
    TellNearLimit(context_, history);
}

void DatabaseActions::RestoreEntry(MainWindowPort& window) { restore_.Open(window); }

}  // namespace corvane
