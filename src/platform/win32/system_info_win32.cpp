#include "platform/win32/system_info_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide.h"

namespace corvane::win32 {

std::string Win32SystemInfo::ComputerName() {
    // The narrow call with a 255-character buffer, as the suite's programs ask:
    // the name they match against is the one it gives.
    char buffer[256] = {};
    DWORD size = 255;
    if (!::GetComputerNameA(buffer, &size)) return "";
    return FromAnsi(std::string(buffer, size));
}

OsVersion Win32SystemInfo::QueryOsVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;  // 148, the narrow record
    OsVersion version;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // the answer the platform rules were written for
#endif
    version.ok = ::GetVersionExA(&info) == 1;
    if (version.ok) {
        version.platformId = info.dwPlatformId;
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
    }
    return version;
}

std::string Win32SystemInfo::ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return "";
        if (length < buffer.size()) return Narrow(std::wstring(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace corvane::win32
