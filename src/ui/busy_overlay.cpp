#include "ui/busy_overlay.h"

namespace corvane {

void BusyOverlay::Show() {
    shown = true;
    hourglass = true;
}

void BusyOverlay::Hide() {
    shown = false;
    hourglass = false;
    status = {};
    copyPercent = -1;
}

bool BusyOverlay::SetStatus(const RunStatus& next) {
    // Compared as words: a step whose line reads the same (nothing to show,
    // before and after) is no change on screen.
    const bool changed = StatusLine(next) != StatusLine(status);
    status = next;
    return changed;
}

bool BusyOverlay::SetCopyProgress(int percent) {
    if (percent == copyPercent) return false;
    copyPercent = percent;
    return true;
}

std::string BusyOverlay::Text() const {
    const std::string line = StatusLine(status);
    if (copyPercent < 0) return line;
    const std::string percent = std::to_string(copyPercent) + " %";
    return line.empty() ? percent : line + "  " + percent;
}

}  // namespace corvane
