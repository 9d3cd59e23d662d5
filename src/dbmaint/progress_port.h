#pragma once
#include "dbmaint/run_status.h"

namespace corvane {

// The busy overlay of whichever screen is showing (the main window during a
// repair run, the restore screen during a restore): one status line under the
// sand clock, so a long compaction or a wait on a lock file is seen as work,
// not as a hang. The screen's model implements it; tests pass a recording fake.
class ProgressPort {
public:
    virtual ~ProgressPort() = default;

    // What the run is doing; the screen words it (StatusLine).
    virtual void SetStatus(const RunStatus& status) = 0;
    // 0 to 100, of the file copy that is running.
    virtual void SetCopyProgress(int percent) = 0;
};

}  // namespace corvane
