#include "ui/view_win32.h"

#include <algorithm>
#include <utility>

#include "platform/win32/wide.h"
#include "ui/paint_win32.h"

namespace corvane::win32 {
namespace {

constexpr int kIconResource = 1;
constexpr int kSandClockResource = 101;

// The screen's window class and its panels' class, each routed to its own
// procedure, with the program's icon and a white background.
void RegisterViewClasses(HINSTANCE module, const wchar_t* windowClass, WNDPROC windowProc,
                         const wchar_t* panelClass, WNDPROC panelProc, HICON smallIcon) {
    WNDCLASSEXW window{};
    window.cbSize = sizeof window;
    window.lpfnWndProc = windowProc;
    window.hInstance = module;
    window.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window.hIcon = ::LoadIconW(module, MAKEINTRESOURCEW(kIconResource));
    window.hIconSm = smallIcon;
    window.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    window.lpszClassName = windowClass;
    ::RegisterClassExW(&window);

    WNDCLASSEXW panel{};
    panel.cbSize = sizeof panel;
    panel.lpfnWndProc = panelProc;
    panel.hInstance = module;
    panel.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    panel.lpszClassName = panelClass;
    ::RegisterClassExW(&panel);
}

// The view travels in the creation parameters of WM_NCCREATE and stays in
// the window's user data.
ScreenView* ViewOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* view = static_cast<ScreenView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
        return view;
    }
    return reinterpret_cast<ScreenView*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

void ShowByFlag(HWND window, bool shown) {
    const bool flagged = (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (flagged != shown) ::ShowWindow(window, shown ? SW_SHOWNA : SW_HIDE);
}

ScreenView::ScreenView(MessagePump& pump, HINSTANCE module, HWND owner)
    : pump_(pump), module_(module), owner_(owner), dpi_(ScreenDpi()) {}

ScreenView::~ScreenView() { DestroyScreen(); }

RECT ScreenView::PxRect(const layout::TwipsRect& place) const { return PixelRect(place, dpi_); }

bool ScreenView::CreateScreen(const wchar_t* windowClass, const wchar_t* panelClass, int widthTwips,
                              int heightTwips) {
    // Loaded without LR_SHARED, the icon is ours to free.
    smallIcon_.Reset(static_cast<HICON>(::LoadImageW(module_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                                     ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    RegisterViewClasses(module_, windowClass, WindowProc, panelClass, PanelProc, smallIcon_.Get());
    windowClass_ = windowClass;
    panelClass_ = panelClass;
    white_.Reset(::CreateSolidBrush(RGB(255, 255, 255)));
    statusFont_.Reset(CreatePointFont(layout::kStatusPoints, true, dpi_));
    sandClock_.Reset(static_cast<HBITMAP>(
        ::LoadImageW(module_, MAKEINTRESOURCEW(kSandClockResource), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));

    // Centred on the work area, never above or left of it.
    const int width = layout::ToPixels(widthTwips, dpi_);
    const int height = layout::ToPixels(heightTwips, dpi_);
    RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + ((work.right - work.left) - width) / 2;
    const int top = work.top + ((work.bottom - work.top) - height) / 2;
    window_ = ::CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, windowClass, L"",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                                std::max(left, static_cast<int>(work.left)),
                                std::max(top, static_cast<int>(work.top)), width, height, owner_, nullptr, module_,
                                this);
    if (window_ == nullptr) return false;
    // Tab and arrows among the controls, Enter and Esc as a dialog's default
    // and cancel buttons.
    pump_.AddDialogWindow(window_);
    return true;
}

HWND ScreenView::CreatePanel(int id, const layout::TwipsRect& place) {
    const RECT r = PxRect(place);
    HWND panel = ::CreateWindowExW(WS_EX_CONTROLPARENT, panelClass_, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                   r.left, r.top, r.right - r.left, r.bottom - r.top, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module_, this);
    ::SetWindowPos(panel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return panel;
}

HWND ScreenView::CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
                             const layout::TwipsRect& place) {
    const RECT r = PxRect(place);
    return ::CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module_,
                             nullptr);
}

void ScreenView::CreateClockPanel(int id, const layout::TwipsRect& place) {
    clockPanel_ = CreatePanel(id, place);
    overlay_ = {0, 0, place.width, place.height};
}

void ScreenView::CreateCancelButton(const layout::TwipsRect& place) {
    CreateChild(window_, L"BUTTON", L"Cancel", BS_PUSHBUTTON, IDCANCEL, place);
}

void ScreenView::DestroyScreen() {
    if (window_ != nullptr) {
        pump_.RemoveDialogWindow(window_);
        // The window's last messages still find it.
        ::DestroyWindow(window_);
        window_ = nullptr;
    }
    // The class holds the small icon: it goes before the icon does, and a
    // view made later registers it afresh.
    if (windowClass_ != nullptr) {
        ::UnregisterClassW(std::exchange(windowClass_, nullptr), module_);
        ::UnregisterClassW(std::exchange(panelClass_, nullptr), module_);
    }
}

void ScreenView::SyncClock() {
    const BusyOverlay& busy = Busy();
    ShowByFlag(clockPanel_, busy.shown);
    std::string status = busy.Text();
    if (status == statusShown_) return;
    statusShown_ = std::move(status);
    const RECT line = BusyStatusLine(overlay_, dpi_);
    ::InvalidateRect(clockPanel_, &line, TRUE);
}

void ScreenView::SyncWindow(const std::string& caption, bool shown, bool repaintNow) {
    const std::wstring wideCaption = Widen(caption);
    wchar_t current[256] = {};
    ::GetWindowTextW(window_, current, 256);
    if (wideCaption != current) ::SetWindowTextW(window_, wideCaption.c_str());

    POINT cursor{};
    ::GetCursorPos(&cursor);
    const HWND under = ::WindowFromPoint(cursor);
    if (under == window_ || ::IsChild(window_, under)) {
        ::SetCursor(::LoadCursorW(nullptr, Busy().hourglass ? IDC_WAIT : IDC_ARROW));
    }

    if (shown != ((::GetWindowLongPtrW(window_, GWL_STYLE) & WS_VISIBLE) != 0)) {
        ::ShowWindow(window_, shown ? SW_SHOW : SW_HIDE);
    }
    if (repaintNow) ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void ScreenView::Paint(HWND panel, HDC dc) {
    RECT client{};
    ::GetClientRect(panel, &client);
    ::FillRect(dc, &client, white_.Get());
    if (panel == clockPanel_) {
        DrawBusyOverlay(dc, {overlay_, dpi_, sandClock_.Get(), Widen(statusShown_), statusFont_.Get()});
    } else {
        PaintPanel(panel, dc);
    }
}

bool ScreenView::WindowMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT ScreenView::OnNotify(HWND panel, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(panel, WM_NOTIFY, wParam, lParam);
}

LRESULT CALLBACK ScreenView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ScreenView* view = ViewOf(window, message, lParam);
    if (view == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCCREATE) view->window_ = window;
    return view->HandleWindow(message, wParam, lParam);
}

LRESULT CALLBACK ScreenView::PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    ScreenView* view = ViewOf(panel, message, lParam);
    return view != nullptr ? view->HandlePanel(panel, message, wParam, lParam)
                           : ::DefWindowProcW(panel, message, wParam, lParam);
}

LRESULT ScreenView::HandleWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (WindowMessage(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_SETCURSOR:
            if (Busy().hourglass) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_CLOSE:
            // The model decides whether and how the screen closes.
            CloseRequest();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT ScreenView::HandlePanel(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PaintDc paint(panel);
            Paint(panel, paint.Get());
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(panel, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(panel, wParam, lParam);
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_LBUTTONDOWN:
            // The panel keeps the mouse while a button is held, so the release
            // comes here even outside it.
            if (panel != buttonPanel_) return 0;
            pressed_ = AreaAt(PointOf(lParam));
            if (pressed_ != 0) ::SetCapture(panel);
            return 0;
        case WM_LBUTTONUP: {
            // A click is a press and a release on the same button.
            if (panel != buttonPanel_ || pressed_ == 0) return 0;
            const int pressed = std::exchange(pressed_, 0);
            ::ReleaseCapture();
            if (AreaAt(PointOf(lParam)) == pressed) Click(pressed);
            return 0;
        }
        default:
            break;
    }
    return ::DefWindowProcW(panel, message, wParam, lParam);
}

}  // namespace corvane::win32
