#include "dbmaint/engine_end.h"

#include "app/debug_log.h"
#include "dbmaint/db_compact.h"

namespace corvane {

void EngineEndingProcess::End(int exitCode) {
    QuitEngine();
    real_.End(exitCode);
}

void EngineEndingProcess::QuitEngine() {
    const EngineStatus quit = engine_.Quit();
    if (!quit && context_ != nullptr) {
        AppendDebugLine(*context_, "Quit: " + quit.status.where + " " + EngineErrorText(quit.status));
    }
}

}  // namespace corvane
