#include "dbmaint/traffic_light.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {
using Op = testing::FailingFileSystem::Op;
using testing::Slot;
using Fields = std::vector<std::string>;

constexpr const char* kDatabase = "G:\\Shared\\Keystone abc 0000000001.mdb";
constexpr const char* kLock = "G:\\Shared\\Keystone abc 0000000001.ldb";
constexpr const char* kLabel = "Corvane - DBREPAIR - KS";
constexpr const char* kBusy = "The process cannot access the file because it is being used by another process.";

// POS3 waits on Keystone, which POS1 holds open; the clock starts at
// 2026-12-05 09:45:10.
struct Venue : testing::RunHarness {
    Venue() {
        state.computerName = "POS3";
        state.debugLogPath = "E:\\Corvane\\debug.deb";
        drives.MakeFolder("G:\\Shared");
        drives.WriteFile(kLock, Slot("POS1", "Admin"));
    }
    WaitEnd Wait(const std::string& database = kDatabase, const std::string& label = kLabel, int limit = 0) {
        run.waitLimitSeconds = limit;
        return TrafficLight(run, database, label).end;
    }
};

// Failed reads of the lock file are recorded one a second; the sixteenth
// gives up, and the caller goes on. A lock file that cannot be deleted
// is recorded with the wait's counter.
TEST(TrafficLight, FailuresAreRecordedAndTheCallerGoesOn) {
    struct Case {
        const char* what;
        std::function<void(Venue&)> arrange;
        WaitEnd end;
        int waits;
        std::size_t records;
        Fields first;  // with the label given
        const char* lastStamp;
        const char* label = kLabel;
    } const cases[] = {
        {"the lock file cannot be opened", [](Venue& v) { v.files.Fail(Op::ReadHead).WithError(32, kBusy); },
         WaitEnd::GaveUp, 15, 16,
         {"20261205094510", kDatabase, kLabel, std::string("Error: 32 | ") + kBusy, "", "POS3", "Quorra"},
         "20261205094525"},
        {"its creation time cannot be read", [](Venue& v) { v.files.Fail(Op::CreationTime).WithError(32, kBusy); },
         WaitEnd::GaveUp, 15, 16,
         {"20261205094510", kDatabase, kLabel, std::string("Error: 32 | ") + kBusy, "", "POS3", "Quorra"},
         "20261205094525"},
        {"the reads fail after a good one",
         [](Venue& v) { v.files.Fail(Op::ReadHead).FromCall(2).WithError(32, kBusy); }, WaitEnd::GaveUp, 16, 16,
         {"20261205094511", kDatabase, kLabel, std::string("Error: 32 | ") + kBusy, "POS1 Admin", "POS3", "Quorra"},
         "20261205094526"},
        {"a folder in the lock file's place, a comma in the label",
         [](Venue& v) {
             v.Remove(kLock);
             v.drives.MakeFolder(kLock);
         },
         WaitEnd::GaveUp, 15, 16, {}, "20261205094525", "Corvane, prueba"},
        {"the lock file cannot be deleted", [](Venue& v) { v.files.Fail(Op::Delete).WithError(32, kBusy); },
         WaitEnd::LeftOver, 60, 1,
         {"20261205094610", kDatabase, kLabel, std::string("Error: 32 | ") + kBusy, "TRAFFICLIGHTCOUNTER: 60",
          "POS1 Admin", "POS3", "Quorra"},
         "20261205094610"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Venue v;
        c.arrange(v);
        EXPECT_EQ(v.Wait(kDatabase, c.label), c.end);
        EXPECT_EQ(v.waiter.waits, c.waits);
        EXPECT_TRUE(v.Has(kLock));
        const auto records = v.Errors();
        ASSERT_EQ(records.size(), c.records);
        if (c.first.empty()) {
            EXPECT_EQ((Fields{records[0].at(1), records[0].at(2)}), (Fields{kDatabase, c.label}));
        } else {
            EXPECT_EQ(records.front(), c.first);
        }
        EXPECT_EQ(records.back().at(0), c.lastStamp);
    }
}

TEST(TrafficLightLockContent, IsTheLastValueOnOneReadableLine) {
    struct Case {
        const char* what;
        std::string bytes;
        std::optional<std::string> content;
    } const cases[] = {
        {"engine slots", Slot("POS1", "Admin") + Slot("POS3", "Caja"), "POS1 Admin POS3 Caja"},
        {"comma-separated values", "POS1,Admin", "Admin"},
        {"lines, the last ended", "POS1\r\nPOS3\r\n", "POS3"},
        {"other control bytes", std::string("\tPOS1\x01\x7f" "Admin\0", 13), "POS1 Admin"},
        {"a double quote would end the field", "say \"hi\"", "say hi"},
        {"an ANSI accented letter", "CAJA\xD1", "CAJA\xC3\x91"},
        {"an empty file", "", std::nullopt},
        {"separators only", std::string(",\r\n\0", 4), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(LockContentOf(c.bytes), c.content) << c.what;
}

TEST(LockSlots, NameEachComputerOnceInSlotOrder) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> names;
    } const cases[] = {
        {"two slots", Slot("POS3", "Caja") + Slot("POS1", "Admin"), {"POS3", "POS1"}},
        {"a name reused in a later slot, letter case aside",
         Slot("POS1", "a") + Slot("pos1", "b") + Slot("POS2", "c"), {"POS1", "POS2"}},
        {"an emptied slot", Slot("", "") + Slot("POS2", "c"), {"POS2"}},
        {"a name padded with spaces", Slot("POS1   ", "a"), {"POS1"}},
        {"a slot whose user name is cut short", Slot("POS1", "a").substr(0, 40), {"POS1"}},
        {"a name cut short by the file's end", Slot("POS1", "a") + "POS2", {"POS1"}},
        {"an ANSI accented name", Slot("CAJA\xD1", "a"), {"CAJA\xC3\x91"}},
        {"a text lock file", "POS1,Admin\r\n", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(LockSlotNames(c.bytes), c.names) << c.what;
}

}  // namespace
}  // namespace corvane
