#include "ui/main_layout.h"

#include <gtest/gtest.h>

namespace corvane::layout {
namespace {

TEST(MainLayout, TwipsBecomePixelsAtTheScreensDpi) {
    struct Case {
        int twips, dpi, pixels;
    } const cases[] = {
        {kWindowWidth, 96, 560}, {kWindowWidth, 144, 840}, {kWindowWidth, 120, 700},
        {kRepairShape.left, 96, 156}, {kRepairShape.width, 144, 356}, {7, 96, 0}, {8, 96, 1},
        {kCancelButton.left, 96, 570},  // beyond the 560-pixel window: never seen
    };
    for (const Case& c : cases) EXPECT_EQ(ToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
}

TEST(MainLayout, FontHeightsFollowTheDpi) {
    EXPECT_EQ(FontHeight(kButtonCaptionPoints, 96), -37);
    EXPECT_EQ(FontHeight(kButtonCaptionPoints, 144), -56);
    EXPECT_EQ(FontHeight(kOptionPoints, 96), -32);
    EXPECT_EQ(FontHeight(12, 96), -16);
}

TEST(MainLayout, SandClockIsCentredInTheOverlay) {
    const TwipsRect clock = SandClockIn(kWindowWidth, kWindowHeight);
    EXPECT_EQ(clock.left, 2985);
    EXPECT_EQ(clock.top, 3000);
    // 2430 x 2400 twips is the 162 x 160 picture at 96 dpi, pixel for pixel.
    EXPECT_EQ(ToPixels(clock.width, 96), kSandClockPixelsWide);
    EXPECT_EQ(ToPixels(clock.height, 96), kSandClockPixelsHigh);
}

}  // namespace
}  // namespace corvane::layout
