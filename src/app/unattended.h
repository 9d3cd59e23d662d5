#pragma once
#include <string>

#include "app/run_log.h"
#include "platform/dialogs.h"
#include "platform/process.h"

namespace corvane {

// The message boxes of a run nobody watches: each box is one record of the
// run log, and each question takes its safe answer (No: do not try again,
// no local run, not another machine's name).
class UnattendedDialogs : public Dialogs {
public:
    explicit UnattendedDialogs(RunLog& log) : log_(log) {}
    Answer Show(const MessageBoxRequest& request) override;

private:
    RunLog& log_;
};

// The program's end in a run nobody watches: whatever ends it before the run
// is through (duplicates, a declined local run, an incompatible database)
// did nothing to the databases, so it ends with "nothing was done".
class UnattendedProcess : public Process {
public:
    UnattendedProcess(RunLog& log, Process& real) : log_(log), real_(real) {}
    void End(int exitCode) override;

private:
    RunLog& log_;
    Process& real_;
};

// The last record of an unattended run.
std::string EndRecord(int exitCode);

}  // namespace corvane
