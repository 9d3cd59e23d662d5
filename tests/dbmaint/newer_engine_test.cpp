// Engines newer than DAO 3.6 answer another version and have no repair: the
// run finds out at its first repair and goes on as a compaction run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "dbmaint/db_compact.h"
#include "dbmaint/db_repair.h"
#include "support/fakes.h"

namespace corvane {
namespace {

const std::string kKeystone = "Keystone abc 0000012345.mdb";
const std::string kStaffroll = "Staffroll abc 0000012345.mdb";

struct NewerEngineVenue : testing::RunHarness {
    NewerEngineVenue() {
        AtTheMainMachine();
        drives.WriteFile("G:\\Shared\\" + kKeystone, "Keystone data");
        drives.WriteFile("G:\\Shared\\" + kStaffroll, "Staffroll data");
        engine.version = "14.0";
    }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count_if(engine.calls.begin(), engine.calls.end(), [&](const std::string& made) {
            return made.rfind(call + " ", 0) == 0;
        }));
    }
};

EngineStatus Unsupported(unsigned long code, const char* text) {
    return EngineStatus::Fail(EngineFault::Unsupported, code, "RepairDatabase", text);
}

TEST(NewerEngine, OnlyAFirstRepairThatTheEngineLacksTurnsTheRunIntoACompaction) {
    struct Case {
        const char* what;
        std::string file;  // whose repair answers so
        EngineStatus answer;
        bool compacts;
        std::vector<std::string> boxes;
    } const cases[] = {
        {"repair works", kKeystone, EngineStatus::Ok(), false, {"Keystone OK!", "Staffroll OK!"}},
        {"unknown name", kKeystone, Unsupported(0x80020006, "Unknown name."), true,
         {"Keystone OK!\rStaffroll OK!\r"}},
        {"not a member", kKeystone, Unsupported(0x80020003, "Member not found."), true,
         {"Keystone OK!\rStaffroll OK!\r"}},
        {"DAO 3251", kKeystone, Unsupported(3251, "Operation is not supported for this type of object."), true,
         {"Keystone OK!\rStaffroll OK!\r"}},
        {"the first database is damaged", kKeystone,
         EngineStatus::Fail(EngineFault::Failed, 3049, "RepairDatabase", "Damaged."), false,
         {"ERROR en Keystone", "Staffroll OK!"}},
        {"the engine went away", kKeystone,
         EngineStatus::Fail(EngineFault::Missing, 0x800706BA, "DBEngine", "The RPC server is unavailable."), false,
         {"ERROR en Keystone", "Staffroll OK!"}},
        {"a later repair says unsupported", kStaffroll, Unsupported(3251, "Operation is not supported."), false,
         {"Keystone OK!", "ERROR en Staffroll"}},
    };
    for (const Case& c : cases) {
        NewerEngineVenue m;
        m.engine.repairFailures[c.file] = c.answer;
        const RepairOutcome outcome = DBRepair(m.run);
        EXPECT_EQ(m.dialogs.Texts(), c.boxes) << c.what;
        EXPECT_EQ(m.Count("Repair"), c.compacts ? 1 : 2) << c.what;
        EXPECT_EQ(m.Count("Compact"), c.compacts ? 2 : 0) << c.what;
        const std::string mark = c.compacts ? testing::FakeEngine::kCompactedMark : "";
        EXPECT_EQ(m.drives.ReadFile("G:\\Shared\\" + kKeystone), "Keystone data" + mark) << c.what;
        if (c.compacts) {
            EXPECT_EQ(outcome, RepairOutcome::AllDone) << c.what;
        }
    }
}

// The history says why the run compacts, before the first compaction, and
// the debug log's record says the same.
TEST(NewerEngine, TheHistoryAndTheDebugLogSayWhyTheRunCompacts) {
    NewerEngineVenue m;
    m.state.debugLogPath = "E:\\Corvane\\debug.deb";
    m.drives.MakeFolder("E:\\Corvane");
    m.engine.repairFailures[kKeystone] = Unsupported(3251, "Operation is not supported for this type of object.");
    DBRepair(m.run);
    const std::string why =
        "El motor 14.0 no repara bases de datos (3251 | Operation is not supported for this type of object.): "
        "se compactan";
    const std::string history = m.drives.ReadFile("E:\\Corvane\\Corvane.log");
    const std::size_t said = history.find(" " + why + "\r\n");
    ASSERT_NE(said, std::string::npos) << history;
    EXPECT_LT(said, history.find("Compactando Keystone (1 de 2)")) << "said before the compaction begins";
    EXPECT_NE(m.drives.ReadFile(m.state.debugLogPath).find("\"DBRepair: " + why + "\""), std::string::npos);
}

}  // namespace
}  // namespace corvane
