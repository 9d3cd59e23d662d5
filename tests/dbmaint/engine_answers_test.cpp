// What the engine answers decides what a run does: DAO 3.6 alone compacts;
// an engine newer than it answers another version and has no repair, which
// the run finds out at the first repair it answers and goes on as a
// compaction run; an engine that is not there touches nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "dbmaint/db_compact.h"
#include "dbmaint/db_repair.h"
#include "support/fakes.h"

namespace corvane {
namespace {

EngineStatus Unsupported(unsigned long code = 3251, const char* text = "Operation is not supported.") {
    return EngineStatus::Fail(EngineFault::Unsupported, code, "RepairDatabase", text);
}
EngineStatus Lost(EngineFault fault) {
    return EngineStatus::Fail(fault, 0x800706BE, "RepairDatabase", "The remote procedure call failed.");
}
EngineStatus Damaged() { return EngineStatus::Fail(EngineFault::Failed, 3049, "RepairDatabase", "Damaged."); }

struct Venue : testing::RunHarness {
    explicit Venue(const std::vector<std::string>& kinds) {
        AtTheMainMachine();
        for (const std::string& kind : kinds) drives.WriteFile(Live(kind), kind + " data");
    }
};

TEST(EngineAnswers, DecideWhetherTheRunRepairsOrCompacts) {
    const std::vector<std::string> two = {"Keystone", "Staffroll"};
    const std::vector<std::string> repaired = {"Keystone OK!", "Staffroll OK!"};
    const std::vector<std::string> compacted = {"Keystone OK!\rStaffroll OK!\r"};
    struct Case {
        const char* what;
        const char* version;
        std::vector<std::string> kinds;
        std::function<void(Venue&)> answers;
        std::vector<std::string> boxes;
        std::vector<std::string> compacted;  // the kinds whose database the run compacted
        std::optional<RepairOutcome> outcome = std::nullopt;
    } const cases[] = {
        {"3.6 compacts", "3.6", {"Pantry"}, [](Venue&) {}, {"Pantry OK!\r"}, {"Pantry"}},
        {"3.5 repairs", "3.5", {"Pantry"}, [](Venue&) {}, {"Pantry OK!"}, {}},
        {"only the exact 3.6: 3.60", "3.60", {"Pantry"}, [](Venue&) {}, {"Pantry OK!"}, {}},
        {"no version", "", {"Pantry"}, [](Venue&) {}, {"Pantry OK!"}, {}},
        // The first call the engine replies to decides, whatever its place:
        // rows before it only lost the engine, so nothing was repaired and
        // the compaction run takes every database, theirs too.
        {"a newer engine's repair works", "14.0", two, [](Venue&) {}, repaired, {}},
        {"unknown name", "14.0", two,
         [](Venue& v) { v.engine.repairFailures[v.LiveName("Keystone")] = Unsupported(0x80020006, "Unknown name."); },
         compacted, two, RepairOutcome::AllDone},
        {"DAO 3251", "14.0", two, [](Venue& v) { v.engine.repairFailures[v.LiveName("Keystone")] = Unsupported(); },
         compacted, two, RepairOutcome::AllDone},
        {"the first database is damaged", "14.0", two,
         [](Venue& v) { v.engine.repairFailures[v.LiveName("Keystone")] = Damaged(); },
         {"ERROR en Keystone", "Staffroll OK!"}, {}},
        {"the engine went away, then repairs", "14.0", two,
         [](Venue& v) { v.engine.repairFailures[v.LiveName("Keystone")] = Lost(EngineFault::Missing); },
         {"ERROR en Keystone", "Staffroll OK!"}, {}},
        {"a later repair says unsupported", "14.0", two,
         [](Venue& v) { v.engine.repairFailures[v.LiveName("Staffroll")] = Unsupported(); },
         {"Keystone OK!", "ERROR en Staffroll"}, {}},
        {"the first waits past its bound, then 3251", "14.0", two,
         [](Venue& v) {
             // Held through the repair's bound, let go before the compaction.
             v.run.waitLimitSeconds = 30;
             v.drives.WriteFile(v.Shared("Keystone abc 0000012345.ldb"), "POS1");
             v.engine.onCall = [&v](const std::string&) { v.Remove(v.Shared("Keystone abc 0000012345.ldb")); };
             v.engine.repairFailures[v.LiveName("Staffroll")] = Unsupported();
         },
         compacted, two},
        {"the first loses the server, then 3251", "14.0", two,
         [](Venue& v) {
             v.engine.repairFailures[v.LiveName("Keystone")] = Lost(EngineFault::ServerGone);
             v.engine.repairFailures[v.LiveName("Staffroll")] = Unsupported();
         },
         compacted, two},
        {"the first's server is missing, then 3251", "14.0", two,
         [](Venue& v) {
             v.engine.repairFailures[v.LiveName("Keystone")] = Lost(EngineFault::Missing);
             v.engine.repairFailures[v.LiveName("Staffroll")] = Unsupported();
         },
         compacted, two},
        // Tollgate has no row in the written compaction: a run that compacts
        // because the engine repairs nothing takes it after the written rows.
        {"Tollgate with other kinds", "14.0", {"Keystone", "Staffroll", "Tollgate"},
         [](Venue& v) { v.engine.repairFailures[v.LiveName("Keystone")] = Unsupported(); },
         {"Keystone OK!\rStaffroll OK!\rTollgate OK!\r"}, {"Keystone", "Staffroll", "Tollgate"},
         RepairOutcome::AllDone},
        {"Tollgate alone", "14.0", {"Tollgate"},
         [](Venue& v) { v.engine.repairFailures[v.LiveName("Tollgate")] = Unsupported(); }, {"Tollgate OK!\r"},
         {"Tollgate"}, RepairOutcome::AllDone},
        {"Tollgate's compaction fails", "14.0", {"Keystone", "Tollgate"},
         [](Venue& v) {
             v.engine.repairFailures[v.LiveName("Keystone")] = Unsupported();
             v.engine.failures[v.LiveName("Tollgate")] = EngineStatus::Fail(EngineFault::Failed, 3049, "CompactDatabase", "Damaged.");
         },
         {"Keystone OK!\r", "Error Tollgate :(\r"}, {"Keystone"}, RepairOutcome::SomeFailed},
        {"3.6 keeps the written rows, Tollgate not among them", "3.6", {"Keystone", "Tollgate"}, [](Venue&) {},
         {"Keystone OK!\r"}, {"Keystone"}, RepairOutcome::AllDone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Venue v(c.kinds);
        v.drives.WriteFile(v.Shared("Notas.mdb"), "not a database of the suite");
        v.engine.version = c.version;
        c.answers(v);
        const RepairOutcome outcome = DBRepair(v.run);
        EXPECT_EQ(v.dialogs.Texts(), c.boxes);
        for (const std::string& kind : c.kinds) {
            const bool wasCompacted = std::find(c.compacted.begin(), c.compacted.end(), kind) != c.compacted.end();
            EXPECT_EQ(v.Read(v.Live(kind)),
                      kind + " data" + (wasCompacted ? testing::FakeEngine::kCompactedMark : ""))
                << kind;
        }
        if (c.outcome) {
            EXPECT_EQ(outcome, *c.outcome);
        }
    }
}

TEST(EngineAnswers, TheHistorySaysWhyTheRunCompactsBeforeItBegins) {
    Venue m({"Keystone", "Staffroll"});
    m.engine.version = "14.0";
    m.engine.repairFailures[m.LiveName("Keystone")] = Unsupported(3251, "Not supported.");
    DBRepair(m.run);
    const std::string history = m.drives.ReadFile("E:\\Corvane\\Corvane.log");
    const std::size_t said = history.find(" El motor 14.0 no repara bases de datos (3251 | Not supported.): se compactan\r\n");
    ASSERT_NE(said, std::string::npos) << history;
    EXPECT_LT(said, history.find("Compactando Keystone (1 de 2)")) << history;
}

}  // namespace
}  // namespace corvane
