#include "dbmaint/db_compact.h"

#include <gtest/gtest.h>

#include "dbmaint/db_repair.h"
#include "support/fakes.h"

namespace corvane {
namespace {

// One database of each kind the folder may hold, Playfield in the shared
// Overwatch slot, Chronicle (neither repaired nor compacted) beside them.
const std::vector<std::string> kEveryKind = {
    "Backlog",   "Chronicle", "Cuebay",  "Festive",  "Keystone", "KeystoneSolo", "Ledgers",
    "Patrons",   "Pantry",    "Playfield", "Staffroll", "Tollgate",
};

TEST(Maintenance, CompactionRunsInItsOwnOrderSwapsEachCopyInAndReportsFailuresAfter) {
    testing::RunHarness m;
    m.AtTheMainMachine();
    for (const std::string& kind : kEveryKind) m.drives.WriteFile(m.Live(kind), kind + " data");
    m.engine.failures[m.LiveName("Keystone")] =
        EngineStatus::Fail(EngineFault::Failed, 3356, "CompactDatabase", "Opened exclusively by another user.");
    // The status line drawn when each engine call begins.
    std::vector<std::string> linesAtCalls;
    m.engine.onCall = [&](const std::string& call) {
        linesAtCalls.push_back(call.substr(0, call.find(' ')) + ": " + m.progress.statuses.back());
    };
    DBRepair(m.run);

    EXPECT_EQ(linesAtCalls, (std::vector<std::string>{
                                "Compact: Compactando Keystone (1 de 10)",
                                "Compact: Compactando Staffroll (2 de 10)",
                                "Compact: Compactando Pantry (3 de 10)",
                                "Compact: Compactando Playfield (4 de 10)",
                                "Compact: Compactando Cuebay (5 de 10)",
                                "Compact: Compactando Festive (6 de 10)",
                                "Compact: Compactando Patrons (7 de 10)",
                                "Compact: Compactando Ledgers (8 de 10)",
                                "Compact: Compactando Backlog (9 de 10)",
                                "SecondRepair: Compactando KeystoneSolo (10 de 10)",
                                "Compact: Compactando KeystoneSolo (10 de 10)",
                            }));
    EXPECT_EQ(m.dialogs.Texts(), (std::vector<std::string>{"Staffroll OK!\rPantry OK!\rPlayfield OK!\rCuebay OK!\r"
                                                           "Festive OK!\rPatrons OK!\rLedgers OK!\rBacklog OK!\r"
                                                           "KeystoneSolo OK!\r",
                                                           "Error Keystone :(\r"}));
    for (const MessageBoxRequest& box : m.dialogs.shown) {
        EXPECT_EQ(box.title, "Corvane");
        EXPECT_EQ(box.icon, Icon::None);
        EXPECT_EQ(box.buttons, Buttons::Ok);
    }
    // The boxes say only that it failed; the record beside the databases says why.
    const auto errors = m.Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], (std::vector<std::string>{errors[0].at(0), m.Live("Keystone"),
                                                   "Corvane - DBCOMPACT40 Keystone 2",
                                                   "Error: 3356 | Opened exclusively by another user.",
                                                   "G:\\Shared\\KeystoneC.mdb", "MONITOR", "Quorra"}));

    for (const std::string& kind : kEveryKind) {
        const bool compacted = kind != "Tollgate" && kind != "Chronicle" && kind != "Keystone";
        EXPECT_EQ(m.Read(m.Live(kind)),
                  kind + " data" + (compacted ? testing::FakeEngine::kCompactedMark : ""))
            << kind << " under its own name";
        // Each database the swap replaced is kept as it was, the clock's moment in its name.
        EXPECT_EQ(m.Read(m.Shared("_Reemplazadas\\" + m.LiveName(kind, "261205-094510"))),
                  compacted ? kind + " data" : "(none)")
            << kind;
    }
    EXPECT_EQ(m.drives.FileNames("G:\\Shared").size(), kEveryKind.size() + 2)
        << "Errors.txt and _Reemplazadas, and no temporary file left";
}

// What an earlier run left in the engine's way goes first; a second engine
// that is not there repaired nothing, so no copy is kept for its repair.
TEST(Maintenance, NothingLeftOverBlocksARowAndNoCopyIsKeptForARepairNeverMade) {
    testing::RunHarness m;
    m.AtTheMainMachine();
    m.drives.WriteFile(m.Live("Keystone"), "Keystone data");
    m.drives.WriteFile(m.Shared("KeystoneC.mdb"), "cut short");
    m.drives.WriteFile(m.Live("KeystoneSolo"), "Solo data");
    m.engine.secondRepair =
        EngineStatus::Fail(EngineFault::Missing, 0x80040154, "CoCreateInstance", "Class not registered");
    DBRepair(m.run);
    for (const std::string kind : {"Keystone", "KeystoneSolo"}) {
        EXPECT_EQ(m.Read(m.Live(kind)).find(testing::FakeEngine::kCompactedMark) != std::string::npos,
                  true)
            << kind << " compacted";
    }
    EXPECT_EQ(m.Read(m.Shared("KeystoneC.mdb")), "(none)");
    EXPECT_EQ(m.drives.FileNames("G:\\Shared\\_Reemplazadas").size(), 2u) << "one generation each, the compaction's";
}

}  // namespace
}  // namespace corvane
