#include "dbmaint/repair_request.h"

#include <gtest/gtest.h>

#include "dbmaint/shared_drive.h"
#include "support/fakes.h"

namespace corvane {
namespace {

// Passes every call on and keeps the paths looked up, to see which rule ran.
class LookupRecorder : public MappedFileSystem {
public:
    using MappedFileSystem::MappedFileSystem;
    EntryKind Lookup(const std::string& path) override {
        looked.push_back(path);
        return MappedFileSystem::Lookup(path);
    }
    std::vector<std::string> looked;
};

class Discovery : public ::testing::Test {
protected:
    Discovery()
        : files(h.drives.root),
          context{h.state, files, h.dialogs, h.system, h.clock, h.instance, h.process, "E:\\Corvane", "Corvane"} {
        h.state.mainMachineName = "Monitor";
        h.state.devMachineMarker = "K305";
    }
    void Share(const std::string& server) {
        std::filesystem::create_directories(h.drives.root / "unc" / server / "g" / "Shared");
    }
    testing::Harness h;
    LookupRecorder files;
    AppContext context;
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
        std::filesystem::remove_all(h.drives.root / "d");
        std::filesystem::remove_all(h.drives.root / "g");
        std::filesystem::remove_all(h.drives.root / "unc");
        if (c.localShared) h.drives.MakeFolder("D:\\Shared");
        if (c.mainShared) std::filesystem::create_directories(h.drives.root / "g" / "Shared");
        if (c.share) Share("monitor");
        h.state.computerName = c.computer;
        h.state.devMachineFlag = c.devFlag;
        h.state.sharedDriveRoot.clear();
        files.looked.clear();
        FindSharedDrive(context);
        EXPECT_EQ(h.state.sharedDriveRoot, c.root) << c.what;
        EXPECT_EQ(files.looked, c.looked) << c.what;
    }
}

TEST_F(Discovery, ARootFoundOnceStaysWhenTheMainMachineGoesAway) {
    h.state.computerName = "POS1";
    Share("monitor");
    FindSharedDrive(context);
    ASSERT_EQ(h.state.sharedDriveRoot, "\\\\Monitor\\G");
    std::filesystem::remove_all(h.drives.root / "unc");
    FindSharedDrive(context);
    EXPECT_EQ(h.state.sharedDriveRoot, "\\\\Monitor\\G");
}

TEST_F(Discovery, AFileNamedSharedIsNoSharedFolder) {
    h.state.computerName = "MONITOR";
    std::filesystem::create_directories(h.drives.root / "g");
    h.drives.WriteFile("G:\\Shared", "not a folder");
    FindSharedDrive(context);
    EXPECT_EQ(h.state.sharedDriveRoot, "");
}

class RepairRequest : public Discovery {
protected:
    RepairRequest() { h.state.uiLanguageCode = "1"; }
    void Request() {
        DatabaseRun run{context, engine, waiter, window, progress};
        LBLDBREPAIRFG_Click(run);
    }
    testing::RecordingWindow window;
    testing::RecordingProgress progress;
    testing::FakeEngine engine{h.drives};
    testing::FakeWaiter waiter{h.clock};
};

const std::string kRetryText = "NO Hay Conexion con la Maquina 'Monitor'!!!\rIntentamos de Nuevo?";

TEST_F(RepairRequest, NoConnectionAsksToRetryAndNoLeavesTheProgramRunning) {
    h.state.computerName = "POS1";
    h.dialogs.onShow = [this](const MessageBoxRequest&) { EXPECT_TRUE(window.busy) << "the overlay stays up"; };
    Request();
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    const MessageBoxRequest& box = h.dialogs.shown[0];
    EXPECT_EQ(box.title, "ATENCION!!!");
    EXPECT_EQ(box.text, kRetryText);
    EXPECT_EQ(box.buttons, Buttons::YesNo);
    EXPECT_EQ(box.icon, Icon::Question);
    EXPECT_EQ(box.defaultButton, 2);
    EXPECT_TRUE(box.foreground);
    EXPECT_EQ(window.events, (std::vector<std::string>{"busy", "idle"}));
    EXPECT_FALSE(h.process.endedWith);
}

TEST_F(RepairRequest, RetryFindsTheShareOnceItIsBack) {
    h.state.computerName = "POS1";
    h.dialogs.answers = {Answer::Yes, Answer::Yes};
    int asked = 0;
    h.dialogs.onShow = [&](const MessageBoxRequest&) {
        if (++asked == 2) Share("monitor");
    };
    Request();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(h.state.sharedDriveRoot, "\\\\Monitor\\G");
    EXPECT_EQ(window.events.back(), "idle");
}

TEST_F(RepairRequest, ADeveloperMachineIsOfferedALocalRunWhoseNoEndsTheProgram) {
    h.state.computerName = "DEV-K305";
    h.state.devMachineFlag = "YES";
    Request();
    ASSERT_EQ(h.dialogs.shown.size(), 2u);
    const MessageBoxRequest& local = h.dialogs.shown[1];
    EXPECT_EQ(local.title, ":)");
    EXPECT_EQ(local.text, "Rodamos en Modo 'LOCAL'?");
    EXPECT_EQ(local.buttons, Buttons::YesNo);
    EXPECT_EQ(local.icon, Icon::Question);
    EXPECT_EQ(local.defaultButton, 1);
    EXPECT_TRUE(local.foreground);
    EXPECT_EQ(h.process.endedWith, 0);
}

TEST_F(RepairRequest, ALocalRunScansDriveD) {
    h.state.computerName = "DEV-K305";
    h.state.devMachineFlag = "YES";
    h.dialogs.answers = {Answer::No, Answer::Yes};
    // D:\Shared appears only once the retry question is up: the first look
    // found nothing, and the local run scans it all the same.
    h.dialogs.onShow = [this](const MessageBoxRequest& box) {
        if (box.title != "ATENCION!!!" || box.buttons != Buttons::YesNo) return;
        h.drives.MakeFolder("D:\\Shared");
        h.drives.WriteFile("D:\\Shared\\Cuebay abc 0000000001.mdb", "");
        h.drives.WriteFile("D:\\Shared\\Cuebay abc 0000000002.mdb", "");
    };
    Request();
    EXPECT_EQ(h.state.sharedDriveRoot, "D:");
    ASSERT_EQ(h.dialogs.shown.size(), 3u);
    EXPECT_NE(h.dialogs.shown[2].text.find("\rD:\\Shared\\\r"), std::string::npos) << h.dialogs.shown[2].text;
    EXPECT_EQ(h.dialogs.shown[2].icon, Icon::Stop);
}

TEST_F(RepairRequest, ADeveloperActingAsAnotherMachineIsNotOfferedALocalRun) {
    h.state.computerName = "Monitor";
    h.state.devMachineFlag = "YES";
    Request();
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_EQ(h.dialogs.shown[0].text, kRetryText);
    EXPECT_FALSE(h.process.endedWith);
    EXPECT_EQ(window.events, (std::vector<std::string>{"busy", "idle"}));
}

TEST_F(RepairRequest, AKnownRootAsksNothing) {
    h.state.computerName = "POS1";
    h.state.sharedDriveRoot = "\\\\Monitor\\G";
    Share("monitor");
    Request();
    EXPECT_TRUE(h.dialogs.shown.empty());
    EXPECT_EQ(window.events, (std::vector<std::string>{"busy", "idle"}));
}

}  // namespace
}  // namespace corvane
