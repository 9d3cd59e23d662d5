// Automation driver for the end-to-end tests: a console program that runs in
// the same Wine prefix (so the same wineserver and desktop) as the program
// under test, finds its windows and message boxes, reads and answers them and
// sends it keys and clicks.
//
// Output is one "key<TAB>value" line per fact, UTF-8, with the value escaped so
// that a line stays a line: backslash, CR, LF and TAB become \\ \r \n \t and
// any other control character \0ooo. Bash's printf '%b' undoes exactly that.
//
// Every command that waits takes --timeout SECONDS (default 20) and exits 1
// when the deadline passes; usage errors exit 2.

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- output

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::string Escape(const std::wstring& text) {
  std::string out;
  for (const char c : ToUtf8(text)) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (u < 0x20 || u == 0x7F) {
      out += "\\0";
      out += static_cast<char>('0' + (u >> 6));
      out += static_cast<char>('0' + ((u >> 3) & 7));
      out += static_cast<char>('0' + (u & 7));
    } else out += c;
  }
  return out;
}

// WriteFile, not the C runtime: its text mode would turn \n into CR LF.
void WriteRaw(DWORD which, const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Emit(const char* key, const std::wstring& value) {
  WriteRaw(STD_OUTPUT_HANDLE, std::string(key) + "\t" + Escape(value) + "\n");
}

void Emit(const char* key, long long value) { Emit(key, std::to_wstring(value)); }

void Fail(const std::wstring& message) { WriteRaw(STD_ERROR_HANDLE, "driver: " + ToUtf8(message) + "\n"); }

std::wstring Hex(HWND window) {
  wchar_t buf[32];
  wsprintfW(buf, L"0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
  return buf;
}

// ---------------------------------------------------------------- time

// The same clock as `date +%s%N` on the host: Wine reads CLOCK_REALTIME.
long long UnixNanoseconds() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  const long long ticks = (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (ticks - 116444736000000000LL) * 100;
}

class Deadline {
 public:
  explicit Deadline(double seconds) : end_(GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000.0)) {}
  bool Passed() const { return GetTickCount64() >= end_; }

 private:
  ULONGLONG end_;
};

// ---------------------------------------------------------------- options

struct Options {
  std::optional<std::wstring> className;
  std::optional<std::wstring> title;
  std::optional<std::wstring> titlePart;
  bool includeHidden = false;
  double timeoutSeconds = 20.0;
  DWORD pollMs = 50;
  std::wstring button;
  std::optional<std::wstring> child;
  bool doubleClick = false;
  bool announce = false;
  std::vector<std::wstring> positional;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
  for (int i = 2; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == L"--class" && hasValue) options.className = argv[++i];
    else if (arg == L"--title" && hasValue) options.title = argv[++i];
    else if (arg == L"--title-part" && hasValue) options.titlePart = argv[++i];
    else if (arg == L"--hidden") options.includeHidden = true;
    else if (arg == L"--timeout" && hasValue) options.timeoutSeconds = _wtof(argv[++i]);
    else if (arg == L"--poll-ms" && hasValue) options.pollMs = static_cast<DWORD>(_wtoi(argv[++i]));
    else if (arg == L"--button" && hasValue) options.button = argv[++i];
    else if (arg == L"--child" && hasValue) options.child = argv[++i];
    else if (arg == L"--double") options.doubleClick = true;
    else if (arg == L"--announce") options.announce = true;
    else if (arg.size() > 2 && arg.compare(0, 2, L"--") == 0) {
      Fail(L"unknown or incomplete option " + arg);
      return false;
    } else options.positional.push_back(arg);
  }
  return true;
}

// ---------------------------------------------------------------- windows

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

struct Search {
  const Options* options;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMatch(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (Matches(window, *search->options)) search->found.push_back(window);
  return TRUE;
}

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

// ---------------------------------------------------------------- message boxes

struct ButtonName {
  int id;
  const wchar_t* name;
};
constexpr ButtonName kButtons[] = {
    {IDOK, L"ok"},         {IDCANCEL, L"cancel"}, {IDABORT, L"abort"},       {IDRETRY, L"retry"}, {IDIGNORE, L"ignore"},
    {IDYES, L"yes"},       {IDNO, L"no"},         {IDTRYAGAIN, L"tryagain"}, {IDCONTINUE, L"continue"},
};

const wchar_t* ButtonNameOf(int id) {
  for (const auto& b : kButtons)
    if (b.id == id) return b.name;
  return L"?";
}

std::optional<int> ButtonIdOf(const std::wstring& name) {
  for (const auto& b : kButtons)
    if (name == b.name) return b.id;
  return std::nullopt;
}

HWND VisibleButton(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  return (button && IsWindowVisible(button)) ? button : nullptr;
}

HWND IconControl(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != L"Static" || !IsWindowVisible(child)) continue;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return child;
  }
  return nullptr;
}

// The box's icon handle belongs to its own process and cannot be read from
// here, so compare what the screen shows with each stock icon drawn locally
// on the same background.
std::wstring IconKind(HWND box) {
  HWND control = IconControl(box);
  if (!control) return L"none";
  // Wine keeps the icon control of a box without an icon, empty: the handle
  // is only tested for NULL here, never used.
  DWORD_PTR icon = 0;
  if (SendMessageTimeoutW(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon) && icon == 0) return L"none";
  RECT r;
  GetWindowRect(control, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0 || w > 256 || h > 256) return L"unknown";

  HDC screen = GetDC(nullptr);
  HDC shot = CreateCompatibleDC(screen);
  HDC drawn = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* shotBits = nullptr;
  void* drawnBits = nullptr;
  HBITMAP shotBitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &shotBits, nullptr, 0);
  HBITMAP drawnBitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &drawnBits, nullptr, 0);
  HGDIOBJ oldShot = SelectObject(shot, shotBitmap);
  HGDIOBJ oldDrawn = SelectObject(drawn, drawnBitmap);
  BitBlt(shot, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();

  const auto* shotPixels = static_cast<const uint32_t*>(shotBits);
  const COLORREF background = GetPixel(shot, 0, 0);
  struct Stock {
    LPCWSTR id;
    const wchar_t* name;
  };
  const Stock stock[] = {{IDI_HAND, L"stop"}, {IDI_QUESTION, L"question"}, {IDI_EXCLAMATION, L"warning"}, {IDI_ASTERISK, L"information"}};
  std::wstring best = L"unknown";
  double bestScore = 1e9;
  for (const auto& s : stock) {
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, w, h};
    FillRect(drawn, &all, brush);
    DeleteObject(brush);
    HICON icon = LoadIconW(nullptr, s.id);
    const int iw = GetSystemMetrics(SM_CXICON), ih = GetSystemMetrics(SM_CYICON);
    // A stock-size icon control is filled by the icon; a bigger one centres it.
    const int x = w > iw ? (w - iw) / 2 : 0, y = h > ih ? (h - ih) / 2 : 0;
    DrawIconEx(drawn, x, y, icon, w > iw ? iw : w, h > ih ? ih : h, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const auto* drawnPixels = static_cast<const uint32_t*>(drawnBits);
    double diff = 0;
    for (int i = 0; i < w * h; ++i)
      for (int shift = 0; shift < 24; shift += 8)
        diff += std::abs(static_cast<int>((shotPixels[i] >> shift) & 0xFF) - static_cast<int>((drawnPixels[i] >> shift) & 0xFF));
    const double score = diff / (w * h * 3.0);
    if (score < bestScore) {
      bestScore = score;
      best = s.name;
    }
  }
  SelectObject(shot, oldShot);
  SelectObject(drawn, oldDrawn);
  DeleteObject(shotBitmap);
  DeleteObject(drawnBitmap);
  DeleteDC(shot);
  DeleteDC(drawn);
  ReleaseDC(nullptr, screen);
  // Mean difference per channel; a covered or half-drawn box scores far above this.
  return bestScore < 12.0 ? best : L"unknown";
}

Options BoxOptions(const Options& options) {
  Options box = options;
  box.className = L"#32770";
  return box;
}

// ---------------------------------------------------------------- input

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

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

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

// ---------------------------------------------------------------- commands

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

int CmdBox(const Options& options) {
  const Deadline deadline(options.timeoutSeconds);
  HWND box = WaitFor(BoxOptions(options));
  if (!box) return 1;
  Emit("hwnd", Hex(box));
  Emit("pid", ProcessOf(box));
  Emit("title", CaptionOf(box));
  Emit("text", ControlText(GetDlgItem(box, 0xFFFF)));
  std::wstring buttons, defaultButton;
  for (const auto& b : kButtons) {
    HWND button = VisibleButton(box, b.id);
    if (!button) continue;
    buttons += (buttons.empty() ? L"" : L" ") + std::wstring(b.name);
    if ((GetWindowLongW(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) defaultButton = b.name;
  }
  Emit("buttons", buttons);
  // Enter answers the button that has the default style (the focused one).
  // Wine's boxes keep DM_GETDEFID at the template's OK whatever the default
  // button flag says, so that message only serves when no button has the style.
  if (defaultButton.empty()) {
    DWORD_PTR defId = 0;
    if (SendMessageTimeoutW(box, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 5000, &defId) && HIWORD(defId) == DC_HASDEFID &&
        VisibleButton(box, LOWORD(defId)))
      defaultButton = ButtonNameOf(LOWORD(defId));
  }
  Emit("default", defaultButton);
  // The box may be shown a moment before its icon is drawn.
  std::wstring icon = IconKind(box);
  while (icon == L"unknown" && !deadline.Passed() && IsWindowVisible(box)) {
    Sleep(options.pollMs);
    icon = IconKind(box);
  }
  Emit("icon", icon);
  return 0;
}

int CmdAnswer(const Options& options) {
  const auto id = ButtonIdOf(Lower(options.button));
  if (!id) {
    Fail(L"--button must be one of ok, cancel, yes, no, abort, retry, ignore, tryagain, continue");
    return 2;
  }
  const Deadline deadline(options.timeoutSeconds);
  HWND box = WaitFor(BoxOptions(options));
  if (!box) return 1;
  HWND button = VisibleButton(box, *id);
  if (!button) {
    Fail(L"the box has no " + options.button + L" button");
    return 1;
  }
  // Posted, so the box's reaction (it may end its process) never holds us.
  PostMessageW(button, BM_CLICK, 0, 0);
  while (IsWindow(box) && IsWindowVisible(box)) {
    if (deadline.Passed()) {
      Fail(L"the box is still shown after clicking " + options.button);
      return 1;
    }
    Sleep(options.pollMs);
  }
  Emit("answered", options.button);
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

// A shown control of the window whose text is TEXT, searched depth first.
HWND FindChildByText(HWND parent, const std::wstring& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    if (ControlText(child) == text) return child;
    if (HWND inner = FindChildByText(child, text)) return inner;
  }
  return nullptr;
}

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

int CmdMinimize(const Options& options) {
  HWND window = WaitFor(options);
  if (!window) return 1;
  ShowWindow(window, SW_MINIMIZE);
  const Deadline deadline(options.timeoutSeconds);
  while (!IsIconic(window)) {
    if (deadline.Passed()) {
      Fail(L"the window did not minimise");
      return 1;
    }
    Sleep(options.pollMs);
  }
  EmitWindow(window);
  return 0;
}

int CmdComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return 1;
  Emit("computer_name", name);
  return 0;
}

void Usage() {
  WriteRaw(STD_ERROR_HANDLE,
           "usage: driver COMMAND [--class C] [--title T] [--title-part T] [--hidden] [--timeout S] [--poll-ms MS] ...\n"
           "  list                          top-level windows (visible ones unless --hidden)\n"
           "  wait-window [--announce]      wait for a matching window; print it and found_ns\n"
           "                                (--announce: print waiting_ns first, once searching)\n"
           "  wait-gone                     wait until no matching window is left\n"
           "  count                         how many windows match now\n"
           "  children                      the controls of a window (rects in its client coordinates)\n"
           "  state                         visible, iconic, foreground and owner of a window\n"
           "  wait-foreground               wait until the foreground window matches\n"
           "  above                         the window just above a matching one in z-order\n"
           "  rect                          outer rectangle and size, client size and screen origin\n"
           "  box --title T                 a message box: title, text, buttons, default, icon\n"
           "  answer --title T --button B   click a message box button (ok, yes, no, cancel ...)\n"
           "  activate                      bring a window to the foreground\n"
           "  keys CHORD...                 type keys into a window (shift+d, ctrl+shift+d, esc, enter, down)\n"
           "  click X Y | --child TEXT      click at client coordinates or on a control\n"
           "        [--button right] [--double]\n"
           "  close                         post WM_CLOSE\n"
           "  kill                          end the window's process at once (TerminateProcess)\n"
           "  minimize                      minimise a window\n"
           "  retitle TEXT                  change a window's caption\n"
           "  computer-name                 the computer name this prefix reports\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    Usage();
    return 2;
  }
  const std::wstring command = argv[1];
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  if (command == L"list") return CmdList(options);
  if (command == L"wait-window") return CmdWaitWindow(options);
  if (command == L"wait-gone") return CmdWaitGone(options);
  if (command == L"count") return CmdCount(options);
  if (command == L"children") return CmdChildren(options);
  if (command == L"state") return CmdState(options);
  if (command == L"wait-foreground") return CmdWaitForeground(options);
  if (command == L"above") return CmdAbove(options);
  if (command == L"rect") return CmdRect(options);
  if (command == L"box") return CmdBox(options);
  if (command == L"answer") return CmdAnswer(options);
  if (command == L"activate") return CmdActivate(options);
  if (command == L"keys") return CmdKeys(options);
  if (command == L"click") return CmdClick(options);
  if (command == L"close") return CmdClose(options);
  if (command == L"kill") return CmdKill(options);
  if (command == L"minimize") return CmdMinimize(options);
  if (command == L"retitle") return CmdRetitle(options);
  if (command == L"computer-name") return CmdComputerName();
  Usage();
  return 2;
}
