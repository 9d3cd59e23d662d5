#pragma once
#include <string>

namespace corvane {

// Single-instance rule between two running copies of the program.
class Instance {
public:
    virtual ~Instance() = default;
    virtual bool AnotherIsRunning() = 0;
    // Renames this instance's own application window to "unwanted instance",
    // looks for the earlier instance's window captioned appTitle and, when found,
    // restores and raises its main window. True when it found one.
    virtual bool ActivatePrevious(const std::string& appTitle) = 0;
};

}  // namespace corvane
