#pragma once
// The file signals between a scenario and the helpers it starts in its Wine
// prefix (a start gate, a ready file, a stop file): paths given either as
// Windows paths or as Linux paths of the host, and a wait for a file to appear.

#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

namespace corvane::e2e {

namespace detail {
inline void CloseChange(HANDLE change) { ::FindCloseChangeNotification(change); }
}  // namespace detail

using UniqueChange = win32::Owned<HANDLE, win32::detail::InvalidHandle, detail::CloseChange>;

// A Linux path ("/tmp/run/ready") as Wine sees it ("Z:\tmp\run\ready"); any
// other path, or any path on Windows, stays as it is. Wine's own conversion
// knows the prefix's drive mappings, so it is asked rather than guessed.
inline std::wstring HostPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    using ToDos = WCHAR*(CDECL*)(const char*);
    const auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos == nullptr) return path;
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string unixPath(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, unixPath.data(), size, nullptr, nullptr);
    WCHAR* dosPath = toDos(unixPath.c_str());
    if (dosPath == nullptr) return path;
    std::wstring converted(dosPath);
    ::HeapFree(::GetProcessHeap(), 0, dosPath);
    return converted;
}

inline bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    std::wstring folder = path.substr(0, slash);
    // "Z:" alone is the drive's current folder, not its root.
    if (folder.empty() || folder.back() == L':') folder += L'\\';
    return folder;
}

// Waits until the file exists, or for timeoutMs (INFINITE: for ever). It
// sleeps on its folder's change notifications, so every helper waiting on
// one start file wakes at the same moment; the periodic re-check covers a
// notification that never comes (a folder Wine cannot watch), and without
// notifications at all it polls.
inline bool WaitForFile(const std::wstring& path, DWORD timeoutMs) {
    constexpr DWORD kRecheckMs = 1000;
    constexpr DWORD kPollMs = 100;
    const DWORD started = ::GetTickCount();
    // Opened before the first look, so a file made in between still wakes it.
    UniqueChange change(::FindFirstChangeNotificationW(FolderOf(path).c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
    for (;;) {
        if (FileExists(path)) return true;
        const DWORD elapsed = ::GetTickCount() - started;
        if (timeoutMs != INFINITE && elapsed >= timeoutMs) return false;
        DWORD slice = change ? kRecheckMs : kPollMs;
        if (timeoutMs != INFINITE && timeoutMs - elapsed < slice) slice = timeoutMs - elapsed;
        if (!change) {
            ::Sleep(slice);
            continue;
        }
        const DWORD waited = ::WaitForSingleObject(change.Get(), slice);
        // A notification that cannot be re-armed would keep the handle
        // signalled and turn this wait into a spin: poll instead.
        if (waited == WAIT_FAILED || (waited == WAIT_OBJECT_0 && !::FindNextChangeNotification(change.Get()))) {
            change.Reset();
        }
    }
}

}  // namespace corvane::e2e
