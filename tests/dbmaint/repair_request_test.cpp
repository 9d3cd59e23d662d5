#include "dbmaint/repair_request.h"

#include <gtest/gtest.h>

#include "dbmaint/shared_drive.h"
#include "support/fakes.h"

namespace corvane {
namespace {

class Discovery : public ::testing::Test, public testing::RunHarness {
protected:
    Discovery() {
        state.mainMachineName = "Monitor";
        state.devMachineMarker = "K305";
        state.uiLanguageCode = "1";
    }
    void Share(const std::string& server) {
        std::filesystem::create_directories(drives.root / "unc" / server / "g" / "Shared");
    }
};

TEST_F(Discovery, OnlyTheApplicableRuleIsTried) {
    struct Case {
        const char* what;
        const char* computer;
        const char* devFlag;
        bool localShared, mainShared, share;
        const char* root;
        std::vector<std::string> looked;
    } const cases[] = {
        {"developer machine", "DEV-K305", "YES", true, true, true, "D:", {"D:\\Shared"}},
        {"developer machine without D:\\Shared", "DEV-K305", "YES", false, true, true, "", {"D:\\Shared"}},
        {"developer acting as Monitor", "Monitor", "YES", true, true, true, "D:", {"D:\\Shared"}},
        {"main machine, any letter case", "MONITOR", "", true, true, true, "G:", {"G:\\Shared"}},
        {"main machine without G:\\Shared", "monitor", "", true, false, true, "", {"G:\\Shared"}},
        {"another machine", "POS1", "", true, true, true, "\\\\Monitor\\G",
         {"\\\\Monitor\\G\\", "\\\\Monitor\\G\\Shared"}},
        {"another machine, main machine unreachable", "POS1", "", true, true, false, "", {"\\\\Monitor\\G\\"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(drives.root / "d");
        std::filesystem::remove_all(drives.root / "g");
        std::filesystem::remove_all(drives.root / "unc");
        if (c.localShared) drives.MakeFolder("D:\\Shared");
        if (c.mainShared) std::filesystem::create_directories(drives.root / "g" / "Shared");
        if (c.share) Share("monitor");
        state.computerName = c.computer;
        state.devMachineFlag = c.devFlag;
        state.sharedDriveRoot.clear();
        files.lookedUp.clear();
        FindSharedDrive(context);
        EXPECT_EQ(state.sharedDriveRoot, c.root) << c.what;
        EXPECT_EQ(files.lookedUp, c.looked) << c.what;
    }
}

TEST_F(Discovery, ARootFoundOnceStaysWhenTheMainMachineGoesAway) {
    state.computerName = "POS1";
    Share("monitor");
    FindSharedDrive(context);
    ASSERT_EQ(state.sharedDriveRoot, "\\\\Monitor\\G");
    std::filesystem::remove_all(drives.root / "unc");
    FindSharedDrive(context);
    EXPECT_EQ(state.sharedDriveRoot, "\\\\Monitor\\G");
}

TEST_F(Discovery, AFileNamedSharedIsNoSharedFolder) {
    state.computerName = "MONITOR";
    std::filesystem::create_directories(drives.root / "g");
    drives.WriteFile("G:\\Shared", "not a folder");
    FindSharedDrive(context);
    EXPECT_EQ(state.sharedDriveRoot, "");
}

class RepairRequest : public Discovery {
protected:
    void Request() { LBLDBREPAIRFG_Click(run); }
};

const std::string kRetryText = "NO Hay Conexion con la Maquina 'Monitor'!!!\rIntentamos de Nuevo?";

TEST_F(RepairRequest, NoConnectionAsksToRetryAndNoLeavesTheProgramRunning) {
    state.computerName = "POS1";
    dialogs.onShow = [this](const MessageBoxRequest&) { EXPECT_TRUE(window.busy) << "the overlay stays up"; };
    Request();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const MessageBoxRequest& box = dialogs.shown[0];
    EXPECT_EQ(box.title, "ATENCION!!!");
    EXPECT_EQ(box.text, kRetryText);
    EXPECT_EQ(box.buttons, Buttons::YesNo);
    EXPECT_EQ(box.icon, Icon::Question);
    EXPECT_EQ(box.defaultButton, 2);
    EXPECT_TRUE(box.foreground);
    EXPECT_EQ(window.events, (std::vector<std::string>{"busy", "idle"}));
    EXPECT_FALSE(process.endedWith);
}

TEST_F(RepairRequest, RetryFindsTheShareOnceItIsBack) {
    state.computerName = "POS1";
    dialogs.answers = {Answer::Yes, Answer::Yes};
    int asked = 0;
    dialogs.onShow = [&](const MessageBoxRequest&) {
        if (++asked == 2) Share("monitor");
    };
    Request();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(state.sharedDriveRoot, "\\\\Monitor\\G");
    EXPECT_EQ(window.events.back(), "idle");
}

TEST_F(RepairRequest, ADeveloperMachineIsOfferedALocalRunWhoseNoEndsTheProgram) {
    state.computerName = "DEV-K305";
    state.devMachineFlag = "YES";
    Request();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    const MessageBoxRequest& local = dialogs.shown[1];
    EXPECT_EQ(local.title, ":)");
    EXPECT_EQ(local.text, "Rodamos en Modo 'LOCAL'?");
    EXPECT_EQ(local.buttons, Buttons::YesNo);
    EXPECT_EQ(local.icon, Icon::Question);
    EXPECT_EQ(local.defaultButton, 1);
    EXPECT_TRUE(local.foreground);
    EXPECT_EQ(process.endedWith, 0);
}

TEST_F(RepairRequest, ALocalRunScansDriveD) {
    state.computerName = "DEV-K305";
    state.devMachineFlag = "YES";
    dialogs.answers = {Answer::No, Answer::Yes};
    // D:\Shared appears only once the retry question is up: the first look
    // found nothing, and the local run scans it all the same.
    dialogs.onShow = [this](const MessageBoxRequest& box) {
        if (box.title != "ATENCION!!!" || box.buttons != Buttons::YesNo) return;
        drives.MakeFolder("D:\\Shared");
        drives.WriteFile("D:\\Shared\\Cuebay abc 0000000001.mdb", "");
        drives.WriteFile("D:\\Shared\\Cuebay abc 0000000002.mdb", "");
    };
    Request();
    EXPECT_EQ(state.sharedDriveRoot, "D:");
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_NE(dialogs.shown[2].text.find("\rD:\\Shared\\\r"), std::string::npos) << dialogs.shown[2].text;
    EXPECT_EQ(dialogs.shown[2].icon, Icon::Stop);
}

TEST_F(RepairRequest, ADeveloperActingAsAnotherMachineIsNotOfferedALocalRun) {
    state.computerName = "Monitor";
    state.devMachineFlag = "YES";
    Request();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, kRetryText);
    EXPECT_FALSE(process.endedWith);
    EXPECT_EQ(window.events, (std::vector<std::string>{"busy", "idle"}));
}

}  // namespace
}  // namespace corvane
