#include "dbmaint/shared_drive.h"

#include <gtest/gtest.h>

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
    // As the start-up leaves it: the folder chosen, not yet looked for.
    void Find() {
        state.sharedDataFolderPath = SharedFolder(state);
        FindSharedDrive(context);
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
        bool found;
        std::vector<std::string> looked;
    } const cases[] = {
        {"developer machine", "DEV-K305", "YES", true, true, true, true, {"D:\\Shared"}},
        {"developer machine without D:\\Shared", "DEV-K305", "YES", false, true, true, false, {"D:\\Shared"}},
        {"developer acting as Monitor", "Monitor", "YES", true, true, true, true, {"D:\\Shared"}},
        {"main machine, any letter case", "MONITOR", "", true, true, true, true, {"G:\\Shared"}},
        {"main machine without G:\\Shared", "monitor", "", true, false, true, false, {"G:\\Shared"}},
        {"another machine", "POS1", "", true, true, true, true, {"\\\\Monitor\\G\\", "\\\\Monitor\\G\\Shared"}},
        {"another machine, main machine unreachable", "POS1", "", true, true, false, false, {"\\\\Monitor\\G\\"}},
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
        state.sharedFolderFound = false;
        files.lookedUp.clear();
        Find();
        EXPECT_EQ(state.sharedFolderFound, c.found) << c.what;
        EXPECT_EQ(files.lookedUp, c.looked) << c.what;
    }
}

TEST_F(Discovery, AFolderFoundOnceStaysFoundWhenTheMainMachineGoesAway) {
    state.computerName = "POS1";
    Share("monitor");
    Find();
    ASSERT_TRUE(state.sharedFolderFound);
    std::filesystem::remove_all(drives.root / "unc");
    Find();
    EXPECT_TRUE(state.sharedFolderFound);
}

TEST_F(Discovery, AFileNamedSharedIsNoSharedFolder) {
    state.computerName = "MONITOR";
    std::filesystem::create_directories(drives.root / "g");
    drives.WriteFile("G:\\Shared", "not a folder");
    Find();
    EXPECT_FALSE(state.sharedFolderFound);
}

}  // namespace
}  // namespace corvane
