// Message boxes read and answered as a user sees them: text, buttons, the
// default one and the icon shown.

#include "driver.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace driver {

namespace {

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

}  // namespace

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
  // What the button tells its box when clicked, posted to the box itself, so
  // the box's reaction (it may end its process) never holds us. A BM_CLICK
  // is a press and a release on the button: under Wine a box shown a moment
  // ago is activated late, its activation gives the focus to its default
  // button, and a press that loses the focus before its release is no click,
  // so the box stayed open now and then (measured: once in six runs).
  // Said again while the same box stays shown a second later: a box that
  // took it is hidden at once by its end, and one destroyed meanwhile drops it.
  const auto click = [&] {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(*id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  };
  click();
  DWORD clicked = GetTickCount();
  while (IsWindow(box) && IsWindowVisible(box)) {
    if (deadline.Passed()) {
      Fail(L"the box is still shown after clicking " + options.button);
      return 1;
    }
    if (GetTickCount() - clicked >= 1000) {
      click();
      clicked = GetTickCount();
    }
    Sleep(options.pollMs);
  }
  Emit("answered", options.button);
  return 0;
}

}  // namespace driver
