#pragma once
#include <windows.h>

namespace corvane::win32 {

// What every screen's view does the same way.

// The screen's window class and its panels' class, each routed to its own
// procedure, with the program's icon and a white background.
void RegisterViewClasses(HINSTANCE module, const wchar_t* windowClass, WNDPROC windowProc,
                         const wchar_t* panelClass, WNDPROC panelProc, int iconResource);

// The screen's top-level window, hidden, of the given outer size in pixels,
// centred on the work area (never above or left of it), owned by owner;
// creationParameter reaches WM_NCCREATE.
HWND CreateScreenWindow(HINSTANCE module, const wchar_t* windowClass, int width, int height, HWND owner,
                        void* creationParameter);

// Shown or hidden by the window's own flag: IsWindowVisible answers false for
// every control while its top-level window is hidden, and a change made then
// would be lost when it comes back.
void ShowByFlag(HWND window, bool shown);

// The view a window procedure serves: it travels in the creation parameters
// of WM_NCCREATE and stays in the window's user data.
template <typename View>
View* ViewOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* view = static_cast<View*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
        return view;
    }
    return reinterpret_cast<View*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// A mouse message's point, in the receiving window's client coordinates.
inline POINT PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// A painted button is clicked by a press and a release on the same one:
// areas are the view's own numbers, 0 for none.
class PaintedButtons {
public:
    // On WM_LBUTTONDOWN: the area under the mouse; the panel captures the
    // mouse while a button is held.
    void Press(HWND panel, int area);
    // On WM_LBUTTONUP: the area clicked, or 0.
    int Release(int area);

private:
    int pressed_ = 0;
};

}  // namespace corvane::win32
