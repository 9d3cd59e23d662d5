#pragma once
#include <cstdint>

namespace corvane::layout {

// Geometry of the main window in twips (1440 a logical inch), the unit the
// layout was designed in; views convert with the window's real DPI.
struct TwipsRect {
    int left, top, width, height;
};

struct Rgb {
    std::uint8_t r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr int kTwipsPerInch = 1440;

constexpr int kWindowWidth = 8400;
constexpr int kWindowHeight = 8400;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRepairRed{192, 0, 0};
constexpr Rgb kRestorePurple{192, 0, 192};
constexpr Rgb kSpanishBlue{0, 0, 255};
constexpr Rgb kPortugueseGreen{0, 192, 0};
constexpr Rgb kEnglishRed{255, 0, 0};

constexpr TwipsRect kFrameMain{0, 0, 8400, 8400};
constexpr TwipsRect kMessageLabel{120, 120, 8160, 4320};
constexpr TwipsRect kFrameLanguages{2520, 1560, 3375, 2535};

constexpr TwipsRect kRepairShape{2340, 3390, 3555, 1005};     // Shape1, LBLDBREPAIRFG
constexpr TwipsRect kRepairCaption{2340, 3570, 3555, 705};    // Label4
constexpr TwipsRect kRestoreShape{2190, 5850, 3885, 1005};    // Shape4, LBLRESTOREFG
constexpr TwipsRect kRestoreCaption{2190, 6030, 3885, 705};   // LBLRESTORE
constexpr double kButtonCaptionPoints = 27.75;

constexpr int kSandClockWidth = 2430;
constexpr int kSandClockHeight = 2400;
constexpr int kSandClockPixelsWide = 162;
constexpr int kSandClockPixelsHigh = 160;

constexpr int kOptionLeft = 240;
constexpr int kOptionWidth = 3010;
constexpr int kOptionHeight = 560;
constexpr double kOptionPoints = 24;
constexpr int kOptionTops[3] = {390, 1020, 1650};  // OBESP, OBPOR, OBENG
constexpr Rgb kOptionColours[3] = {kSpanishBlue, kPortugueseGreen, kEnglishRed};
constexpr const char* kOptionCaptions[3] = {"Español", "Português", "English"};

constexpr TwipsRect kCancelButton{8550, 6090, 130, 190};  // outside the window: Esc only

// The busy overlay's picture, centred in an overlay of the given size.
constexpr TwipsRect SandClockIn(int overlayWidth, int overlayHeight) {
    return {static_cast<int>(overlayWidth / 2.0 - kSandClockWidth / 2.0),
            static_cast<int>(overlayHeight / 2.0 - kSandClockHeight / 2.0), kSandClockWidth, kSandClockHeight};
}

// The run's status line, under the sand clock, across the overlay.
constexpr double kStatusPoints = 12;
constexpr Rgb kStatusColour{64, 64, 64};
constexpr TwipsRect StatusLineIn(int overlayWidth, int overlayHeight) {
    const TwipsRect clock = SandClockIn(overlayWidth, overlayHeight);
    return {240, clock.top + clock.height + 120, overlayWidth - 480, 900};
}

// Twips to device pixels at a given DPI, rounded to the nearest pixel.
constexpr int ToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + kTwipsPerInch / 2) / kTwipsPerInch
                                        : -((-scaled + kTwipsPerInch / 2) / kTwipsPerInch));
}

// A point size to a font height in pixels (negative: the character height).
constexpr int FontHeight(double points, int dpi) {
    const double pixels = points * dpi / 72.0;
    return -static_cast<int>(pixels + 0.5);
}

}  // namespace corvane::layout
