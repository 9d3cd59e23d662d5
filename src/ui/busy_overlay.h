#pragma once
#include <string>

#include "dbmaint/run_status.h"

namespace corvane {

// FrameCLOCK, the busy overlay either screen puts over itself while it works:
// the sand clock, the hourglass pointer, and under the clock what the run is
// doing. Both screen models hold one and both views draw from it, so the two
// screens cannot word or show the same work differently.
struct BusyOverlay {
    bool shown = false;
    bool hourglass = false;
    RunStatus status;
    int copyPercent = -1;  // -1: no copy under way

    // Shown with the hourglass.
    void Show();
    // Hidden, and the line emptied: the next run starts without the last
    // one's words.
    void Hide();
    // Each answers whether the line under the clock changed, the only thing
    // worth an immediate repaint.
    bool SetStatus(const RunStatus& next);
    bool SetCopyProgress(int percent);

    // The line under the sand clock: the status, and a copy's percentage.
    std::string Text() const;
};

}  // namespace corvane
