// Stands in for an earlier copy of Corvane that has no main window (one that
// is still starting, or ending): it holds the single-instance mutex and a
// hidden "ThunderRT6Main" window captioned "Corvane", and owns nothing. Just
// above that window in z-order it keeps a minimised top-level window of
// another program, the window a careless hand-over would restore and raise.
//
// With the argument "deny-all" its mutex has an empty DACL, as the mutex of
// a copy running elevated looks to one that is not: opening it is refused.
// With "other-session" it keeps no hidden window, as a copy in another
// session (a scheduled run) looks from this one: the mutex alone is seen.
//
// It ends when its unrelated window is closed, or after two minutes, so it
// never outlives a scenario for long.

#include <windows.h>

#include "platform/win32/handles.h"

namespace {

using corvane::win32::UniqueHandle;
using corvane::win32::UniqueWindow;

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMs = 120000;

LRESULT CALLBACK UnrelatedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kLifetimeTimer) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool Register(HINSTANCE module, const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = module;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR commandLine, int) {
  SECURITY_DESCRIPTOR denyAll{};
  ACL emptyAcl{};
  InitializeSecurityDescriptor(&denyAll, SECURITY_DESCRIPTOR_REVISION);
  InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION);
  SetSecurityDescriptorDacl(&denyAll, TRUE, &emptyAcl, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &denyAll, FALSE};
  const bool denied = lstrcmpiW(commandLine, L"deny-all") == 0;
  const bool otherSession = lstrcmpiW(commandLine, L"other-session") == 0;
  const UniqueHandle mutex(CreateMutexW(denied ? &attributes : nullptr, FALSE, L"Global\\Corvane.SingleInstance"));
  if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return 3;
  if (!Register(module, L"ThunderRT6Main", DefWindowProcW) || !Register(module, L"CorvaneUnrelatedWindow", UnrelatedProc)) return 4;

  UniqueWindow appWindow;
  if (!otherSession) {
    appWindow.Reset(
        CreateWindowExW(0, L"ThunderRT6Main", L"Corvane", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, module, nullptr));
  }
  // Destroyed by its own close, which ends the message loop.
  HWND unrelated = CreateWindowExW(0, L"CorvaneUnrelatedWindow", L"Unrelated program", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200,
                                   nullptr, nullptr, module, nullptr);
  if ((!appWindow && !otherSession) || unrelated == nullptr) return 5;
  ShowWindow(unrelated, SW_SHOWMINNOACTIVE);
  // Minimising may move a window in z-order; put the hidden window right
  // under it, where the earlier copy's main window would stand.
  if (appWindow) SetWindowPos(appWindow.Get(), unrelated, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetTimer(unrelated, kLifetimeTimer, kLifetimeMs, nullptr);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
