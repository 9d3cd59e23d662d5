#include "dbmaint/run_lock.h"

#include <gtest/gtest.h>

#include "dbmaint/db_repair.h"
#include "dbmaint/repair_request.h"
#include "dbmaint/unattended_run.h"
#include "support/fakes.h"

namespace corvane {
namespace {
using Op = testing::FailingFileSystem::Op;

constexpr const char* kLock = "G:\\Shared\\Corvane.run";
constexpr DateTime kNow{2026, 12, 5, 9, 45, 10};
const std::string kLead = "Corvane ya esta trabajando en estas bases desde ";

// Whatever a lock holds, what the second run says stays one readable line:
// a name it can trust or none at all.
TEST(RunLockContent, WhatAnyBytesTellTheSecondRun) {
    struct Case {
        const char* what;
        std::string bytes;
        std::string message;  // after kLead
    } const cases[] = {
        {"ours, today", "POS1\r\nDB REPAIR\r\n2026-12-05 04:00:00\r\n", "POS1 (DB REPAIR, desde las 04:00)"},
        {"ours, another day", "MONITOR\r\n/reparar\r\n2026-12-04 23:59:59\r\n",
         "MONITOR (/reparar, desde el 04/12/2026 a las 23:59)"},
        {"ours, this day a year before", "POS1\r\nDB REPAIR\r\n2025-12-05 04:00:00\r\n",
         "POS1 (DB REPAIR, desde el 05/12/2025 a las 04:00)"},
        {"empty", "", "otro equipo"},
        {"only the computer, LF ends", "POS2\n", "POS2"},
        {"lone CR ends, spaces and tabs", "  POS3 \r\tRESTAURAR\t\r2026-12-05 08:05:00",
         "POS3 (RESTAURAR, desde las 08:05)"},
        {"binary", std::string("POS1\0\0\0\0DB REPAIR\x01\xFF\r\n", 18), "otro equipo"},
        {"an engine's lock slot", std::string("POS1\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 32),
         "otro equipo"},
        {"a name too long to be one", std::string(64, 'A') + "\r\nDB REPAIR\r\n", "otro equipo (DB REPAIR)"},
        {"the longest name", std::string(63, 'A') + "\r\n", std::string(63, 'A')},
        {"a kind too long", "POS1\r\n" + std::string(21, 'K') + "\r\n2026-12-05 04:00:00\r\n",
         "POS1 (desde las 04:00)"},
        {"a start that is no time", "POS1\r\nDB REPAIR\r\n2026-13-05 04:00:00\r\n", "POS1 (DB REPAIR)"},
        {"a start at an hour no day has", "POS1\r\nDB REPAIR\r\n2026-12-05 24:00:00\r\n", "POS1 (DB REPAIR)"},
        {"quotes and bytes that are not UTF-8", "\"POS\xE9\"\r\n", "POS\xEF\xBF\xBD"},
        {"megabytes of one line", std::string(1 << 20, 'x'), "otro equipo"},
        {"what follows the limit is not read",
         "POS1\r\nDB REPAIR\r\n" + std::string(kRunLockReadBytes, ' ') + "2026-12-05 04:00:00\r\n",
         "POS1 (DB REPAIR)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BusyMessage(ParseRunLock(c.bytes), kNow), kLead + c.message) << c.what;
    }
}

TEST(RunLockContent, WhatARunWritesReadsBackAsItWas) {
    const RunLockOwner owner{"POS1", kRunUnattended, DateTime{2026, 1, 2, 3, 4, 5}};
    EXPECT_EQ(RunLockContent(owner), "POS1\r\n/reparar\r\n2026-01-02 03:04:05\r\n");
    const RunLockOwner read = ParseRunLock(RunLockContent(owner));
    EXPECT_EQ(read.computer, owner.computer);
    EXPECT_EQ(read.kind, owner.kind);
    EXPECT_EQ(read.started, owner.started);
}

// The main machine's shared data folder with two databases, and the repair
// run of a 3.6 engine over it.
struct LockedVenue : testing::RunHarness {
    LockedVenue() {
        AtTheMainMachine();
        drives.WriteFile("G:\\Shared\\Keystone abc 0000000001.mdb", "Keystone data");
        drives.WriteFile("G:\\Shared\\Pantry abc 0000000001.mdb", "Pantry data");
    }
};

TEST(RunLockRepair, AnotherRunHoldingTheLockStopsTheRepairBeforeAnythingIsTouched) {
    struct Case {
        const char* kind;
        unsigned long refusal;  // 0: another program holds the file; else the error Hold answers
    } const cases[] = {
        {kRunDbRepair, 0},
        {kRunUnattended, 0},
        // Some file servers refuse a held file as locked rather than shared.
        {kRunDbRepair, 33},
    };
    for (const auto& [kind, refusal] : cases) {
        SCOPED_TRACE("Hold refused with " + std::to_string(refusal));
        LockedVenue m;
        m.run.kind = kind;
        const std::string content = "POS1\r\nDB REPAIR\r\n2026-12-05 04:00:00\r\n";
        std::unique_ptr<HeldFile> other;
        if (refusal == 0) {
            ASSERT_TRUE(m.drives.files.Hold(kLock, other));
            ASSERT_TRUE(other->Rewrite(content));
        } else {
            m.drives.WriteFile(kLock, content);
            m.files.Fail(Op::Hold).OnPathsWith("Corvane.run").WithError(refusal, "The file is locked.");
        }

        const RepairOutcome outcome = DBRepair(m.run);
        EXPECT_EQ(outcome, RepairOutcome::AnotherRunning) << kind;
        EXPECT_EQ(ExitCodeOf(outcome), 3) << kind;
        ASSERT_EQ(m.dialogs.shown.size(), 1u) << kind;
        EXPECT_EQ(m.dialogs.shown[0].text, kLead + "POS1 (DB REPAIR, desde las 04:00)") << kind;
        EXPECT_EQ(m.dialogs.shown[0].icon, Icon::Stop) << kind;
        EXPECT_TRUE(m.engine.calls.empty()) << kind << ": not even the engine is started";
        EXPECT_EQ(m.drives.ReadFile("G:\\Shared\\Keystone abc 0000000001.mdb"), "Keystone data") << kind;
        EXPECT_FALSE(m.files.Exists("G:\\Shared\\Errors.txt")) << kind;
        EXPECT_FALSE(m.process.endedWith) << kind;
    }
}

// A result box left open on one machine keeps no other run away: the boxes
// after the last row come once the lock is let go.
TEST(RunLockRepair, TheLockIsLetGoBeforeTheBoxesThatEndTheRun) {
    struct Case {
        const char* what;
        std::function<void(LockedVenue&)> arrange;
        std::vector<bool> heldAtBox;
    } const cases[] = {
        {"the compaction's summaries",
         [](LockedVenue& m) {
             m.engine.failures["Pantry abc 0000000001.mdb"] =
                 EngineStatus::Fail(EngineFault::Failed, 3045, "CompactDatabase", "In use.");
         },
         {false, false}},
        {"a newer engine's compaction",
         [](LockedVenue& m) {
             m.engine.version = "12.0";
             m.engine.repairFailures["Keystone abc 0000000001.mdb"] =
                 EngineStatus::Fail(EngineFault::Unsupported, 3251, "RepairDatabase", "Not supported.");
         },
         {false}},
        // A box after each row: the next row needs the lock, the last does not.
        {"an engine that repairs", [](LockedVenue& m) { m.engine.version = "3.5"; }, {true, false}},
        {"no engine",
         [](LockedVenue& m) {
             m.engine.start =
                 EngineStatus::Fail(EngineFault::Missing, 0x80040154, "CoCreateInstance", "Not registered");
         },
         {false}},
    };
    for (const Case& c : cases) {
        LockedVenue m;
        c.arrange(m);
        std::vector<bool> heldAtBox;
        m.dialogs.onShow = [&](const MessageBoxRequest&) { heldAtBox.push_back(m.Has(kLock)); };
        DBRepair(m.run);
        EXPECT_EQ(heldAtBox, c.heldAtBox) << c.what;
    }
}

TEST(RunLockRepair, ALockThatCannotBeMadeStopsTheRepairWithItsReason) {
    LockedVenue m;
    m.files.Fail(Op::Hold).OnPathsWith("Corvane.run").WithError(5, "Access is denied.");
    const RepairOutcome outcome = DBRepair(m.run);
    EXPECT_EQ(outcome, RepairOutcome::RunLockFailed);
    EXPECT_EQ(OutcomeText(outcome), "no se pudo tomar el bloqueo de las bases, no se hizo nada");
    EXPECT_EQ(ExitCodeOf(outcome), kExitNothingDone);
    ASSERT_EQ(m.dialogs.shown.size(), 1u);
    EXPECT_EQ(m.dialogs.shown[0].text,
              "No se Puede Tomar el Bloqueo de las Bases\rG:\\Shared\\Corvane.run\r\rAccess is denied. (Error 5)"
              "\r\rNo se ha tocado ninguna base de datos.");
    EXPECT_TRUE(m.engine.calls.empty());
}

}  // namespace
}  // namespace corvane
