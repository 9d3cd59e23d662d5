#include "ui/restore_model.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

constexpr int kKeystone = 3, kPantry = 5;
constexpr const char* kLive = "G:\\Shared\\Keystone 12345 0000000001.mdb";

std::string Database(char fill) { return testing::Database(1, 1, fill); }

// The main machine's shared data folder with a live Keystone database and
// three of its backups, and the restore screen opened over the main window.
class FrmNetwork : public ::testing::Test {
protected:
    FrmNetwork() {
        h.state.computerName = "MONITOR";
        h.state.mainMachineName = "Monitor";
        h.state.sharedDataFolderPath = "G:\\Shared";
        h.drives.MakeFolder("G:\\Shared\\_BackUps");
        h.drives.WriteFile(kLive, Database('L'));
        for (const char* stamp : {"261201-0400", "261203-0400", "261202-0400"}) {
            h.drives.WriteFile(std::string("G:\\Shared\\_BackUps\\Keystone a ") + stamp + ".mdb",
                               Database(stamp[5]));
        }
        h.drives.WriteFile("G:\\Shared\\_BackUps\\Tollgate a 261201-0400.mdb", Database('T'));
    }
    void OpenAndList(int element) {
        model.Open(window);
        model.ChooseKind(element);
    }

    testing::Harness h;
    testing::FakeWaiter waiter{h.clock};
    testing::RecordingWindow window;
    testing::FakeEngine engine{h.drives};
    RestoreModel model{h.context, engine, waiter};
};

TEST_F(FrmNetwork, NoBackupsShowTwoMessageRowsAndNoRestoreButton) {
    for (const bool folderMissing : {false, true}) {
        if (folderMissing) std::filesystem::remove_all(h.drives.Local("G:\\Shared\\_BackUps"));
        OpenAndList(kPantry);
        const RestoreScreen& screen = model.Screen();
        ASSERT_EQ(screen.rows.size(), 2u) << folderMissing;
        EXPECT_EQ(screen.rows[0].text, "NO HAY BackUps");
        EXPECT_EQ(screen.rows[1].text, ":(");
        EXPECT_FALSE(screen.restoreButtonShown);
    }
}

TEST_F(FrmNetwork, AChoiceOutsideTheTableListsNothing) {
    OpenAndList(kKeystone);
    const std::vector<BackupListRow> rows = model.Screen().rows;
    for (const int element : {-1, kRestorableCount, kKindChoices}) {
        model.ChooseKind(element);
        EXPECT_EQ(model.Screen().checkedChoice, kKeystone) << element;
        EXPECT_EQ(model.Screen().rows.size(), rows.size()) << element;
        EXPECT_FALSE(model.Screen().busy.shown) << element;
    }
    EXPECT_EQ(waiter.waits, 1);
}

TEST_F(FrmNetwork, ClosingWhileBusyEndsTheProgramOtherwiseTheMainWindowReturns) {
    OpenAndList(kKeystone);
    waiter.onWait = [&](int) { model.CloseRequest(); };
    model.ChooseKind(kKeystone);
    EXPECT_EQ(h.process.endedWith, 0);

    // Closed during the restore's wait: the run ends there, with no box and
    // nothing touched.
    h.drives.WriteFile("G:\\Shared\\Keystone 12345 0000000001.ldb", "POS2");
    waiter.onWait = nullptr;
    waiter.endingAt = waiter.waits + 1;
    model.ClickRow(0);
    h.dialogs.answers = {Answer::Yes};
    model.ClickRestore();
    EXPECT_EQ(h.dialogs.shown.size(), 1u) << "the question only";
    EXPECT_EQ(h.drives.ReadFile(kLive), Database('L'));

    testing::Harness other;
    testing::FakeWaiter otherWaiter{other.clock};
    RestoreModel idle{h.context, engine, otherWaiter};
    idle.Open(window);
    idle.Back();
    EXPECT_FALSE(idle.Screen().windowShown);
    ASSERT_FALSE(window.events.empty());
    EXPECT_EQ(window.events.back(), "shown");
}

TEST_F(FrmNetwork, RestoreNeedsARowThenAsksWithNoPreselected) {
    OpenAndList(kKeystone);
    for (const int row : {-1, 3}) model.ClickRow(row);
    ASSERT_EQ(model.Screen().selectedRow, -1) << "no row before the first or past the last";
    model.ClickRestore();
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_EQ(h.dialogs.shown[0].text, "Hay Que Elegir una Fecha!!!");
    EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Stop);

    model.ClickRow(0);
    EXPECT_EQ(model.Screen().selectedRow, 0);
    h.dialogs.answers = {Answer::No};
    model.ClickRestore();
    ASSERT_EQ(h.dialogs.shown.size(), 2u) << "No shows nothing more";
    const MessageBoxRequest& question = h.dialogs.shown[1];
    EXPECT_EQ(question.text, "Restauramos la Base 'Keystone'?");
    EXPECT_EQ(question.defaultButton, 2);
    EXPECT_EQ(question.icon, Icon::Question);
    EXPECT_EQ(model.Screen().selectedRow, -1);
    EXPECT_EQ(h.drives.ReadFile(kLive), Database('L'));
}

}  // namespace
}  // namespace corvane
