#include "dbmaint/safe_swap.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "dbmaint/db_repair.h"
#include "support/fakes.h"

namespace corvane {
namespace {
using Op = testing::FailingFileSystem::Op;
using testing::RunHarness;

const std::string kMark = testing::FakeEngine::kCompactedMark;

std::string Generation(const std::string& kind, const std::string& stamp) {
    return RunHarness::Shared("_Reemplazadas\\" + RunHarness::LiveName(kind, stamp));
}
// The generation this run keeps first, at the fake clock's moment.
std::string ThisRun(const std::string& kind, int second = 10) {
    return Generation(kind, "261205-0945" + std::to_string(second));
}

struct Venue : testing::RunHarness {
    Venue() {
        AtTheMainMachine();
        state.uiLanguageCode = "1";
        state.debugLogPath = "E:\\Corvane\\debug.deb";
    }
    void Put(const std::string& kind, std::size_t bytes, char fill) {
        drives.WriteFile(Live(kind), std::string(bytes, fill));
    }
    void Keep(const std::string& path, std::size_t bytes, char fill) {
        drives.MakeFolder("G:\\Shared\\_Reemplazadas");
        drives.WriteFile(path, std::string(bytes, fill));
    }
    std::uint64_t Free() {
        std::uint64_t bytes = 0;
        EXPECT_TRUE(files.FreeSpace("G:\\Shared", bytes));
        return bytes;
    }
    std::string History() const { return drives.ReadFile("E:\\Corvane\\Corvane.log"); }
    std::string Errors() const { return Read("G:\\Shared\\Errors.txt"); }
};

// The room check before each compaction, over real sizes: Staffroll (4000
// bytes), Cuebay (6000) and Ledgers (1000), in the compaction's order. The
// fake engine's compacted file is ten bytes larger than its database.
TEST(CompactionRoom, EachRowCompactsWhatFitsPrunesOldGenerationsAndRefusesTheRest) {
    const std::string cuebayOld = Generation("Cuebay", "261101-000000");
    const std::string cuebayNewest = Generation("Cuebay", "261201-000000");
    const std::string ledgersOnly = Generation("Ledgers", "261001-000000");
    struct Case {
        const char* what;
        std::uint64_t aboveReserve;
        bool cuebayCompacted;
        bool cuebayOldStays;
        const char* says = "";  // in the error box, the Errors.txt record and the history
    } const cases[] = {
        {"room for each", 4010 + 6010 + 1010 + 500, true, true},
        {"room once Cuebay's older generation goes", 4010 + 6010 + 1010 + 500 - 2000, true, false},
        {"not enough even after pruning: Cuebay refused, Ledgers still compacted", 4010 + 1010 + 500, false,
         false, "Falta espacio en G: para compactar Cuebay: hacen falta 100,0 MB, hay 100,0 MB libres"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Venue v;
        v.Put("Staffroll", 4000, 's');
        v.Put("Cuebay", 6000, 'c');
        v.Put("Ledgers", 1000, 'l');
        v.Keep(cuebayOld, 3000, 'o');
        v.Keep(cuebayNewest, 3000, 'n');
        v.Keep(ledgersOnly, 3000, 'L');
        v.Room(c.aboveReserve);
        DBRepair(v.run);

        EXPECT_EQ(v.Read(v.Live("Staffroll")), std::string(4000, 's') + kMark);
        EXPECT_EQ(v.Read(v.Live("Cuebay")), std::string(6000, 'c') + (c.cuebayCompacted ? kMark : ""));
        EXPECT_EQ(v.Read(v.Live("Ledgers")), std::string(1000, 'l') + kMark);
        EXPECT_EQ(v.Read(ThisRun("Staffroll")), std::string(4000, 's'));
        EXPECT_EQ(v.Read(ThisRun("Cuebay")), c.cuebayCompacted ? std::string(6000, 'c') : "(none)");
        EXPECT_EQ(v.Read(ThisRun("Ledgers")), std::string(1000, 'l'));
        EXPECT_EQ(v.Read(cuebayOld), c.cuebayOldStays ? std::string(3000, 'o') : "(none)");
        // The newest generation of a database is never removed for room.
        EXPECT_EQ(v.Read(cuebayNewest), std::string(3000, 'n'));
        EXPECT_EQ(v.Read(ledgersOnly), std::string(3000, 'L'));
        EXPECT_FALSE(v.Has("G:\\Shared\\CuebayC.mdb"));
        EXPECT_GE(v.Free(), kRoomReserveBytes);
        const bool removed = !c.cuebayOldStays;
        EXPECT_EQ(v.History().find(cuebayOld + " (0,1 MB) quitada para hacer sitio") != std::string::npos, removed);
        if (*c.says) {
            ASSERT_FALSE(v.dialogs.shown.empty());
            EXPECT_EQ(v.dialogs.Texts().back(), "Error Cue :(\r" + std::string(c.says) + "\r");
            EXPECT_NE(v.Errors().find("\"Error: 112 | " + std::string(c.says) + "\""), std::string::npos);
            EXPECT_NE(v.History().find("Cuebay: " ), std::string::npos);
            EXPECT_NE(v.History().find(c.says), std::string::npos) << v.History();
        } else {
            EXPECT_EQ(v.Errors(), "(none)");
        }
    }
}

// A repair that lost the engine may have left its database worse than it
// was: the copy kept before it is the night's own, and goes for no later
// row's room once the compaction's generation of that database is newer.
TEST(CompactionRoom, ACopyThisRunKeptNeverGoesForRoom) {
    Venue v;
    v.engine.version = "14.0";
    v.Put("Keystone", 1000, 'k');
    v.Put("Staffroll", 4000, 's');
    v.engine.repairFailures[v.LiveName("Keystone")] =
        EngineStatus::Fail(EngineFault::ServerGone, 0x800706BE, "RepairDatabase", "The remote procedure call failed.");
    v.engine.repairFailures[v.LiveName("Staffroll")] =
        EngineStatus::Fail(EngineFault::Unsupported, 3251, "RepairDatabase", "Not supported.");
    // Room for both repairs' copies, and for Staffroll's compaction only if Keystone's copy went.
    v.Room(5500);
    DBRepair(v.run);
    EXPECT_EQ(v.Read(ThisRun("Keystone")), std::string(1000, 'k'));
    EXPECT_EQ(v.Read(ThisRun("Keystone", 11)), std::string(1000, 'k')) << "the compaction's own generation";
    EXPECT_EQ(v.Read(v.Live("Staffroll")), std::string(4000, 's'));
    EXPECT_NE(v.Errors().find("Falta espacio en G: para compactar Staffroll"), std::string::npos) << v.Errors();
}

// A repair writes the database in place: before it, a real copy (never a
// second name of the file being written) is kept, or it is not repaired.
// KeystoneSolo's extra repair under the compacting engine, and each row of
// an older engine's repair sequence.
TEST(RepairInPlace, IsDoneOnlyWithACopyOfTheDatabaseAsItWasKept) {
    struct Case {
        const char* what;
        const char* version;
        const char* kind;
        std::function<void(Venue&)> arrange;
        bool repaired;
        const char* says = "";  // the reason in Errors.txt and the history
    } const cases[] = {
        {"extra repair", "3.6", "KeystoneSolo", [](Venue&) {}, true},
        {"extra repair, no room for the copy", "3.6", "KeystoneSolo", [](Venue& v) { v.Room(500); }, false,
         "Falta espacio en G: para guardar una copia de KeystoneSolo"},
        {"extra repair, the copy fails", "3.6", "KeystoneSolo",
         [](Venue& v) { v.files.Fail(Op::Copy).OnPathsWith("_Reemplazadas").WithError(23, "Data error.").HalfWay(); },
         false, "Error: 23 | Data error."},
        {"repair sequence", "3.5", "Pantry", [](Venue&) {}, true},
        {"repair sequence, links only", "3.5", "Pantry",
         [](Venue& v) { v.files.Fail(Op::Copy).OnPathsWith("_Reemplazadas").WithError(1, "Incorrect function."); },
         false, "Error: 1 | Incorrect function."},
        {"repair sequence, no room for the copy", "3.5", "Pantry", [](Venue& v) { v.Room(500); }, false,
         "Falta espacio en G: para guardar una copia de Pantry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Venue v;
        v.engine.version = c.version;
        v.Put(c.kind, 1000, 'b');
        const std::string older = Generation(c.kind, "261101-000000");
        v.Keep(older, 700, 'o');
        c.arrange(v);
        // The repair changes the file, as a real one may.
        std::vector<std::string> repairedBytes;
        v.engine.onCall = [&](const std::string& call) {
            if (!call.starts_with("SecondRepair ") && !call.starts_with("Repair ")) return;
            repairedBytes.push_back(v.drives.ReadFile(v.Live(c.kind)));
            v.drives.WriteFile(v.Live(c.kind), std::string(1000, 'r'));
        };
        DBRepair(v.run);

        EXPECT_EQ(repairedBytes.size(), c.repaired ? 1u : 0u);
        // The copy holds the bytes from before the repair; the kept older one is untouched.
        EXPECT_EQ(v.Read(ThisRun(c.kind)), c.repaired ? std::string(1000, 'b') : "(none)");
        EXPECT_FALSE(v.Has(ThisRun(c.kind) + ".nueva"));
        EXPECT_EQ(v.Read(older), std::string(700, 'o'));
        if (c.repaired) {
            EXPECT_EQ(v.Errors(), "(none)");
            continue;
        }
        EXPECT_EQ(v.Read(v.Live(c.kind)), std::string(1000, 'b')) << "neither repaired nor compacted";
        EXPECT_NE(v.Errors().find(c.says), std::string::npos) << v.Errors();
        EXPECT_NE(v.History().find(c.says), std::string::npos) << v.History();
    }
}

}  // namespace
}  // namespace corvane
