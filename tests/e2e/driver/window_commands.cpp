// The commands about windows themselves: found, listed, waited for, brought
// forward, measured, closed or killed.

#include "driver.h"

#include <string>

namespace driver {

int CmdList(const Options& options) {
  for (HWND window : FindAll(options)) {
    RECT r = {};
    GetWindowRect(window, &r);
    HWND owner = GetWindow(window, GW_OWNER);
    wchar_t line[128];
    wsprintfW(line, L" pid=%lu visible=%d rect=%d,%d,%d,%d owner=", ProcessOf(window), IsWindowVisible(window) ? 1 : 0, r.left,
              r.top, r.right, r.bottom);
    Emit("window", Hex(window) + line + Hex(owner) + L" class=\"" + ClassOf(window) + L"\" caption=\"" + CaptionOf(window) + L"\"");
  }
  return 0;
}

namespace {

// The controls of a window, depth first: what a test can click or read.
void ListChildren(HWND parent, int depth) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetAncestor(child, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
    const std::wstring cls = ClassOf(child);
    std::wstring checked;
    if (cls == L"Button") {
      DWORD_PTR state = 0;
      SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
      checked = state == BST_CHECKED ? L" checked=1" : L" checked=0";
    }
    wchar_t line[160];
    wsprintfW(line, L"%s depth=%d id=%d visible=%d rect=%d,%d,%d,%d", Hex(child).c_str(), depth, GetDlgCtrlID(child),
              IsWindowVisible(child) ? 1 : 0, r.left, r.top, r.right, r.bottom);
    Emit("child", line + checked + L" class=\"" + cls + L"\" text=\"" + ControlText(child) + L"\"");
    ListChildren(child, depth + 1);
  }
}

}  // namespace

int CmdChildren(const Options& options) {
  HWND window = WaitFor(options);
  if (!window) return 1;
  ListChildren(window, 1);
  return 0;
}

int CmdWaitWindow(const Options& options) {
  // Lets a caller start the program only once the search is running, so the
  // found time measures the program and not the driver's own start.
  if (options.announce) Emit("waiting_ns", UnixNanoseconds());
  HWND window = WaitFor(options);
  if (!window) return 1;
  Emit("found_ns", UnixNanoseconds());
  EmitWindow(window);
  return 0;
}

int CmdWaitGone(const Options& options) {
  const Deadline deadline(options.timeoutSeconds);
  while (!FindAll(options).empty()) {
    if (deadline.Passed()) {
      Fail(L"timed out waiting until no " + Describe(options) + L" is left");
      return 1;
    }
    Sleep(options.pollMs);
  }
  Emit("gone", Describe(options));
  return 0;
}

int CmdCount(const Options& options) {
  Emit("count", static_cast<long long>(FindAll(options).size()));
  return 0;
}

int CmdState(const Options& options) {
  HWND window = WaitFor(options);
  if (!window) return 1;
  EmitWindow(window);
  Emit("visible", IsWindowVisible(window) ? 1 : 0);
  Emit("iconic", IsIconic(window) ? 1 : 0);
  Emit("foreground", GetForegroundWindow() == window ? 1 : 0);
  HWND owner = GetWindow(window, GW_OWNER);
  Emit("owner_class", owner ? ClassOf(owner) : L"");
  Emit("owner_caption", owner ? CaptionOf(owner) : L"");
  return 0;
}

// The window just above a matching one in z-order, hidden or not: what a
// program that looks for its neighbour there would find.
int CmdAbove(const Options& options) {
  HWND window = WaitFor(options);
  if (!window) return 1;
  HWND above = GetWindow(window, GW_HWNDPREV);
  if (!above) {
    Fail(L"nothing stands above the window");
    return 1;
  }
  EmitWindow(above);
  Emit("visible", IsWindowVisible(above) ? 1 : 0);
  return 0;
}

int CmdWaitForeground(const Options& options) {
  const Deadline deadline(options.timeoutSeconds);
  for (;;) {
    HWND window = GetForegroundWindow();
    if (window && Matches(window, options)) {
      EmitWindow(window);
      return 0;
    }
    if (deadline.Passed()) {
      Fail(L"timed out waiting for the foreground to be a " + Describe(options) + L"; it is " +
           (window ? L"class \"" + ClassOf(window) + L"\" caption \"" + CaptionOf(window) + L"\"" : L"nothing"));
      return 1;
    }
    Sleep(options.pollMs);
  }
}

int CmdRect(const Options& options) {
  HWND window = WaitFor(options);
  if (!window) return 1;
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  Emit("outer", std::to_wstring(outer.left) + L" " + std::to_wstring(outer.top) + L" " + std::to_wstring(outer.right) + L" " +
                    std::to_wstring(outer.bottom));
  Emit("size", std::to_wstring(outer.right - outer.left) + L" " + std::to_wstring(outer.bottom - outer.top));
  Emit("client", std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  Emit("client_origin", std::to_wstring(origin.x) + L" " + std::to_wstring(origin.y));
  HDC screen = GetDC(nullptr);
  Emit("dpi", GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  return 0;
}

int CmdActivate(const Options& options) {
  const Deadline deadline(options.timeoutSeconds);
  HWND window = WaitFor(options);
  if (!window) return 1;
  if (!BringToForeground(window, deadline)) {
    Fail(L"could not keep the window in the foreground");
    return 1;
  }
  EmitWindow(window);
  return 0;
}

int CmdClose(const Options& options) {
  HWND window = WaitFor(options);
  if (!window) return 1;
  PostMessageW(window, WM_CLOSE, 0, 0);
  EmitWindow(window);
  return 0;
}

// The program killed as Task Manager's "End task" kills it: no message, no
// clean-up, at whatever step it is.
int CmdKill(const Options& options) {
  HWND window = WaitFor(options);
  if (!window) return 1;
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(window));
  if (!process) {
    Fail(L"cannot open the window's process");
    return 1;
  }
  const BOOL killed = TerminateProcess(process, 9);
  if (killed) WaitForSingleObject(process, 10000);
  CloseHandle(process);
  if (!killed) {
    Fail(L"TerminateProcess failed");
    return 1;
  }
  EmitWindow(window);
  return 0;
}

// Lets a test tell a caption the program sets apart from one it kept.
int CmdRetitle(const Options& options) {
  if (options.positional.size() != 1) {
    Fail(L"retitle needs the new caption");
    return 2;
  }
  HWND window = WaitFor(options);
  if (!window) return 1;
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(options.positional[0].c_str()), SMTO_ABORTIFHUNG, 5000,
                           &ignored)) {
    Fail(L"the window did not take the caption");
    return 1;
  }
  EmitWindow(window);
  return 0;
}

namespace {

// ShowWindow with SHOW, then waits until the window's minimised state is
// WANT_ICONIC.
int ShowAndWait(const Options& options, int show, bool wantIconic, const wchar_t* failure) {
  HWND window = WaitFor(options);
  if (!window) return 1;
  ShowWindow(window, show);
  const Deadline deadline(options.timeoutSeconds);
  while ((IsIconic(window) != FALSE) != wantIconic) {
    if (deadline.Passed()) {
      Fail(failure);
      return 1;
    }
    Sleep(options.pollMs);
  }
  EmitWindow(window);
  return 0;
}

}  // namespace

int CmdMinimize(const Options& options) {
  return ShowAndWait(options, SW_MINIMIZE, true, L"the window did not minimise");
}

// Shown again from its minimised state, as a click on its button does.
int CmdRestore(const Options& options) {
  return ShowAndWait(options, SW_RESTORE, false, L"the window did not come back from its minimised state");
}

int CmdComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return 1;
  Emit("computer_name", name);
  return 0;
}

}  // namespace driver
