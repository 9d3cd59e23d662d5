#include "ui/paint_win32.h"

#include "platform/win32/handles.h"

namespace corvane::win32 {

int ScreenDpi() {
    const ScreenDc screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : 96;
}

COLORREF ToColorRef(layout::Rgb colour) { return RGB(colour.r, colour.g, colour.b); }

RECT PixelRect(const layout::TwipsRect& place, int dpi) {
    const layout::PixelEdges edges = layout::ToPixels(place, dpi);
    return {edges.left, edges.top, edges.right, edges.bottom};
}

HFONT CreatePointFont(double points, bool bold, int dpi, const wchar_t* face) {
    return ::CreateFontW(layout::FontHeight(points, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, face);
}

void DrawRoundedButton(HDC dc, const ButtonLook& look) {
    UniqueBrush brush(::CreateSolidBrush(look.fill));
    UniquePen pen(::CreatePen(PS_SOLID, 1, look.fill));
    {
        SelectGuard selectBrush(dc, brush.Get());
        SelectGuard selectPen(dc, pen.Get());
        const RECT& shape = look.shape;
        const int corner = (shape.bottom - shape.top) / 3;
        ::RoundRect(dc, shape.left, shape.top, shape.right, shape.bottom, corner, corner);
    }
    SelectGuard selectFont(dc, look.font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, look.textColour);
    RECT textRect = look.caption;
    const UINT vertical = look.captionCentredVertically ? DT_VCENTER : DT_TOP;
    ::DrawTextW(dc, look.text, -1, &textRect, DT_CENTER | vertical | DT_SINGLELINE | DT_NOPREFIX);
}

RECT BusyStatusLine(const layout::TwipsRect& overlay, int dpi) {
    return PixelRect(layout::StatusLineIn(overlay), dpi);
}

void DrawBusyOverlay(HDC dc, const BusyOverlayLook& look) {
    if (look.sandClock != nullptr) {
        const RECT place = PixelRect(layout::SandClockIn(look.overlay), look.dpi);
        const MemoryDc memory(::CreateCompatibleDC(dc));
        SelectGuard select(memory.Get(), look.sandClock);
        // At other DPIs the picture is scaled; halftone keeps its outline smooth.
        ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, place.left, place.top, place.right - place.left, place.bottom - place.top, memory.Get(), 0, 0,
                     layout::kSandClockPixelsWide, layout::kSandClockPixelsHigh, SRCCOPY);
    }
    if (look.status.empty()) return;
    RECT line = BusyStatusLine(look.overlay, look.dpi);
    SelectGuard font(dc, look.statusFont);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ToColorRef(layout::kStatusColour));
    ::DrawTextW(dc, look.status.c_str(), static_cast<int>(look.status.size()), &line,
                DT_CENTER | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace corvane::win32
