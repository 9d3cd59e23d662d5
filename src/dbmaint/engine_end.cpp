#include "dbmaint/engine_end.h"

#include "app/debug_log.h"
#include "dbmaint/db_compact.h"

namespace corvane {

void EngineEndingProcess::End(int exitCode) {
    QuitEngine();
    real_.End(exitCode);
}

void QuitEngine(DbEngine& engine, AppContext* context) {
    const EngineStatus quit = engine.Quit();
    if (!quit && context != nullptr) {
        AppendDebugLine(*context, "Quit: " + quit.status.where + " " + EngineErrorText(quit.status));
    }
}

void EngineEndingProcess::QuitEngine() { corvane::QuitEngine(engine_, context_); }

}  // namespace corvane
