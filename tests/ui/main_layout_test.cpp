#include "ui/main_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ui/restore_layout.h"

namespace corvane::layout {
namespace {

// The DPIs a venue's screens run at: 100 %, 125 % and 150 %.
constexpr int kDpis[] = {96, 120, 144};

// Edges rounded one by one could still drift from the size they stand for,
// and sizes rounded one by one would open gaps or overlaps a pixel wide
// between neighbours: neither may happen, wherever the shared edge falls.
TEST(Layout, RectanglesThatTouchInTwipsTouchInPixels) {
    for (const int dpi : kDpis) {
        for (int start = -120; start < 600; start += 7) {
            for (int edge = start; edge < start + 1500; edge += 13) {
                const TwipsRect before{start, start, edge - start, edge - start};
                const TwipsRect after{edge, edge, 345, 345};
                const PixelEdges a = ToPixels(before, dpi);
                const PixelEdges b = ToPixels(after, dpi);
                ASSERT_EQ(a.right, b.left) << "edge " << edge << " at " << dpi << " dpi";
                ASSERT_EQ(a.bottom, b.top) << "edge " << edge << " at " << dpi << " dpi";
                const double exact = (edge - start) * dpi / static_cast<double>(kTwipsPerInch);
                ASSERT_LE(std::abs(a.right - a.left - exact), 1.0) << "width " << edge - start << " at " << dpi;
                ASSERT_LE(std::abs(a.bottom - a.top - exact), 1.0) << "height " << edge - start << " at " << dpi;
            }
        }
    }
}

// The sand clock stands in the middle of either screen's overlay, and the
// status line under it keeps the same margin on both sides, as the panel
// that carries the overlay measures them on screen.
TEST(Layout, SandClockMarginsAreEqualOnBothScreens) {
    struct Case {
        const char* name;
        TwipsRect panel;  // where the overlay's panel stands in its window
    } const cases[] = {
        {"main window", {0, 0, kWindowWidth, kWindowHeight}},
        {"restore screen", restore::kFrameClock},
    };
    for (const Case& c : cases) {
        const TwipsRect overlay{0, 0, c.panel.width, c.panel.height};
        for (const int dpi : kDpis) {
            const PixelEdges panel = ToPixels(c.panel, dpi);
            const int width = panel.right - panel.left;
            const int height = panel.bottom - panel.top;
            const PixelEdges clock = ToPixels(SandClockIn(overlay), dpi);
            const PixelEdges status = ToPixels(StatusLineIn(overlay), dpi);
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(dpi) + " dpi");
            EXPECT_LE(std::abs(clock.left - (width - clock.right)), 1);
            EXPECT_LE(std::abs(clock.top - (height - clock.bottom)), 1);
            EXPECT_LE(std::abs(status.left - (width - status.right)), 1);
            EXPECT_GT(status.top, clock.bottom);
            EXPECT_LE(status.bottom, height);
        }
    }
}

// At 96 dpi the picture is drawn as it is, never scaled: a blurred sand clock
// would mean its twips no longer match its pixels.
TEST(Layout, SandClockIsThePicturePixelForPixelAt96Dpi) {
    const PixelEdges clock = ToPixels(SandClockIn({0, 0, kWindowWidth, kWindowHeight}), 96);
    EXPECT_EQ(clock.right - clock.left, kSandClockPixelsWide);
    EXPECT_EQ(clock.bottom - clock.top, kSandClockPixelsHigh);
}

}  // namespace
}  // namespace corvane::layout
