#include "ui/restore_model.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

constexpr int kKeystone = 3, kPantry = 5, kTollgate = 1;
constexpr const char* kLive = "G:\\Shared\\Keystone 12345 0000000001.mdb";

// A backup as the engine writes a database of the newer format: its
// signature, its version byte, one whole page.
std::string Database(char fill) {
    std::string bytes(4096, fill);
    const std::string head("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    bytes.replace(0, head.size(), head);
    bytes[0x14] = 1;
    return bytes;
}

// The main machine's shared data folder with a live Keystone database and
// three of its backups, and the restore screen opened over the main window.
class FrmNetwork : public ::testing::Test {
protected:
    FrmNetwork() {
        h.state.computerName = "MONITOR";
        h.state.mainMachineName = "Monitor";
        h.state.sharedDataFolderPath = "G:\\Shared";
        h.state.versionTitle = "(v25.0.0)(Win1x)";
        h.drives.MakeFolder("G:\\Shared\\_BackUps");
        h.drives.WriteFile(kLive, Database('L'));
        for (const char* stamp : {"261201-0400", "261203-0400", "261202-0400"}) {
            h.drives.WriteFile(std::string("G:\\Shared\\_BackUps\\Keystone a ") + stamp + ".mdb",
                               Database(stamp[5]));
        }
        h.drives.WriteFile("G:\\Shared\\_BackUps\\Tollgate a 261201-0400.mdb", Database('T'));
        model.SetObserver([this](bool now) { paintedNow += now ? 1 : 0; });
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
    int paintedNow = 0;
};

TEST_F(FrmNetwork, OpensInTheMainWindowsPlaceWithElevenChoicesAndNoneChosen) {
    bool busyWhileScanning = false;
    window.events.clear();
    h.dialogs.onShow = [](const MessageBoxRequest&) { FAIL() << "no question when the share is there"; };
    model.SetObserver([&](bool) { busyWhileScanning |= model.Screen().busy.shown; });
    model.Open(window);
    const RestoreScreen& screen = model.Screen();
    EXPECT_TRUE(busyWhileScanning);
    EXPECT_TRUE(screen.windowShown);
    EXPECT_FALSE(screen.busy.shown || screen.busy.hourglass);
    EXPECT_EQ(screen.caption, "Corvane (v25.0.0)(Win1x)");
    const std::array<std::string, kKindChoices> order = {
        "Playfield", "Tollgate", "Patrons", "Keystone",  "Festive", "Pantry",
        "Pantry Backlog", "Ledgers", "Cuebay", "Staffroll", "KS Solo", ""};
    EXPECT_EQ(screen.choiceCaptions, order);
    for (int i = 0; i < kKindChoices; ++i) EXPECT_EQ(screen.choiceShown[i], i < 11) << i;
    EXPECT_EQ(screen.checkedChoice, -1);
    EXPECT_FALSE(screen.restoreButtonShown);
    EXPECT_EQ(window.events, std::vector<std::string>{"hidden"});
}

TEST_F(FrmNetwork, AFolderThatCannotBeListedIsReportedAndTheMainWindowComesBack) {
    h.state.sharedDataFolderPath = "G:\\Otra";
    h.state.sharedFolderFound = true;  // found earlier, gone since
    model.Open(window);
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_EQ(h.dialogs.shown[0].text.substr(0, 50), "No se Puede Leer la Carpeta de las Bases de Datos\r");
    EXPECT_FALSE(model.Screen().windowShown);
    ASSERT_FALSE(window.events.empty());
    EXPECT_EQ(window.events.back(), "shown");
    EXPECT_FALSE(h.process.endedWith);
}

TEST_F(FrmNetwork, ListingWaitsASecondBusyThenShowsTheNewestFirst) {
    model.Open(window);
    waiter.onWait = [&](int) { EXPECT_TRUE(model.Screen().busy.shown); };
    model.ChooseKind(kKeystone);
    EXPECT_EQ(waiter.waits, 1);
    const RestoreScreen& screen = model.Screen();
    ASSERT_EQ(screen.rows.size(), 3u);
    EXPECT_EQ(screen.rows[0].stamp, "261203-0400");
    EXPECT_EQ(screen.rows[2].stamp, "261201-0400");
    EXPECT_EQ(screen.rows[0].livePath, kLive);
    EXPECT_TRUE(screen.restoreButtonShown);
    EXPECT_EQ(screen.checkedChoice, kKeystone);
    EXPECT_FALSE(screen.busy.shown);
}

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

TEST_F(FrmNetwork, WhileBusyChoicesRowsEscAndButtonsAreIgnored) {
    OpenAndList(kKeystone);
    model.ClickRow(1);
    waiter.onWait = [&](int) {
        model.ChooseKind(kTollgate);
        model.ClickRow(0);
        model.ClickRestore();
        model.Back();
    };
    model.ChooseKind(kKeystone);
    EXPECT_EQ(waiter.waits, 2);
    EXPECT_EQ(model.Screen().checkedChoice, kKeystone);
    ASSERT_FALSE(model.Screen().rows.empty());
    EXPECT_EQ(model.Screen().rows[0].backupPath.find("Tollgate"), std::string::npos);
    EXPECT_EQ(model.Screen().selectedRow, -1);
    EXPECT_TRUE(model.Screen().windowShown);
    EXPECT_TRUE(h.dialogs.shown.empty());
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

TEST_F(FrmNetwork, YesPutsTheBackupInPlaceAndKeepsTheListWithNothingSelected) {
    OpenAndList(kKeystone);
    model.ClickRow(0);
    h.dialogs.answers = {Answer::Yes};
    model.ClickRestore();
    EXPECT_EQ(h.drives.ReadFile(kLive), Database('3'));
    ASSERT_EQ(h.dialogs.shown.size(), 2u);
    EXPECT_EQ(h.dialogs.shown[1].text, "La Base fue Actualizada Exitosamente!");
    EXPECT_EQ(h.dialogs.shown[1].icon, Icon::None);
    EXPECT_EQ(model.Screen().rows.size(), 3u);
    EXPECT_EQ(model.Screen().selectedRow, -1);
    EXPECT_FALSE(model.Screen().busy.shown);
}

TEST_F(FrmNetwork, AKindWithoutALiveDatabaseIsRefusedBeforeTheQuestion) {
    OpenAndList(kTollgate);
    model.ClickRow(0);
    model.ClickRestore();
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_NE(h.dialogs.shown[0].text.find("No Hay una Base 'Tollgate'"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(h.drives.Local("G:\\Shared\\Tollgate a 261201-0400.mdb")));
}

TEST_F(FrmNetwork, ARestoreYieldsToAnotherRun) {
    const std::string lock = "G:\\Shared\\Corvane.run";
    std::unique_ptr<HeldFile> other;
    ASSERT_TRUE(h.drives.files.Hold(lock, other));
    ASSERT_TRUE(other->Rewrite("POS1\r\n/reparar\r\n2026-12-05 04:00:00\r\n"));
    OpenAndList(kKeystone);
    model.ClickRow(0);
    h.dialogs.answers = {Answer::Yes};
    model.ClickRestore();
    ASSERT_EQ(h.dialogs.shown.size(), 2u);
    EXPECT_EQ(h.dialogs.shown[1].text,
              "Corvane ya esta trabajando en estas bases desde POS1 (/reparar, desde las 04:00)");
    EXPECT_EQ(h.dialogs.shown[1].icon, Icon::Stop);
    EXPECT_EQ(h.drives.ReadFile(kLive), Database('L'));
    EXPECT_FALSE(model.Screen().busy.shown);
    EXPECT_EQ(model.Screen().selectedRow, -1);
}

}  // namespace
}  // namespace corvane
