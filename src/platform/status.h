#pragma once
#include <string>

namespace corvane {

// What a platform call answers: no exceptions cross the platform layer, so a
// failure carries the OS error code and the call that failed, read at once.
struct Status {
    bool ok = true;
    unsigned long code = 0;
    std::string where;

    static Status Ok() { return {}; }
    static Status Fail(unsigned long code, std::string where) { return {false, code, std::move(where)}; }
    explicit operator bool() const { return ok; }
};

}  // namespace corvane
