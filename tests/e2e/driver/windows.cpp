// The program's windows found and read from another process of the same
// prefix, every message to them bounded in time so a stuck program never
// holds the driver.

#include "driver.h"

#include <string>
#include <vector>

namespace driver {

std::wstring ClassOf(HWND window) {
  wchar_t buf[256] = {};
  GetClassNameW(window, buf, 256);
  return buf;
}

// The caption stored with the window, read without sending WM_GETTEXT, so a
// hung program never blocks the driver.
std::wstring CaptionOf(HWND window) {
  wchar_t buf[1024] = {};
  InternalGetWindowText(window, buf, 1024);
  return buf;
}

// Text of a control in another process: WM_GETTEXT crosses the process, so
// bound it in time in case the owner is stuck.
std::wstring ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000, &copied)) return {};
  text.resize(copied);
  return text;
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

bool Matches(HWND window, const Options& options) {
  if (!options.includeHidden && !IsWindowVisible(window)) return false;
  if (options.className && ClassOf(window) != *options.className) return false;
  if (options.title || options.titlePart) {
    const std::wstring caption = CaptionOf(window);
    if (options.title && caption != *options.title) return false;
    if (options.titlePart && caption.find(*options.titlePart) == std::wstring::npos) return false;
  }
  return true;
}

namespace {

struct Search {
  const Options* options;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMatch(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (Matches(window, *search->options)) search->found.push_back(window);
  return TRUE;
}

}  // namespace

// Top-level windows that match, topmost first (EnumWindows walks the z-order).
std::vector<HWND> FindAll(const Options& options) {
  Search search{&options, {}};
  EnumWindows(CollectMatch, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring Describe(const Options& options) {
  std::wstring d;
  if (options.className) d += L" class \"" + *options.className + L"\"";
  if (options.title) d += L" title \"" + *options.title + L"\"";
  if (options.titlePart) d += L" title containing \"" + *options.titlePart + L"\"";
  if (d.empty()) d = L" (any)";
  return (options.includeHidden ? L"window" : L"visible window") + d;
}

HWND WaitFor(const Options& options) {
  const Deadline deadline(options.timeoutSeconds);
  for (;;) {
    const auto found = FindAll(options);
    if (!found.empty()) return found.front();
    if (deadline.Passed()) break;
    Sleep(options.pollMs);
  }
  Fail(L"timed out waiting for a " + Describe(options));
  return nullptr;
}

void EmitWindow(HWND window) {
  Emit("hwnd", Hex(window));
  Emit("pid", ProcessOf(window));
  Emit("class", ClassOf(window));
  Emit("caption", CaptionOf(window));
}

// Under Wine the foreground can move back late (a box that just closed, a
// window that is still being shown), so ask again until it holds.
bool BringToForeground(HWND window, const Deadline& deadline) {
  int steady = 0;
  while (!deadline.Passed()) {
    if (!IsWindow(window)) return false;
    if (GetForegroundWindow() == window) {
      if (++steady >= 3) return true;
    } else {
      steady = 0;
      if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
      SetForegroundWindow(window);
    }
    Sleep(30);
  }
  return GetForegroundWindow() == window;
}

}  // namespace driver
