#include "dbmaint/run_history.h"

#include <gtest/gtest.h>

#include "dbmaint/db_repair.h"
#include "support/fakes.h"

namespace corvane {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr const char* kKeystone = "G:\\Shared\\Keystone abc 0000000001.mdb";
constexpr const char* kPantry = "G:\\Shared\\Pantry abc 0000000001.mdb";
constexpr const char* kLock = "G:\\Shared\\Keystone abc 0000000001.ldb";

// The main machine's shared folder and a repair run over it, its history
// going to Corvane.log in the program's folder.
struct Venue : testing::RunHarness {
    Venue() {
        AtTheMainMachine();
        drives.WriteFile(kKeystone, std::string(3 * kMiB, 'k'));
        drives.WriteFile(kPantry, std::string(200 * 1024, 'p'));
    }
    RepairOutcome Run() { return DBRepair(run); }
    // The records without their date and time.
    std::vector<std::string> Records() const {
        std::vector<std::string> records;
        for (const std::string& line : testing::Lines(drives.ReadFile("E:\\Corvane\\Corvane.log"))) {
            records.push_back(line.substr(20));
        }
        return records;
    }
};

TEST(RunHistory, ACompactionLeavesEachDatabaseWithItsSizesAndItsTime) {
    Venue v;
    // The engine takes its time, and the second copy comes out smaller.
    v.engine.onCall = [&](const std::string& call) {
        const DateTime& t = v.clock.now;
        v.clock.now = NormalisedDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second + 14);
        if (call.find("Pantry") != std::string::npos) v.drives.WriteFile(kPantry, std::string(100 * 1024, 'p'));
    };
    EXPECT_EQ(v.Run(), RepairOutcome::AllDone);
    EXPECT_EQ(v.Records(), (std::vector<std::string>{
                               "MONITOR Iniciando el motor de bases de datos...",
                               "MONITOR Compactando Keystone (1 de 2)",
                               "MONITOR Keystone: compactada, 3,0 MB -> 3,0 MB (0 %), 14 s",
                               "MONITOR Compactando Pantry (2 de 2)",
                               "MONITOR Pantry: compactada, 0,2 MB -> 0,1 MB (-50 %), 14 s",
                           }));
    EXPECT_TRUE(v.history.NearLimit().empty());
}

TEST(RunHistory, AWaitIsRecordedWithItsHoldersAndOnTheRowThatWaited) {
    Venue v;
    v.drives.WriteFile(kLock, testing::Slot("POS1", ""));
    v.waiter.onWait = [&](int wait) {
        // A holder more is news (seen at the next read); a second more is not.
        if (wait == 12) v.drives.WriteFile(kLock, testing::Slot("POS1", "") + testing::Slot("POS2", ""));
        if (wait == 15) v.Remove(kLock);
    };
    EXPECT_EQ(v.Run(), RepairOutcome::AllDone);
    const std::vector<std::string> records = v.Records();
    ASSERT_GE(records.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(records.begin() + 1, records.begin() + 6),
              (std::vector<std::string>{
                  "MONITOR Compactando Keystone (1 de 2)",
                  "MONITOR Esperando Keystone: 11 s, en uso en POS1",
                  "MONITOR Esperando Keystone: 13 s, en uso en POS1, POS2",
                  "MONITOR Compactando Keystone (1 de 2)",
                  "MONITOR Keystone: compactada, 3,0 MB -> 3,0 MB (0 %), 0 s, tras esperar 15 s (en uso en POS1, POS2)",
              }));
    EXPECT_EQ(records.back(), "MONITOR Pantry: compactada, 0,2 MB -> 0,2 MB (0 %), 0 s") << "its wait was Keystone's";
}

TEST(RunHistory, RowsThatFailOrAreNeverTriedSaySo) {
    Venue v;
    v.engine.failures["Keystone abc 0000000001.mdb"] =
        EngineStatus::Fail(EngineFault::Failed, 3045, "CompactDatabase", "In use.");
    v.drives.WriteFile("G:\\Shared\\Pantry abc 0000000001.ldb", testing::Slot("POS2", ""));
    v.waiter.endingAt = 11;
    EXPECT_EQ(v.Run(), RepairOutcome::ProgramEnding);
    const std::vector<std::string> records = v.Records();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[2], "MONITOR Keystone: ERROR al compactar, 3,0 MB, 0 s: Error: 3045 | In use.");
    EXPECT_EQ(records[4], "MONITOR Pantry: sin compactar, 0,2 MB: el programa se cerro durante la espera")
        << "the wait that ended the program showed no line yet";
}

}  // namespace
}  // namespace corvane
