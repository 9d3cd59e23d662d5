#include "dbmaint/db_compact.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/build_config.h"
#include "dbmaint/db_repair.h"
#include "support/fakes.h"

namespace corvane {
namespace {
namespace fs = std::filesystem;
using Op = testing::FailingFileSystem::Op;

constexpr const char* kFolder = "G:\\Shared";

std::string InShared(const std::string& name) { return std::string(kFolder) + "\\" + name; }

// One database of each kind the folder may hold, Playfield in the shared
// Overwatch slot, Chronicle (neither repaired nor compacted) beside them.
const std::vector<std::string> kEveryKind = {
    "Backlog",   "Chronicle", "Cuebay",  "Festive",  "Keystone", "KeystoneSolo", "Ledgers",
    "Patrons",   "Pantry",    "Playfield", "Staffroll", "Tollgate",
};

std::string FileOf(const std::string& kind) {
    return (kind == "Backlog" ? std::string("Pantry Backlog") : kind) + " abc 0000012345.mdb";
}

// The shared data folder of the main machine, the engine, and the run that
// the repair request starts once the duplicate check has passed.
struct Venue : testing::RunHarness {
    Venue() {
        AtTheMainMachine();
        state.uiLanguageCode = "1";
        state.debugLogPath = "E:\\Corvane\\debug.deb";
        // The status line drawn when each engine call begins.
        engine.onCall = [this](const std::string& call) {
            linesAtCalls.push_back(call.substr(0, call.find(' ')) + ": " +
                                   (progress.statuses.empty() ? "" : progress.statuses.back()));
        };
    }
    void Put(const std::vector<std::string>& kinds) {
        for (const std::string& kind : kinds) drives.WriteFile(InShared(FileOf(kind)), kind + " data");
    }
    void Maintain() { DBRepair(run); }
    std::string Content(const std::string& kind) const { return drives.ReadFile(InShared(FileOf(kind))); }
    bool Has(const std::string& path) const { return fs::exists(drives.Local(path)); }

    std::vector<std::string> linesAtCalls;
};

class Maintenance : public ::testing::Test, public Venue {};

TEST_F(Maintenance, CompactionRunsInItsOwnOrderSwapsEachCopyInAndReportsFailuresAfter) {
    Put(kEveryKind);
    engine.failures[FileOf("Keystone")] =
        EngineStatus::Fail(EngineFault::Failed, 3356, "CompactDatabase", "Opened exclusively by another user.");
    Maintain();

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
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Staffroll OK!\rPantry OK!\rPlayfield OK!\rCuebay OK!\r"
                                                         "Festive OK!\rPatrons OK!\rLedgers OK!\rBacklog OK!\r"
                                                         "KeystoneSolo OK!\r",
                                                         "Error Keystone :(\r"}));
    for (const MessageBoxRequest& box : dialogs.shown) {
        EXPECT_EQ(box.title, "Corvane");
        EXPECT_EQ(box.icon, Icon::None);
        EXPECT_EQ(box.buttons, Buttons::Ok);
    }
    // The boxes say only that it failed; the record beside the databases says why.
    const std::string errors = drives.ReadFile("G:\\Shared\\Errors.txt");
    EXPECT_NE(errors.find(",\"" + InShared(FileOf("Keystone")) +
                          "\",\"Corvane - DBCOMPACT40 Keystone 2\",\"Error: 3356 | Opened exclusively by another "
                          "user.\",\"G:\\Shared\\KeystoneC.mdb\",\"MONITOR\",\"Quorra\"\r\n"),
              std::string::npos)
        << errors;

    for (const std::string& kind : kEveryKind) {
        const bool compacted = kind != "Tollgate" && kind != "Chronicle" && kind != "Keystone";
        EXPECT_EQ(Content(kind), kind + " data" + (compacted ? testing::FakeEngine::kCompactedMark : ""))
            << kind << " under its own name";
        // Each database the swap replaced is kept as it was, the clock's moment in its name.
        const std::string stem = FileOf(kind).substr(0, FileOf(kind).size() - 4);
        const std::string kept = InShared("_Reemplazadas\\" + stem + " 261205-094510.mdb");
        EXPECT_EQ(Has(kept) ? drives.ReadFile(kept) : "(none)", compacted ? kind + " data" : "(none)") << kind;
    }
    EXPECT_EQ(drives.FileNames(kFolder).size(), kEveryKind.size() + 2)
        << "Errors.txt and _Reemplazadas, and no temporary file left";
}

TEST_F(Maintenance, EachCompactionUsesItsKindsTemporaryFileAndThePasswordOfItsName) {
    // 1234567890 - 12345 = 1234555545, the marker, then its tenth and ninth digits.
    if (std::string_view(build::kDbKey) != "1234567890" || build::kDbMarker != 'Q') {
        GTEST_SKIP() << "built with a site's own key and marker";
    }
    const std::string password = "1234555545Q54";
    Put({"Patrons", "Playfield"});
    Maintain();
    EXPECT_EQ(engine.calls, (std::vector<std::string>{
                                "Version",
                                "Compact " + InShared(FileOf("Playfield")) + " > G:\\Shared\\PlayfieldC.mdb | " +
                                    "MS Access;pwd=" + password,
                                "Compact " + InShared(FileOf("Patrons")) + " > G:\\Shared\\PatronsC.mdb | " +
                                    "MS Access;pwd=" + password,
                            }));
}

TEST_F(Maintenance, RepairRunsInItsOwnOrderWithOneBoxPerDatabase) {
    engine.version = "3.5";
    engine.failures[FileOf("Staffroll")] =
        EngineStatus::Fail(EngineFault::Failed, 3045, "RepairDatabase", "Could not use; file already in use.");
    Put(kEveryKind);
    Maintain();

    // Ledgers and KeystoneSolo are compacted only; every database repaired shows its box.
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Keystone OK!", "ERROR en Staffroll", "Pantry OK!",
                                                         "Overwatch OK!", "Backlog OK!", "Tollgate OK!", "Cuebay OK!",
                                                         "Festive OK!", "Patrons OK!"}));
    ASSERT_EQ(linesAtCalls.size(), 9u);
    EXPECT_EQ(linesAtCalls.front(), "Repair: Reparando Keystone (1 de 9)");
    EXPECT_EQ(linesAtCalls.back(), "Repair: Reparando Patrons (9 de 9)");
    EXPECT_EQ(Content("Keystone"), "Keystone data") << "repaired in place";
    const std::string errors = drives.ReadFile("G:\\Shared\\Errors.txt");
    EXPECT_NE(errors.find(",\"Corvane - DBREPAIR - STAFFROLL\",\"Error: 3045 | Could not use; file already in use.\","),
              std::string::npos)
        << errors;
}

TEST_F(Maintenance, PatronsWaitsUnderTheFestiveLabel) {
    Put({"Patrons"});
    drives.WriteFile(InShared("Patrons abc 0000012345.ldb"), "POS2");
    waiter.onWait = [&](int wait) {
        if (wait == 12) fs::remove(drives.Local(InShared("Patrons abc 0000012345.ldb")));
    };
    window.messageVisible = true;
    Maintain();
    ASSERT_FALSE(window.messages.empty());
    EXPECT_NE(window.messages.back().find("\rCorvane - DBCOMPACT40 Festive\r"), std::string::npos);
    // The wait's own line gives way again before the engine, which keeps the window from painting, begins.
    EXPECT_EQ(linesAtCalls, std::vector<std::string>{"Compact: Compactando Patrons (1 de 1)"});
    EXPECT_EQ(Content("Patrons"), std::string("Patrons data") + testing::FakeEngine::kCompactedMark);
}

// The swap is a flush of the compacted copy and one rename: either failing
// leaves the old database, and the generation kept for the swap goes too.
TEST(MaintenanceSwap, AFlushOrRenameThatFailsLeavesTheOldDatabaseAndReportsBothLines) {
    for (const Op op : {Op::Flush, Op::Replace}) {
        SCOPED_TRACE(op == Op::Flush ? "flush" : "rename");
        Venue v;
        v.Put({"Staffroll", "Cuebay"});
        v.files.Fail(op).OnPathsWith("StaffrollC").WithError(32, "The file is in use.");
        v.Maintain();
        EXPECT_EQ(v.dialogs.Texts(), (std::vector<std::string>{"Staffroll OK!\rCuebay OK!\r", "Error Staffroll :(\r"}));
        EXPECT_EQ(v.Content("Staffroll"), "Staffroll data");
        EXPECT_FALSE(v.Has("G:\\Shared\\StaffrollC.mdb")) << "the copy would only be in the next run's way";
        EXPECT_EQ(v.Content("Cuebay"), std::string("Cuebay data") + testing::FakeEngine::kCompactedMark);
        EXPECT_EQ(v.drives.FileNames(InShared("_Reemplazadas")),
                  std::vector<std::string>{"Cuebay abc 0000012345 261205-094510.mdb"});
    }
}

// A copy of every database every night is not worth its time: where the
// file system has no second names, nothing is kept, and that is said once.
TEST_F(Maintenance, WhereLinksAreRefusedNothingIsKeptAndThatIsRecordedOnce) {
    Put({"Staffroll", "Cuebay", "Ledgers"});
    files.Fail(Op::Link).WithError(1, "Incorrect function.");
    Maintain();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Staffroll OK!\rCuebay OK!\rLedgers OK!\r"});
    for (const char* kind : {"Staffroll", "Cuebay", "Ledgers"}) {
        EXPECT_EQ(Content(kind), kind + std::string(" data") + testing::FakeEngine::kCompactedMark);
    }
    EXPECT_TRUE(drives.FileNames(InShared("_Reemplazadas")).empty());
    const std::string errors = drives.ReadFile(InShared("Errors.txt"));
    EXPECT_EQ(errors, "\"20261205094510\",\"" + InShared(FileOf("Staffroll")) +
                          "\",\"Corvane - DBCOMPACT40 Staffroll\",\"Error: 1 | Incorrect function.\",\"" +
                          InShared("_Reemplazadas\\Staffroll abc 0000012345 261205-094510.mdb.nueva") +
                          "\",\"MONITOR\",\"Quorra\"\r\n");
}

// A compaction file an earlier run left behind goes before the row's wait; one
// that cannot go fails the row, and nothing is compacted into it.
TEST(MaintenanceStaleCopy, IsRemovedBeforeTheWaitOrFailsItsRow) {
    const std::string stale = InShared("KeystoneC.mdb");
    const std::string lock = InShared("Keystone abc 0000012345.ldb");
    struct Case {
        const char* what;
        std::function<void(Venue&)> arrange;
        bool removed;
    } const cases[] = {
        {"a file from a run cut short", [&](Venue& m) { m.drives.WriteFile(stale, "cut short"); }, true},
        {"a folder of that name", [&](Venue& m) { m.drives.MakeFolder(stale); }, false},
        {"a file that cannot be deleted",
         [&](Venue& m) {
             m.drives.WriteFile(stale, "held open");
             m.files.Fail(Op::Delete).OnPathsWith("KeystoneC").WithError(32, "In use.");
         },
         false},
    };
    for (const Case& c : cases) {
        Venue m;
        m.Put({"Keystone", "Pantry"});
        m.drives.WriteFile(lock, "POS1");
        c.arrange(m);
        m.waiter.onWait = [&](int) {
            EXPECT_FALSE(m.Has(stale)) << c.what << ": still there during the wait";
            fs::remove(m.drives.Local(lock));
        };
        m.Maintain();
        using Boxes = std::vector<std::string>;
        const Boxes boxes = c.removed ? Boxes{"Keystone OK!\rPantry OK!\r"}
                                      : Boxes{"Pantry OK!\r", "Error Keystone :(\r"};
        EXPECT_EQ(m.dialogs.Texts(), boxes) << c.what;
        EXPECT_EQ(m.linesAtCalls.size(), c.removed ? 2u : 1u) << c.what << ": compactions";
        const std::string compacted = c.removed ? testing::FakeEngine::kCompactedMark : "";
        EXPECT_EQ(m.Content("Keystone"), "Keystone data" + compacted) << c.what;
        EXPECT_EQ(m.Has(stale), !c.removed) << c.what;
    }
}

TEST_F(Maintenance, AClosedProgramStopsTheRunBetweenSteps) {
    Put({"Keystone", "Staffroll"});
    drives.WriteFile(InShared("Staffroll abc 0000012345.ldb"), "POS1");
    waiter.endingAt = 3;
    Maintain();
    EXPECT_TRUE(dialogs.shown.empty()) << "no summary after a close";
    ASSERT_EQ(engine.calls.size(), 2u);
    EXPECT_EQ(engine.calls[1].substr(0, 17), "Compact G:\\Shared") << "Keystone was done before the wait";
    EXPECT_EQ(Content("Staffroll"), "Staffroll data");
    EXPECT_FALSE(Has("G:\\Shared\\StaffrollC.mdb"));
}

}  // namespace
}  // namespace corvane
