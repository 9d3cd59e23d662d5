#pragma once
#include <cstdint>

namespace corvane::layout {

// The screens were designed in twips (1440 a logical inch); views convert
// with the window's real DPI.
struct TwipsRect {
    int left, top, width, height;
};

struct Rgb {
    std::uint8_t r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr int kTwipsPerInch = 1440;

// Twips to device pixels at a given DPI, rounded to the nearest pixel.
constexpr int ToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + kTwipsPerInch / 2) / kTwipsPerInch
                                        : -((-scaled + kTwipsPerInch / 2) / kTwipsPerInch));
}

// A rectangle in device pixels; right and bottom lie just outside it.
struct PixelEdges {
    int left, top, right, bottom;
};

// Each edge rounded on its own, not the size: rectangles that touch in twips
// then touch in pixels, with neither a gap nor an overlap between them.
constexpr PixelEdges ToPixels(const TwipsRect& place, int dpi) {
    return {ToPixels(place.left, dpi), ToPixels(place.top, dpi), ToPixels(place.left + place.width, dpi),
            ToPixels(place.top + place.height, dpi)};
}

// A point size to a font height in pixels (negative: the character height).
constexpr int FontHeight(double points, int dpi) {
    const double pixels = points * dpi / 72.0;
    return -static_cast<int>(pixels + 0.5);
}

// The busy overlay (FrameCLOCK) of either screen: the sand clock centred in
// it, and the run's status line under the clock, across the overlay.
constexpr int kSandClockWidth = 2430;
constexpr int kSandClockHeight = 2400;
constexpr int kSandClockPixelsWide = 162;
constexpr int kSandClockPixelsHigh = 160;
constexpr double kStatusPoints = 12;
constexpr Rgb kStatusColour{64, 64, 64};

// Both in the coordinates the overlay's own rectangle is given in.
constexpr TwipsRect SandClockIn(const TwipsRect& overlay) {
    return {overlay.left + static_cast<int>(overlay.width / 2.0 - kSandClockWidth / 2.0),
            overlay.top + static_cast<int>(overlay.height / 2.0 - kSandClockHeight / 2.0), kSandClockWidth,
            kSandClockHeight};
}
constexpr TwipsRect StatusLineIn(const TwipsRect& overlay) {
    const TwipsRect clock = SandClockIn(overlay);
    return {overlay.left + 240, clock.top + clock.height + 120, overlay.width - 480, 900};
}

}  // namespace corvane::layout
