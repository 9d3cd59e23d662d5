#pragma once
#include <string>

namespace corvane {

// What a platform call answers: no exceptions cross the platform layer, so a
// failure carries the OS error number, the system's text for it (trailing line
// end trimmed) and the call that failed, all read at once.
struct Status {
    bool ok = true;
    unsigned long code = 0;
    std::string where;
    std::string text;

    static Status Ok() { return {}; }
    static Status Fail(unsigned long code, std::string where, std::string text = {}) {
        return {false, code, std::move(where), std::move(text)};
    }
    explicit operator bool() const { return ok; }

    // "Error: 32 | The process cannot access the file..." as the shared logs
    // record a failure.
    std::string Describe() const { return "Error: " + std::to_string(code) + " | " + text; }
};

}  // namespace corvane
