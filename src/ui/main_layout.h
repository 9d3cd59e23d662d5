#pragma once
#include "ui/layout_units.h"

namespace corvane::layout {

// Geometry of the main window in twips.
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

constexpr int kOptionLeft = 240;
constexpr int kOptionWidth = 3010;
constexpr int kOptionHeight = 560;
constexpr double kOptionPoints = 24;
constexpr int kOptionTops[3] = {390, 1020, 1650};  // OBESP, OBPOR, OBENG
constexpr Rgb kOptionColours[3] = {kSpanishBlue, kPortugueseGreen, kEnglishRed};
constexpr const char* kOptionCaptions[3] = {"Español", "Português", "English"};

constexpr TwipsRect kCancelButton{8550, 6090, 130, 190};  // outside the window: Esc only

}  // namespace corvane::layout
