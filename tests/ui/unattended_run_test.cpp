#include "ui/unattended_run.h"

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "support/fakes.h"

namespace corvane {
namespace {

// The main machine at night: its shared data folder, the engine and the log.
struct Night : testing::RunHarness {
    Night() {
        state.computerName = "MONITOR";
        state.mainMachineName = "Monitor";
        state.devMachineMarker = "K305";
        state.sharedDriveRoot = "G:";
        drives.MakeFolder("G:\\Shared");
        drives.MakeFolder("E:\\Corvane");
    }
    void Put(const std::string& name) { drives.WriteFile("G:\\Shared\\" + name, "data"); }
    int Run() { return RunUnattendedRepair(context, engine, waiter, log); }
    std::string Log() const { return drives.ReadFile("E:\\Corvane\\Corvane.log"); }

    RunLog log{context};
};

TEST(UnattendedRun, EachEndHasItsExitCode) {
    struct Case {
        const char* what;
        std::function<void(Night&)> arrange;
        int code;
    } const cases[] = {
        {"every database compacted", [](Night& n) { n.Put("Keystone abc 0000000001.mdb"); }, kExitDone},
        {"a row failed",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.Put("Pantry abc 0000000001.mdb");
             n.engine.failures["Pantry abc 0000000001.mdb"] =
                 EngineStatus::Fail(EngineFault::Failed, 3045, "CompactDatabase", "In use.");
         },
         kExitSomeFailed},
        {"nothing found", [](Night&) {}, kExitNothingDone},
        {"no engine",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.engine.start = EngineStatus::Fail(EngineFault::Missing, 0x80040154, "CoCreateInstance", "Not registered");
         },
         kExitNothingDone},
        {"no connection", [](Night& n) { n.state.sharedDriveRoot.clear(); n.state.computerName = "POS1"; },
         kExitNothingDone},
    };
    for (const Case& c : cases) {
        Night n;
        c.arrange(n);
        EXPECT_EQ(n.Run(), c.code) << c.what;
    }
}

TEST(UnattendedRun, TheStatusLineIsLoggedWhenItSaysSomethingNew) {
    Night n;
    n.dialogs.answers.clear();
    n.Put("Keystone abc 0000000001.mdb");
    n.drives.WriteFile("G:\\Shared\\Keystone abc 0000000001.ldb", std::string("POS1") + std::string(60, '\0'));
    n.waiter.onWait = [&](int wait) {
        if (wait == 15) std::filesystem::remove(n.drives.Local("G:\\Shared\\Keystone abc 0000000001.ldb"));
    };
    EXPECT_EQ(n.Run(), kExitDone);
    const std::string log = n.Log();
    EXPECT_NE(log.find("MONITOR Compactando Keystone (1 de 1)\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("MONITOR Esperando Keystone: 11 s, en uso en POS1\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Esperando Keystone: 12 s"), std::string::npos) << "the seconds alone are no news";
}

TEST(UnattendedRun, ADatabaseNearTheLimitIsARecordAndNoBoxAndTheExitCodeStays) {
    Night n;
    n.engine.version = "3.5";
    n.Put("Keystone abc 0000000001.mdb");
    n.Put("Pantry abc 0000000001.mdb");
    std::filesystem::resize_file(n.drives.Local("G:\\Shared\\Keystone abc 0000000001.mdb"), 1650ull * 1024 * 1024);
    EXPECT_EQ(n.Run(), kExitDone);
    const std::string log = n.Log();
    EXPECT_NE(log.find("MONITOR AVISO Keystone: 1650,0 MB, pasa de"), std::string::npos) << log;
    EXPECT_EQ(log.find("AVISO Pantry"), std::string::npos) << log;
    for (const MessageBoxRequest& box : n.dialogs.shown) EXPECT_EQ(box.title, "Corvane") << box.text;
}

}  // namespace
}  // namespace corvane
