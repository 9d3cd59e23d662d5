#pragma once
#include "platform/system_info.h"

namespace corvane::win32 {

class Win32SystemInfo : public SystemInfo {
public:
    std::string ComputerName() override;
    OsVersion QueryOsVersion() override;
    std::string ModulePath() override;
};

}  // namespace corvane::win32
