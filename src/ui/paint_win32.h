#pragma once
#include <windows.h>

#include <string>

#include "ui/layout_units.h"

namespace corvane::win32 {

// The drawing both screens share, each a function of a DC and what to draw,
// so WM_PAINT and WM_PRINTCLIENT give the same picture.

// The screen's DPI before any window exists; a view keeps it for its life.
int ScreenDpi();

COLORREF ToColorRef(layout::Rgb colour);
RECT PixelRect(const layout::TwipsRect& place, int dpi);
// A font of the given point size at the DPI; the caller owns it.
HFONT CreatePointFont(double points, bool bold, int dpi, const wchar_t* face = L"Arial");

// A big button: a filled rounded shape with its caption on top, centred
// across the caption's box, at its top or in its middle.
struct ButtonLook {
    RECT shape;
    RECT caption;
    COLORREF fill;
    COLORREF textColour;
    const wchar_t* text;
    HFONT font;
    bool captionCentredVertically = false;
};
void DrawRoundedButton(HDC dc, const ButtonLook& look);

// The content of the busy overlay (FrameCLOCK): the sand clock centred in the
// overlay and the run's status line under it. The background is the caller's.
struct BusyOverlayLook {
    layout::TwipsRect overlay;  // in the DC's coordinates
    int dpi;
    HBITMAP sandClock;          // kSandClockPixelsWide x kSandClockPixelsHigh
    std::wstring status;        // nothing drawn when empty
    HFONT statusFont;
};
void DrawBusyOverlay(HDC dc, const BusyOverlayLook& look);
// Where the status line is drawn, to repaint only it when it changes.
RECT BusyStatusLine(const layout::TwipsRect& overlay, int dpi);

}  // namespace corvane::win32
