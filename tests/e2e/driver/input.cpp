// Keys and clicks sent as real input, so the program sees what a user makes.

#include "driver.h"

#include <cstdlib>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

namespace driver {

namespace {

struct KeyName {
  const wchar_t* name;
  WORD vk;
};
constexpr KeyName kKeys[] = {
    {L"esc", VK_ESCAPE}, {L"escape", VK_ESCAPE}, {L"enter", VK_RETURN}, {L"return", VK_RETURN}, {L"tab", VK_TAB},
    {L"space", VK_SPACE}, {L"up", VK_UP},         {L"down", VK_DOWN},    {L"left", VK_LEFT},      {L"right", VK_RIGHT},
    {L"home", VK_HOME},   {L"end", VK_END},       {L"backspace", VK_BACK}, {L"delete", VK_DELETE}, {L"pageup", VK_PRIOR},
    {L"pagedown", VK_NEXT},
};

std::optional<WORD> VirtualKey(const std::wstring& name) {
  if (name.size() == 1 && iswalnum(name[0])) return static_cast<WORD>(towupper(name[0]));
  for (const auto& k : kKeys)
    if (name == k.name) return k.vk;
  if (name.size() >= 2 && name[0] == L'f') {
    const int n = _wtoi(name.c_str() + 1);
    if (n >= 1 && n <= 12) return static_cast<WORD>(VK_F1 + n - 1);
  }
  return std::nullopt;
}

INPUT KeyInput(WORD vk, bool up) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if (vk == VK_UP || vk == VK_DOWN || vk == VK_LEFT || vk == VK_RIGHT || vk == VK_HOME || vk == VK_END ||
      vk == VK_PRIOR || vk == VK_NEXT || vk == VK_DELETE)
    in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return in;
}

// "shift+d", "ctrl+shift+d", "alt+shift+r", "esc", "enter", "down" ...
std::optional<std::vector<INPUT>> Chord(const std::wstring& chordText) {
  std::vector<WORD> modifiers;
  std::optional<WORD> key;
  size_t start = 0;
  const std::wstring text = Lower(chordText);
  while (start <= text.size()) {
    size_t plus = text.find(L'+', start);
    if (plus == std::wstring::npos) plus = text.size();
    const std::wstring part = text.substr(start, plus - start);
    start = plus + 1;
    if (part == L"shift") modifiers.push_back(VK_SHIFT);
    else if (part == L"ctrl" || part == L"control") modifiers.push_back(VK_CONTROL);
    else if (part == L"alt") modifiers.push_back(VK_MENU);
    else if (!key && (key = VirtualKey(part))) continue;
    else return std::nullopt;
  }
  if (!key) return std::nullopt;
  std::vector<INPUT> inputs;
  for (WORD m : modifiers) inputs.push_back(KeyInput(m, false));
  inputs.push_back(KeyInput(*key, false));
  inputs.push_back(KeyInput(*key, true));
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) inputs.push_back(KeyInput(*it, true));
  return inputs;
}

bool Send(std::vector<INPUT>& inputs) {
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

}  // namespace

int CmdKeys(const Options& options) {
  std::vector<std::vector<INPUT>> chords;
  for (const auto& chordText : options.positional) {
    auto chord = Chord(chordText);
    if (!chord) {
      Fail(L"unknown key chord \"" + chordText + L"\"");
      return 2;
    }
    chords.push_back(*chord);
  }
  const Deadline deadline(options.timeoutSeconds);
  HWND window = WaitFor(options);
  if (!window) return 1;
  for (size_t i = 0; i < chords.size(); ++i) {
    // Keys go to the foreground thread: make sure it is still the target.
    if (!BringToForeground(window, deadline)) {
      Fail(L"could not keep the window in the foreground");
      return 1;
    }
    const long long sentNs = UnixNanoseconds();
    if (!Send(chords[i])) {
      Fail(L"SendInput refused the keys");
      return 1;
    }
    Emit("sent", options.positional[i]);
    // When it went, on the host's clock, for benchmarks that time a run.
    Emit("sent_ns", sentNs);
  }
  return 0;
}

namespace {

// A shown control of the window whose text is TEXT, searched depth first.
HWND FindChildByText(HWND parent, const std::wstring& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    if (ControlText(child) == text) return child;
    if (HWND inner = FindChildByText(child, text)) return inner;
  }
  return nullptr;
}

}  // namespace

// A real mouse click (or two), so the program sees what a user's click makes:
// at X Y of the window's client area, or in the middle of the control --child.
int CmdClick(const Options& options) {
  if (options.child ? !options.positional.empty() : options.positional.size() != 2) {
    Fail(L"click needs X and Y in client pixels, or --child TEXT");
    return 2;
  }
  const Deadline deadline(options.timeoutSeconds);
  HWND window = WaitFor(options);
  if (!window) return 1;
  POINT p;
  if (options.child) {
    HWND child = nullptr;
    while (!(child = FindChildByText(window, *options.child))) {
      if (deadline.Passed()) {
        Fail(L"no shown control with the text \"" + *options.child + L"\"");
        return 1;
      }
      Sleep(options.pollMs);
    }
    RECT r;
    GetWindowRect(child, &r);
    p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  } else {
    p = {_wtoi(options.positional[0].c_str()), _wtoi(options.positional[1].c_str())};
    ClientToScreen(window, &p);
  }
  if (!BringToForeground(window, deadline)) {
    Fail(L"could not keep the window in the foreground");
    return 1;
  }
  const bool right = Lower(options.button) == L"right";
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  INPUT move = {};
  move.type = INPUT_MOUSE;
  move.mi.dx = MulDiv(p.x, 65535, cx - 1);
  move.mi.dy = MulDiv(p.y, 65535, cy - 1);
  move.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  std::vector<INPUT> inputs{move};
  for (int i = 0; i < (options.doubleClick ? 2 : 1); ++i) {
    INPUT down = move, up = move;
    down.mi.dwFlags |= right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    up.mi.dwFlags |= right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    inputs.push_back(down);
    inputs.push_back(up);
  }
  SetCursorPos(p.x, p.y);
  if (!Send(inputs)) {
    Fail(L"SendInput refused the click");
    return 1;
  }
  Emit("clicked", std::to_wstring(p.x) + L" " + std::to_wstring(p.y));
  return 0;
}

}  // namespace driver
