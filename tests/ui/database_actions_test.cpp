#include "ui/database_actions.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fakes.h"

namespace corvane {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr const char* kKeystone = "G:\\Shared\\Keystone abc 0000000001.mdb";
constexpr const char* kPantry = "G:\\Shared\\Pantry abc 0000000001.mdb";

// DB REPAIR pressed on the main machine: the run behind the main window,
// its history in Corvane.log.
struct Press : testing::RunHarness {
    Press() {
        state.computerName = "MONITOR";
        state.mainMachineName = "Monitor";
        state.devMachineMarker = "K305";
        state.sharedDataFolderPath = "G:\\Shared";
        state.sharedFolderFound = true;
        state.versionString = "v25.0.0";
        drives.MakeFolder("G:\\Shared");
        drives.WriteFile(kKeystone, "k");
        drives.WriteFile(kPantry, "p");
        engine.version = "3.5";  // repaired in place: a big file is never copied
    }
    void Repair() { actions.RepairRequest(window, progress); }
    std::string Log() const { return drives.ReadFile("E:\\Corvane\\Corvane.log"); }

    RestoreModel restore{context, waiter};
    DatabaseActions actions{context, engine, waiter, restore};
};

TEST(DatabaseActions, ARunNearTheLimitEndsWithOneBoxNamingOnlyTheBigDatabase) {
    Press p;
    std::filesystem::resize_file(p.drives.Local(kKeystone), 1650 * kMiB);  // sparse
    p.Repair();
    ASSERT_EQ(p.dialogs.shown.size(), 3u);
    EXPECT_EQ(p.dialogs.shown[0].text, "Keystone OK!");
    EXPECT_EQ(p.dialogs.shown[1].text, "Pantry OK!");
    const MessageBoxRequest& warning = p.dialogs.shown[2];
    EXPECT_EQ(warning.title, "ATENCION!!!");
    EXPECT_EQ(warning.icon, Icon::Warning);
    EXPECT_NE(warning.text.find("\rKeystone: 1650,0 MB\r"), std::string::npos) << warning.text;
    EXPECT_EQ(warning.text.find("Pantry"), std::string::npos) << "the small database is not named";
    EXPECT_EQ(p.window.events, (std::vector<std::string>{"busy", "idle"})) << "the box comes after the run";
    EXPECT_NE(p.Log().find(" MONITOR AVISO Keystone: 1650,0 MB, pasa de las tres cuartas partes del limite de 2 GB "
                           "de Access\r\n"),
              std::string::npos);
    EXPECT_EQ(p.Log().find("AVISO Pantry"), std::string::npos);
}

TEST(DatabaseActions, EachRunIsFramedInTheLogAndAnEndingProgramStillClosesIt) {
    struct Case {
        const char* what;
        std::function<void(Press&)> arrange;
        const char* last;
    } const cases[] = {
        {"all done", [](Press&) {}, "Fin: todas las bases reparadas o compactadas"},
        {"a row failed",
         [](Press& p) {
             p.engine.failures["Pantry abc 0000000001.mdb"] =
                 EngineStatus::Fail(EngineFault::Failed, 3049, "RepairDatabase", "Corrupt.");
         },
         "Fin: alguna base fallo"},
        {"duplicates end the program",
         [](Press& p) { p.drives.WriteFile("G:\\Shared\\Pantry abd 0000000002.mdb", "p"); },
         "Fin: el programa se cerro antes de terminar"},
    };
    for (const Case& c : cases) {
        Press p;
        c.arrange(p);
        p.Repair();
        const std::string log = p.Log();
        EXPECT_EQ(log.substr(20, log.find("\r\n") - 20), "MONITOR Inicio: DB REPAIR, Corvane v25.0.0") << c.what;
        const std::size_t last = log.rfind("\r\n", log.size() - 3);
        EXPECT_EQ(log.substr(last + 2 + 20), "MONITOR " + std::string(c.last) + "\r\n") << c.what;
        EXPECT_EQ(log.find("AVISO"), std::string::npos) << c.what;
    }
}

}  // namespace
}  // namespace corvane
