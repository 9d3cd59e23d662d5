#include "platform/win32/console_win32.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

bool WriteAll(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    return ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE &&
           written == bytes.size();
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

bool WriteToStarter(const std::string& text) {
    const HANDLE given = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (given != nullptr && given != INVALID_HANDLE_VALUE && ::GetFileType(given) != FILE_TYPE_UNKNOWN) {
        // A console handle inherited as such takes wide text; a file or pipe, bytes.
        DWORD mode = 0;
        if (::GetConsoleMode(given, &mode)) {
            const std::wstring wide = Widen(WithCrLf(text));
            DWORD written = 0;
            return ::WriteConsoleW(given, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != FALSE;
        }
        return WriteAll(given, WithCrLf(text));
    }
    const AttachedConsole attached;
    if (!attached) return false;
    // Closed before the console is let go.
    const UniqueFile console(::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    if (!console) return false;
    const std::wstring wide = Widen(WithCrLf("\n" + text));
    DWORD count = 0;
    return ::WriteConsoleW(console.Get(), wide.data(), static_cast<DWORD>(wide.size()), &count, nullptr) != FALSE;
}

}  // namespace corvane::win32
