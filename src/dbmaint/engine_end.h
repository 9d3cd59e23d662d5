#pragma once
#include "app/context.h"
#include "platform/db_engine.h"
#include "platform/process.h"

namespace corvane {

// Asks the database application to quit, saving nothing; a refusal goes to
// the debug log of context, when there is one.
void QuitEngine(DbEngine& engine, AppContext* context);

// The program's end by any orderly way (a close request, a box that ends
// it, the end of the main loop or of the unattended run) asks the database
// application to quit first: on a venue's machine it is a process of its
// own, which would otherwise stay behind, running, with nobody to end it.
class EngineEndingProcess : public Process {
public:
    EngineEndingProcess(DbEngine& engine, Process& real) : engine_(engine), real_(real) {}

    // Where a quit that fails is recorded: the debug log of the context this
    // process is itself a part of.
    void RecordTo(AppContext& context) { context_ = &context; }
    void End(int exitCode) override;
    // For the ends that return rather than call End.
    void QuitEngine();

private:
    DbEngine& engine_;
    Process& real_;
    AppContext* context_ = nullptr;
};

}  // namespace corvane
