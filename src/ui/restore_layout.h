#pragma once
#include "ui/layout_units.h"

namespace corvane::layout::restore {

// Geometry of frmNETWORK, the restore screen, in twips. The window's size is
// its outer size, frame included; everything inside FrameRESTOREDB is placed
// in the frame's own coordinates.
constexpr int kWindowWidth = 11640;
constexpr int kWindowHeight = 8925;

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// FrameRESTOREDB starts above the client area, so its border never shows;
// FrameCLOCK, the busy overlay, covers exactly the same rectangle.
constexpr TwipsRect kFrameRestore{0, -90, 11640, 9015};
constexpr TwipsRect kFrameClock = kFrameRestore;

constexpr TwipsRect kTitle{330, 330, 5025, 675};  // LBLDBBUTXT
constexpr const char* kTitleText = "BASES DE DATOS";
constexpr const char* kTitleFace = "Tahoma";
constexpr double kTitlePoints = 25.5;
constexpr Rgb kTitleBack{192, 0, 0};

// OBDB(0) to OBDB(11), one under the other; the last, never shown, stands
// 60 twips higher than the step would put it.
constexpr int kChoiceCount = 12;
constexpr TwipsRect ChoiceAt(int element) {
    return {330, element == 11 ? 6870 : 1320 + 510 * element, 5025, 360};
}
constexpr double kChoicePoints = 15.75;
constexpr Rgb kChoiceText{192, 64, 0};

// HFGDBBU. Only the text column is seen; the stamp and the two paths travel
// in columns of no width.
constexpr TwipsRect kBackupList{7200, 330, 2535, 6975};
constexpr double kListPoints = 12;
constexpr int kListColumns = 4;  // stamp, text, backup path, live path
constexpr int kListColumnWidths[kListColumns] = {0, 9000, 0, 0};
constexpr int kListTextColumn = 1;
constexpr Rgb kSelectedText = kWhite;
constexpr Rgb kSelectedBack{0, 0, 255};
constexpr Rgb kRowText = kBlack;
constexpr Rgb kRowBack = kWhite;

// LBLRESTOREFG: the rounded shape and its caption label.
constexpr TwipsRect kRestoreShape{7200, 7470, 2520, 795};
constexpr TwipsRect kRestoreCaption{7200, 7650, 2520, 435};
constexpr const char* kRestoreText = "RESTAURAR";
constexpr double kRestorePoints = 18;
constexpr Rgb kRestoreFill{192, 0, 192};
constexpr Rgb kRestoreCaptionColour = kWhite;

// LBLBACKFG: the caption stands in the middle of the shape.
constexpr TwipsRect kBackShape{150, 7470, 2340, 795};
constexpr const char* kBackText = "<<<";
constexpr double kBackPoints = 36;
constexpr Rgb kBackFill{255, 255, 0};
constexpr Rgb kBackCaptionColour = kBlack;

// In the window's client coordinates, right of the 11640-twip window: only
// Esc reaches it.
constexpr TwipsRect kCancelButton{11790, 7470, 130, 190};

}  // namespace corvane::layout::restore
