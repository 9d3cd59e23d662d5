#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/message_pump.h"
#include "ui/busy_overlay.h"
#include "ui/layout_units.h"

namespace corvane::win32 {

// Shown or hidden by the window's own flag: IsWindowVisible answers false for
// every control while its top-level window is hidden, and a change made then
// would be lost when it comes back.
void ShowByFlag(HWND window, bool shown);

// A mouse message's point, in the receiving window's client coordinates.
inline POINT PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// What every screen's view does the same way: a top-level window of its own
// class centred on the work area, panels (child windows of a class of their
// own, stacked in creation order) over it, the busy overlay with the sand
// clock and the run's status line, and the caption, cursor and visibility
// that follow the screen's model. Both the window's and the panels' messages
// reach this object first; a view handles only what is its own.
class ScreenView {
public:
    ScreenView(const ScreenView&) = delete;
    ScreenView& operator=(const ScreenView&) = delete;

protected:
    ScreenView(MessagePump& pump, HINSTANCE module, HWND owner);
    // A view calls DestroyScreen in its own destructor, while the members its
    // handlers use still live; here it is only a guard.
    virtual ~ScreenView();

    // Registers the classes and creates the hidden window, of the given outer
    // size; false when the window could not be created.
    bool CreateScreen(const wchar_t* windowClass, const wchar_t* panelClass, int widthTwips, int heightTwips);
    // Each new panel goes on top of the ones before; hidden until shown.
    HWND CreatePanel(int id, const layout::TwipsRect& place);
    HWND CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
                     const layout::TwipsRect& place);
    // The busy overlay (FrameCLOCK) as the next panel; it paints itself.
    void CreateClockPanel(int id, const layout::TwipsRect& place);
    // CBCancel stands outside the window: only Esc reaches it.
    void CreateCancelButton(const layout::TwipsRect& place);
    // The panel whose painted buttons the mouse presses.
    void SetButtonPanel(HWND panel) { buttonPanel_ = panel; }
    void DestroyScreen();

    // The busy overlay shown or hidden, and its status line repainted when
    // its text changed.
    void SyncClock();
    // The window's caption, the cursor over it and whether it is shown; with
    // repaintNow, everything changed is painted before this returns.
    void SyncWindow(const std::string& caption, bool shown, bool repaintNow);

    HWND Window() const { return window_; }
    int Dpi() const { return dpi_; }
    HINSTANCE Module() const { return module_; }
    RECT PxRect(const layout::TwipsRect& place) const;
    HBRUSH WhiteBrush() const { return white_.Get(); }

    // What each screen answers itself.
    // The screen's busy overlay, as its model holds it now.
    virtual const BusyOverlay& Busy() const = 0;
    virtual void CloseRequest() = 0;
    // WM_COMMAND from the window or a panel.
    virtual void OnCommand(int id, int code) = 0;
    // A panel other than the overlay, over its white background.
    virtual void PaintPanel(HWND panel, HDC dc) = 0;
    // WM_CTLCOLORSTATIC and WM_CTLCOLORBTN of a panel's controls.
    virtual LRESULT ControlColour(HDC dc, HWND control) = 0;
    // The painted button under a point of the button panel (0 for none), and
    // its click.
    virtual int AreaAt(POINT point) const = 0;
    virtual void Click(int area) = 0;
    // A window message the view wants before the common handling: handled
    // answers its result; otherwise it goes on as every screen's.
    virtual bool WindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual LRESULT OnNotify(HWND panel, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleWindow(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandlePanel(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HWND panel, HDC dc);

    MessagePump& pump_;
    HINSTANCE module_;
    HWND owner_;
    int dpi_ = 96;
    const wchar_t* windowClass_ = nullptr;
    const wchar_t* panelClass_ = nullptr;
    UniqueIcon smallIcon_;
    HWND window_ = nullptr;
    HWND buttonPanel_ = nullptr;
    UniqueBrush white_;

    // The busy overlay: its panel, what it is drawn from, the status line as
    // last painted, and the overlay's rectangle in its own coordinates.
    HWND clockPanel_ = nullptr;
    layout::TwipsRect overlay_{};
    UniqueBitmap sandClock_;
    UniqueFont statusFont_;
    std::string statusShown_;

    // A painted button is clicked by a press and a release on the same one.
    int pressed_ = 0;
};

}  // namespace corvane::win32
