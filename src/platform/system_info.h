#pragma once
#include <string>

namespace corvane {

// The answer of the OS version query, as the narrow-character record gives it.
struct OsVersion {
    bool ok = false;
    unsigned long platformId = 0;
    unsigned long major = 0;
    unsigned long minor = 0;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // "" when the OS cannot tell.
    virtual std::string ComputerName() = 0;
    virtual OsVersion QueryOsVersion() = 0;
    // Full path of the running executable as the OS reports it.
    virtual std::string ModulePath() = 0;
};

}  // namespace corvane
