#include "ui/view_win32.h"

#include <algorithm>

namespace corvane::win32 {

void RegisterViewClasses(HINSTANCE module, const wchar_t* windowClass, WNDPROC windowProc,
                         const wchar_t* panelClass, WNDPROC panelProc, int iconResource) {
    WNDCLASSEXW window{};
    window.cbSize = sizeof window;
    window.lpfnWndProc = windowProc;
    window.hInstance = module;
    window.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window.hIcon = ::LoadIconW(module, MAKEINTRESOURCEW(iconResource));
    window.hIconSm = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(iconResource), IMAGE_ICON,
                                                     ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
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

HWND CreateScreenWindow(HINSTANCE module, const wchar_t* windowClass, int width, int height, HWND owner,
                        void* creationParameter) {
    RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + ((work.right - work.left) - width) / 2;
    const int top = work.top + ((work.bottom - work.top) - height) / 2;
    return ::CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, windowClass, L"",
                             WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                             std::max(left, static_cast<int>(work.left)), std::max(top, static_cast<int>(work.top)),
                             width, height, owner, nullptr, module, creationParameter);
}

void ShowByFlag(HWND window, bool shown) {
    const bool flagged = (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (flagged != shown) ::ShowWindow(window, shown ? SW_SHOWNA : SW_HIDE);
}

void PaintedButtons::Press(HWND panel, int area) {
    pressed_ = area;
    if (area != 0) ::SetCapture(panel);
}

int PaintedButtons::Release(int area) {
    if (pressed_ == 0) return 0;
    const int pressed = pressed_;
    pressed_ = 0;
    ::ReleaseCapture();
    return area == pressed ? pressed : 0;
}

}  // namespace corvane::win32
