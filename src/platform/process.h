#pragma once

namespace corvane {

// Ends the program at once: no window gets to react to closing. The real one
// never returns; a test's stand-in does, so callers return right after.
class Process {
public:
    virtual ~Process() = default;
    virtual void End(int exitCode) = 0;
};

}  // namespace corvane
