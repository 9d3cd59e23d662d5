#include "platform/win32/instance_win32.h"

#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

constexpr wchar_t kAppWindowClass[] = L"ThunderRT6Main";
// Older runtimes named the application window class differently; a copy
// started by any of them is still the earlier instance.
constexpr const wchar_t* kSearchedClasses[] = {L"ThunderRTMain", L"ThunderRT5Main", L"ThunderRT6Main"};

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedVisible(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    if (::GetWindow(window, GW_OWNER) == search->owner && ::IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The main window of the copy whose application window is appWindow, or
// null when it has none: whatever else stands near it in z-order belongs to
// some other program and is not ours to restore or raise.
HWND MainWindowOf(HWND appWindow) {
    HWND above = ::GetWindow(appWindow, GW_HWNDPREV);
    // It stands just above its owner, unless something (a box of the earlier
    // copy, the hidden restore screen) came between: then it is the owned
    // window that is shown (the restore screen while it stands in the main
    // window's place).
    if (above != nullptr && ::IsWindowVisible(above) && ::GetWindow(above, GW_OWNER) == appWindow) return above;
    OwnedSearch search{appWindow, nullptr};
    ::EnumWindows(FindOwnedVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A close request that reaches the hidden owner (a task manager's "end task"
// picks any top-level window of the process) would otherwise destroy it and
// the main window it owns, and leave an invisible process holding the mutex
// that keeps every later copy away. It ends the program as the main window's
// close does.
//
// In the run nobody watches, the hidden owner is its only window: there the
// request becomes WM_QUIT, which ends the run's next wait or step, so the
// run log gets its last record and the exit code says the run was stopped.
LRESULT CALLBACK AppWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* held = reinterpret_cast<const Win32Instance::CloseRequest*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    const Win32Instance::CloseRequest close = held != nullptr ? *held : Win32Instance::CloseRequest{};
    if (message == WM_CLOSE) {
        if (close.unattended) {
            ::PostQuitMessage(0);
        } else {
            if (close.end != nullptr) close.end->End(0);
            Win32Process().End(0);
        }
        return 0;
    }
    if (message == WM_QUERYENDSESSION && close.unattended) {
        ::PostQuitMessage(0);
        return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

Win32Instance::Win32Instance(HINSTANCE module, const wchar_t* appTitle, const wchar_t* mutexName) {
    mutex_.Reset(::CreateMutexW(nullptr, FALSE, mutexName));
    const DWORD error = ::GetLastError();
    // Access denied: the mutex exists, made by a copy that runs elevated or as
    // another user, whose default DACL does not grant this one the full access
    // CreateMutexW asks for. Asking for less (OpenMutexW with SYNCHRONIZE) may
    // be refused just the same, and either way the answer is that it exists.
    anotherRunning_ = mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = AppWindowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kAppWindowClass;
    ::RegisterClassExW(&windowClass);
    appWindow_.Reset(::CreateWindowExW(0, kAppWindowClass, appTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       module, nullptr));
}

void Win32Instance::SetCloseEnd(Process& process) {
    close_.end = &process;
    ::SetWindowLongPtrW(appWindow_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&close_));
}

bool Win32Instance::ActivatePrevious(const std::string& appTitle) {
    // Out of the search's way: this copy must not find its own window.
    ::SetWindowTextW(appWindow_.Get(), L"unwanted instance");

    const std::wstring title = Widen(appTitle);
    HWND found = nullptr;
    for (const wchar_t* windowClass : kSearchedClasses) {
        found = ::FindWindowW(windowClass, title.c_str());
        if (found != nullptr) break;
    }
    if (found == nullptr) return false;

    if (HWND mainWindow = MainWindowOf(found)) {
        if (::IsIconic(mainWindow)) ::OpenIcon(mainWindow);
        ::SetForegroundWindow(mainWindow);
    }
    return true;
}

void Win32Instance::MarkUnattended() {
    close_.unattended = true;
    ::SetWindowLongPtrW(appWindow_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&close_));
}

void Win32Process::End(int exitCode) { ::ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace corvane::win32
