#include "platform/win32/system_error.h"

#include <windows.h>

#include "base/text.h"
#include "platform/win32/wide.h"

namespace corvane::win32 {

std::string SystemErrorText(unsigned long code) {
    // Long enough for any system message; a fixed buffer needs no LocalFree owner.
    wchar_t buffer[1024];
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                          buffer, static_cast<DWORD>(sizeof buffer / sizeof buffer[0]), nullptr);
    const std::string text = TrimLines(Narrow(std::wstring(buffer, length)));
    if (text.empty()) return "System error " + std::to_string(code) + ".";
    return text;
}

Status SystemFailure(unsigned long code, const char* where) {
    return Status::Fail(code, where, SystemErrorText(code));
}

Status LastErrorFailure(const char* where) {
    const DWORD code = ::GetLastError();
    return SystemFailure(code, where);
}

}  // namespace corvane::win32
