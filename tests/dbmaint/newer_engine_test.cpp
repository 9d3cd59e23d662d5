// Engines newer than DAO 3.6 answer another version and have no repair: the
// run finds out at its first repair and goes on as a compaction run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "dbmaint/db_compact.h"
#include "dbmaint/db_repair.h"
#include "support/fakes.h"

namespace corvane {
namespace {

const std::string kKeystone = "Keystone abc 0000012345.mdb";
const std::string kStaffroll = "Staffroll abc 0000012345.mdb";
const std::string kTollgate = "Tollgate abc 0000012345.mdb";

struct NewerEngineVenue : testing::RunHarness {
    explicit NewerEngineVenue(const std::vector<std::string>& names = {kKeystone, kStaffroll}) {
        AtTheMainMachine();
        for (const std::string& name : names) drives.WriteFile(Shared(name), name.substr(0, name.find(' ')) + " data");
        engine.version = "14.0";
    }
    static std::string Shared(const std::string& name) { return "G:\\Shared\\" + name; }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count_if(engine.calls.begin(), engine.calls.end(), [&](const std::string& made) {
            return made.rfind(call + " ", 0) == 0;
        }));
    }
};

EngineStatus Unsupported(unsigned long code, const char* text) {
    return EngineStatus::Fail(EngineFault::Unsupported, code, "RepairDatabase", text);
}
EngineStatus Lost(EngineFault fault) {
    return EngineStatus::Fail(fault, 0x800706BE, "RepairDatabase", "The remote procedure call failed.");
}

// The first call the engine replies to decides, whatever its place: rows
// before it only waited past their bound or lost the engine, so nothing was
// repaired and the compaction run takes every database, theirs too.
TEST(NewerEngine, TheFirstRepairTheEngineAnswersDecidesWhetherTheRunCompacts) {
    const EngineStatus dao3251 = Unsupported(3251, "Operation is not supported for this type of object.");
    struct Case {
        const char* what;
        std::map<std::string, EngineStatus> answers;  // by file: the repair answers so
        bool keystoneLockedPastBound;
        bool compacts;
        std::vector<std::string> boxes;
    } const cases[] = {
        {"repair works", {}, false, false, {"Keystone OK!", "Staffroll OK!"}},
        {"unknown name", {{kKeystone, Unsupported(0x80020006, "Unknown name.")}}, false, true,
         {"Keystone OK!\rStaffroll OK!\r"}},
        {"DAO 3251", {{kKeystone, dao3251}}, false, true, {"Keystone OK!\rStaffroll OK!\r"}},
        {"the first database is damaged",
         {{kKeystone, EngineStatus::Fail(EngineFault::Failed, 3049, "RepairDatabase", "Damaged.")}}, false, false,
         {"ERROR en Keystone", "Staffroll OK!"}},
        {"the engine went away, then repairs", {{kKeystone, Lost(EngineFault::Missing)}}, false, false,
         {"ERROR en Keystone", "Staffroll OK!"}},
        {"a later repair says unsupported", {{kStaffroll, dao3251}}, false, false,
         {"Keystone OK!", "ERROR en Staffroll"}},
        {"the first waits past its bound, then 3251", {{kStaffroll, dao3251}}, true, true,
         {"Keystone OK!\rStaffroll OK!\r"}},
        {"the first loses the server, then 3251", {{kKeystone, Lost(EngineFault::ServerGone)}, {kStaffroll, dao3251}},
         false, true, {"Keystone OK!\rStaffroll OK!\r"}},
        {"the first's server is missing, then 3251", {{kKeystone, Lost(EngineFault::Missing)}, {kStaffroll, dao3251}},
         false, true, {"Keystone OK!\rStaffroll OK!\r"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewerEngineVenue m;
        m.engine.repairFailures = c.answers;
        const std::string lock = NewerEngineVenue::Shared("Keystone abc 0000012345.ldb");
        if (c.keystoneLockedPastBound) {
            // Held through the repair's bound, let go before the compaction.
            m.run.waitLimitSeconds = 30;
            m.drives.WriteFile(lock, "POS1");
            m.engine.onCall = [&](const std::string&) { std::filesystem::remove(m.drives.Local(lock)); };
        }
        const RepairOutcome outcome = DBRepair(m.run);
        EXPECT_EQ(m.dialogs.Texts(), c.boxes);
        EXPECT_EQ(m.Count("Compact"), c.compacts ? 2 : 0);
        const std::string mark = c.compacts ? testing::FakeEngine::kCompactedMark : "";
        EXPECT_EQ(m.drives.ReadFile(NewerEngineVenue::Shared(kKeystone)), "Keystone data" + mark);
        EXPECT_EQ(m.drives.ReadFile(NewerEngineVenue::Shared(kStaffroll)), "Staffroll data" + mark);
        if (c.compacts) {
            EXPECT_EQ(outcome, RepairOutcome::AllDone);
        }
    }
}

// Tollgate has no row in the written compaction: a run that compacts
// because the engine repairs nothing would leave it untouched every night.
TEST(NewerEngine, TheCompactionOfAnEngineWithoutRepairTakesTollgateAfterTheWrittenRows) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        std::string version;
        bool tollgateCompactionFails;
        std::vector<std::string> boxes;
        RepairOutcome outcome;
    } const cases[] = {
        {"with other kinds", {kKeystone, kStaffroll, kTollgate}, "14.0", false,
         {"Keystone OK!\rStaffroll OK!\rTollgate OK!\r"}, RepairOutcome::AllDone},
        {"Tollgate alone", {kTollgate}, "14.0", false, {"Tollgate OK!\r"}, RepairOutcome::AllDone},
        {"its compaction fails", {kKeystone, kTollgate}, "14.0", true, {"Keystone OK!\r", "Error Tollgate :(\r"},
         RepairOutcome::SomeFailed},
        {"engine 3.6 keeps the written rows", {kKeystone, kTollgate}, "3.6", false, {"Keystone OK!\r"},
         RepairOutcome::AllDone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewerEngineVenue m(c.files);
        m.engine.version = c.version;
        m.engine.repairFailures[c.files.front()] = Unsupported(3251, "Operation is not supported.");
        if (c.tollgateCompactionFails) {
            m.engine.failures[kTollgate] = EngineStatus::Fail(EngineFault::Failed, 3049, "CompactDatabase", "Damaged.");
        }
        EXPECT_EQ(DBRepair(m.run), c.outcome);
        EXPECT_EQ(m.dialogs.Texts(), c.boxes);
        const bool compacted = c.version != "3.6" && !c.tollgateCompactionFails;
        EXPECT_EQ(m.drives.ReadFile(NewerEngineVenue::Shared(kTollgate)),
                  std::string("Tollgate data") + (compacted ? testing::FakeEngine::kCompactedMark : ""));
        ASSERT_FALSE(m.engine.calls.empty());
        const std::string tollgateCompaction = "Compact " + NewerEngineVenue::Shared(kTollgate) +
                                               " > G:\\Shared\\TollgateC.mdb";
        EXPECT_EQ(m.engine.calls.back().rfind(tollgateCompaction, 0) == 0, c.version != "3.6")
            << "Tollgate last, into its own file: " << m.engine.calls.back();
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
