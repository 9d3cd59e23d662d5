#include "platform/win32/instance_win32.h"

#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

constexpr wchar_t kAppWindowClass[] = L"ThunderRT6Main";
constexpr wchar_t kMutexName[] = L"Local\\Corvane.SingleInstance";
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

}  // namespace

Win32Instance::Win32Instance(HINSTANCE module, const wchar_t* appTitle) {
    mutex_.Reset(::CreateMutexW(nullptr, FALSE, kMutexName));
    anotherRunning_ = mutex_ && ::GetLastError() == ERROR_ALREADY_EXISTS;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kAppWindowClass;
    ::RegisterClassExW(&windowClass);
    appWindow_.Reset(::CreateWindowExW(0, kAppWindowClass, appTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       module, nullptr));
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

    HWND mainWindow = ::GetWindow(found, GW_HWNDPREV);
    // The main window stands just above its owner, unless something (a box of
    // the earlier copy, say) came between: then look for it by its owner.
    if (mainWindow == nullptr || ::GetWindow(mainWindow, GW_OWNER) != found) {
        OwnedSearch search{found, nullptr};
        ::EnumWindows(FindOwnedVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) mainWindow = search.found;
    }
    if (mainWindow != nullptr) {
        if (::IsIconic(mainWindow)) ::OpenIcon(mainWindow);
        ::SetForegroundWindow(mainWindow);
    }
    return true;
}

void Win32Process::End(int exitCode) { ::ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace corvane::win32
