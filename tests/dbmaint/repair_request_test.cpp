#include "dbmaint/repair_request.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/fakes.h"

namespace corvane {
namespace {

class RepairRequest : public ::testing::Test, public testing::RunHarness {
protected:
    RepairRequest() {
        state.mainMachineName = "Monitor";
        state.devMachineMarker = "K305";
        state.uiLanguageCode = "1";
    }
    void Share(const std::string& server) {
        std::filesystem::create_directories(drives.root / "unc" / server / "g" / "Shared");
    }
    // The start-up chose the folder by the computer's name.
    void Request() {
        state.sharedDataFolderPath = SharedFolder(state);
        LBLDBREPAIRFG_Click(run);
    }
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
    EXPECT_TRUE(state.sharedFolderFound);
    ASSERT_FALSE(window.events.empty());
    EXPECT_EQ(window.events.back(), "idle");
}

// The test's dialogs end a question that comes back without end: the test
// program fails this test and goes on, where it would hang.
TEST_F(RepairRequest, RetryingForEverFailsTheTestInsteadOfHangingTheRun) {
    state.computerName = "POS1";
    dialogs.onShow = [&](const MessageBoxRequest&) { dialogs.answers.push_back(Answer::Yes); };
    EXPECT_THROW(Request(), std::runtime_error);
    EXPECT_EQ(dialogs.shown.size(), testing::ScriptedDialogs::kMostBoxes);
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
    EXPECT_TRUE(state.sharedFolderFound);
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
