#include "ui/busy_overlay.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// The line's wording with a status is pinned through the main window's model;
// here what both screens' overlays share beyond it.
TEST(BusyOverlay, AChangeIsOneOfTheLineAndHidingForgetsTheLine) {
    BusyOverlay busy;
    busy.Show();
    EXPECT_TRUE(busy.shown && busy.hourglass);
    EXPECT_TRUE(busy.SetCopyProgress(0));
    EXPECT_EQ(busy.Text(), "0 %") << "a copy's start is shown without a status";
    EXPECT_FALSE(busy.SetCopyProgress(0));
    EXPECT_FALSE(busy.SetStatus({RunAction::None, "Keystone", 1, 2})) << "nothing to show, before and after";
    EXPECT_TRUE(busy.SetStatus({RunAction::Waiting, "Keystone", 0, 0, 11}));
    EXPECT_FALSE(busy.SetStatus({RunAction::Waiting, "Keystone", 0, 0, 11}));
    EXPECT_TRUE(busy.SetStatus({RunAction::Waiting, "Keystone", 0, 0, 12}));
    EXPECT_EQ(busy.Text(), "Esperando Keystone: 12 s  0 %");

    busy.Hide();
    EXPECT_FALSE(busy.shown || busy.hourglass);
    EXPECT_EQ(busy.Text(), "");
    EXPECT_TRUE(busy.SetCopyProgress(0)) << "the percentage was forgotten too";
}

}  // namespace
}  // namespace corvane
