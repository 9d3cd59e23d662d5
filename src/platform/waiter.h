#pragma once

namespace corvane {

// One second of elapsed time while the windows stay alive: pending input and
// repaints are handled during it, so a wait of a minute never looks like a hang.
//
// The second is measured on a monotonic clock, never on the time of day, so a
// wait that spans midnight (or a clock set back by the time service) still
// lasts one second.
class Waiter {
public:
    virtual ~Waiter() = default;

    // false: the program is ending (a close request or WM_QUIT came during the
    // wait); the caller stops at once and touches nothing more.
    [[nodiscard]] virtual bool WaitOneSecond() = 0;

    // Between two steps of a run, without waiting: false when a close request
    // is already waiting, so the run stops before its next step. Only the
    // run nobody watches looks; the others end at once in their waits.
    [[nodiscard]] virtual bool StillRunning() { return true; }
};

}  // namespace corvane
