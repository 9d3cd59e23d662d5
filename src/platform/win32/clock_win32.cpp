#include "platform/win32/clock_win32.h"

#include <windows.h>

#include <memory>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

// The record NetRemoteTOD fills (TIME_OF_DAY_INFO); declared here so that the
// program does not need netapi32 to start on a system without it.
struct TimeOfDayInfo {
    DWORD elapsedt, msecs, hours, mins, secs, hunds;
    LONG timezone;
    DWORD tinterval, day, month, year, weekday;
};

using NetRemoteTodFn = DWORD(WINAPI*)(LPCWSTR, LPBYTE*);
using NetApiBufferFreeFn = DWORD(WINAPI*)(LPVOID);
// NetRemoteTOD's buffer, freed by the NetApiBufferFree of the same library:
// known only at run time, so not one of the owners with a fixed close.
using NetApiBuffer = std::unique_ptr<BYTE, NetApiBufferFreeFn>;

constexpr LONG kTimezoneUndefined = -1;
constexpr DWORD kNerrSuccess = 0;

}  // namespace

bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring SystemLibraryPath(const wchar_t* fileName) {
    std::wstring folder(MAX_PATH, L'\0');
    UINT length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length >= folder.size()) {
        // Too small: the answer is the size needed, terminator included.
        folder.resize(length);
        length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
        if (length >= folder.size()) return {};
    }
    if (length == 0) return {};
    folder.resize(length);
    if (folder.back() != L'\\') folder += L'\\';
    return folder + fileName;
}

UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
    const std::wstring path = SystemLibraryPath(fileName);
    if (path.empty()) return UniqueModule();
    return UniqueModule(::LoadLibraryW(path.c_str()));
}

DateTime Win32Clock::Now() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::optional<TimeOfDayRecord> Win32Clock::RemoteTimeOfDay(const std::string& server) {
    if (RunningUnderWine()) return std::nullopt;

    const UniqueModule netapi = LoadSystemLibrary(L"netapi32.dll");
    if (!netapi) return std::nullopt;
    const auto remoteTod = reinterpret_cast<NetRemoteTodFn>(
        reinterpret_cast<void*>(::GetProcAddress(netapi.Get(), "NetRemoteTOD")));
    const auto bufferFree = reinterpret_cast<NetApiBufferFreeFn>(
        reinterpret_cast<void*>(::GetProcAddress(netapi.Get(), "NetApiBufferFree")));
    if (remoteTod == nullptr || bufferFree == nullptr) return std::nullopt;

    const std::wstring wideServer = Widen(server);
    LPBYTE received = nullptr;
    const DWORD status = remoteTod(server.empty() ? nullptr : wideServer.c_str(), &received);
    // Declared after the library's owner, so freed while it is still loaded.
    const NetApiBuffer buffer(received, bufferFree);
    if (status != kNerrSuccess || !buffer) return std::nullopt;
    const auto* info = reinterpret_cast<const TimeOfDayInfo*>(buffer.get());
    std::optional<TimeOfDayRecord> record;
    // Without a zone the Greenwich time could not be made local.
    if (info->timezone != kTimezoneUndefined) {
        record = TimeOfDayRecord{static_cast<int>(info->year),  static_cast<int>(info->month),
                                 static_cast<int>(info->day),   static_cast<int>(info->hours),
                                 static_cast<int>(info->mins),  static_cast<int>(info->secs),
                                 static_cast<int>(info->timezone)};
    }
    return record;
}

}  // namespace corvane::win32
