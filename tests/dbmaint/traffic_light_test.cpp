#include "dbmaint/traffic_light.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "support/fakes.h"

namespace corvane {
namespace {
namespace fs = std::filesystem;
using Op = testing::FailingFileSystem::Op;

constexpr const char* kDatabase = "G:\\Shared\\Keystone abc 0000000001.mdb";
constexpr const char* kLock = "G:\\Shared\\Keystone abc 0000000001.ldb";
constexpr const char* kErrors = "G:\\Shared\\Errors.txt";
constexpr const char* kTlFile = "G:\\Shared\\TL\\POS3 TL.txt";
constexpr const char* kLabel = "Corvane - DBREPAIR - KS";
constexpr const char* kBusy = "The process cannot access the file because it is being used by another process.";

// One open of the database as the engine records it.
std::string Slot(std::string computer, std::string user) {
    computer.resize(32, '\0');
    user.resize(32, '\0');
    return computer + user;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// The shared folder of a venue, every file call able to fail on demand, and
// a clock that starts at 2026-12-05 09:45:10.
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
    bool Has(const std::string& path) const { return fs::exists(drives.Local(path)); }
    void Remove(const std::string& path) { fs::remove(drives.Local(path)); }
};

TEST(TrafficLight, ADatabaseWithoutALockFileIsFreeAtOnce) {
    struct Case {
        const char* what;
        const char* database;
    } const cases[] = {
        {"no lock file beside it", "G:\\Shared\\Ledgers abc 0000000001.mdb"},
        {"a share that cannot be reached", "\\\\Caja9\\G\\Shared\\Keystone abc 0000000001.mdb"},
    };
    for (const Case& c : cases) {
        Venue v;
        EXPECT_EQ(v.Wait(c.database), WaitEnd::Free) << c.what;
        EXPECT_EQ(v.waiter.waits, 0) << c.what;
        EXPECT_FALSE(v.Has(kErrors) || v.Has("G:\\Shared\\TL")) << c.what;
    }
}

TEST(TrafficLight, ALockFileThatStaysIsLeftOverAfterSixtyWaits) {
    Venue v;
    v.window.messageVisible = true;
    v.clock.now = {2026, 12, 31, 23, 59, 30};  // the minute's wait runs into the new year
    EXPECT_EQ(v.Wait(), WaitEnd::LeftOver);
    EXPECT_EQ(v.waiter.waits, 60);
    EXPECT_FALSE(v.Has(kLock));
    EXPECT_EQ(v.drives.ReadFile(kTlFile),
              "\"20270101000030\",\"G:\\Shared\\Keystone abc 0000000001.mdb\",\"Corvane - DBREPAIR - KS\","
              "\"POS1 Admin\",\"Quorra\"\r\n");
    EXPECT_FALSE(v.Has(kErrors));

    ASSERT_EQ(v.window.messages.size(), 50u) << "one caption per wait from the eleventh on";
    EXPECT_EQ(v.window.messages.front(), "\rG:\\Shared\\Keystone abc 0000000001.mdb\rCorvane - DBREPAIR - KS\rPOS3\r11");
    EXPECT_EQ(v.window.messages.back(), "\rG:\\Shared\\Keystone abc 0000000001.mdb\rCorvane - DBREPAIR - KS\rPOS3\r60");
    EXPECT_EQ(v.window.messagePoints, 12);
}

TEST(TrafficLight, TheCaptionWaitsForTheMessageLabelToBeVisible) {
    Venue v;
    v.waiter.onWait = [&](int wait) { if (wait == 30) v.window.messageVisible = true; };
    EXPECT_EQ(v.Wait(), WaitEnd::LeftOver);
    ASSERT_EQ(v.window.messages.size(), 31u);
    EXPECT_EQ(v.window.messages.front().substr(v.window.messages.front().rfind('\r')), "\r30");
    EXPECT_EQ(v.progress.statuses.size(), 50u) << "the status line does not depend on LBLMSG";
}

TEST(TrafficLight, ARecreatedLockFileRestartsTheMinute) {
    struct Case {
        const char* what;
        std::vector<int> recreatedAt;  // waits after which the database is reopened
        WaitEnd end;
        int waits;
    } const cases[] = {
        // Within each minute the comparisons span (at the 61st, 122nd and 183rd
        // checks): someone is working in the database, until it is closed.
        {"recreated every minute", {50, 100, 150}, WaitEnd::Free, 200},
        // The first comparison sees the new file and starts the minute again
        // from it; the next one (122nd check) finds it unchanged.
        {"recreated once, then abandoned", {30}, WaitEnd::LeftOver, 121},
    };
    for (const Case& c : cases) {
        Venue v;
        v.waiter.onWait = [&](int wait) {
            const fs::path lock = v.drives.Local(kLock);
            for (const int at : c.recreatedAt) {
                if (wait == at) fs::last_write_time(lock, fs::last_write_time(lock) + std::chrono::hours(1));
            }
            if (wait == 200) v.Remove(kLock);
        };
        EXPECT_EQ(v.Wait(), c.end) << c.what;
        EXPECT_EQ(v.waiter.waits, c.waits) << c.what;
        EXPECT_EQ(v.Has(kTlFile), c.end == WaitEnd::LeftOver) << c.what;
    }
}

TEST(TrafficLight, ALockFileEmptiedMeanwhileKeepsTheLastContentRead) {
    Venue v;
    v.waiter.onWait = [&](int wait) {
        if (wait != 5) return;
        // Emptied in place: the same lock file, its creation time kept.
        const fs::path lock = v.drives.Local(kLock);
        const fs::file_time_type created = fs::last_write_time(lock);
        v.drives.WriteFile(kLock, "");
        fs::last_write_time(lock, created);
    };
    EXPECT_EQ(v.Wait(), WaitEnd::LeftOver);
    EXPECT_NE(v.drives.ReadFile(kTlFile).find(",\"POS1 Admin\","), std::string::npos);
}

TEST(TrafficLight, SixteenFailedReadsAreRecordedThenTheCallerGoesOn) {
    struct Case {
        const char* what;
        Op op;
        int fromCall;
        int waits;
        const char* firstStamp;
        const char* lastStamp;  // one record a second
        const char* content;  // of the read before the failures
    } const cases[] = {
        {"the lock file cannot be opened", Op::ReadHead, 1, 15, "20261205094510", "20261205094525", ""},
        {"its creation time cannot be read", Op::CreationTime, 1, 15, "20261205094510", "20261205094525", ""},
        {"the reads fail after a good one", Op::ReadHead, 2, 16, "20261205094511", "20261205094526", "POS1 Admin"},
    };
    for (const Case& c : cases) {
        Venue v;
        v.files.Fail(c.op).FromCall(c.fromCall).WithError(32, kBusy);
        EXPECT_EQ(v.Wait(), WaitEnd::GaveUp) << c.what;
        EXPECT_EQ(v.waiter.waits, c.waits) << c.what;
        EXPECT_TRUE(v.Has(kLock)) << c.what;
        const std::vector<std::string> records = Lines(v.drives.ReadFile(kErrors));
        ASSERT_EQ(records.size(), 16u) << c.what;
        EXPECT_EQ(records.front(), std::string("\"") + c.firstStamp +
                                       "\",\"G:\\Shared\\Keystone abc 0000000001.mdb\",\"Corvane - DBREPAIR - KS\","
                                       "\"Error: 32 | " + kBusy + "\",\"" + c.content + "\",\"POS3\",\"Quorra\"")
            << c.what;
        EXPECT_EQ(records.back().substr(1, 14), c.lastStamp) << c.what;
    }
}

TEST(TrafficLight, ALockFolderIsUnreadableAndACommaInTheLabelStaysInItsField) {
    Venue v;
    v.Remove(kLock);
    v.drives.MakeFolder(kLock);
    EXPECT_EQ(v.Wait(kDatabase, "Corvane, prueba"), WaitEnd::GaveUp);
    const std::vector<std::string> records = Lines(v.drives.ReadFile(kErrors));
    ASSERT_EQ(records.size(), 16u);
    EXPECT_EQ(records[0].substr(16, 67),
              ",\"G:\\Shared\\Keystone abc 0000000001.mdb\",\"Corvane, prueba\",\"Error: ");
}

TEST(TrafficLight, ALogThatCannotBeWrittenNeverStopsTheWait) {
    struct Case {
        const char* what;
        std::function<void(Venue&)> arrange;
        WaitEnd end;
        const char* debugRecord;
    } const cases[] = {
        {"a file named TL stands in the folder's way",
         [](Venue& v) { v.drives.WriteFile("G:\\Shared\\TL", ""); }, WaitEnd::LeftOver,
         "\"TrafficLight: G:\\Shared\\TL\\POS3 TL.txt Error: 3 | "},
        {"the TL folder cannot be created", [](Venue& v) { v.files.Fail(Op::CreateFolder); }, WaitEnd::LeftOver,
         "\"TrafficLight: G:\\Shared\\TL Error: 5 | "},
        {"Errors.txt cannot be written",
         [](Venue& v) {
             v.files.Fail(Op::ReadHead);
             v.files.Fail(Op::AppendText).OnPathsWith("Errors.txt");
         },
         WaitEnd::GaveUp, "\"TrafficLight: G:\\Shared\\Errors.txt Error: 5 | "},
    };
    for (const Case& c : cases) {
        Venue v;
        c.arrange(v);
        EXPECT_EQ(v.Wait(), c.end) << c.what;
        EXPECT_EQ(v.Has(kLock), c.end != WaitEnd::LeftOver) << c.what;
        const std::string debug = v.drives.ReadFile(v.state.debugLogPath);
        EXPECT_NE(debug.find("\r\n" + std::string(c.debugRecord)), std::string::npos) << c.what << ": " << debug;
    }
}

TEST(TrafficLight, ALockFileThatCannotBeDeletedIsRecordedWithItsCounter) {
    Venue v;
    v.files.Fail(Op::Delete).WithError(32, kBusy);
    EXPECT_EQ(v.Wait(), WaitEnd::LeftOver);
    EXPECT_TRUE(v.Has(kLock));
    EXPECT_TRUE(v.Has(kTlFile));
    EXPECT_EQ(v.drives.ReadFile(kErrors),
              std::string("\"20261205094610\",\"G:\\Shared\\Keystone abc 0000000001.mdb\",\"Corvane - DBREPAIR - KS\","
                          "\"Error: 32 | ") + kBusy + "\",\"TRAFFICLIGHTCOUNTER: 60\",\"POS1 Admin\",\"POS3\",\"Quorra\"\r\n");
}

TEST(TrafficLight, TheProgramEndingDuringAWaitStopsItAtOnce) {
    struct Case {
        const char* what;
        bool readsFail;
        std::size_t records;
    } const cases[] = {
        {"waiting on the lock file", false, 0},
        {"waiting after failed reads", true, 3},
    };
    for (const Case& c : cases) {
        Venue v;
        if (c.readsFail) v.files.Fail(Op::ReadHead);
        v.waiter.endingAt = 3;
        EXPECT_EQ(v.Wait(), WaitEnd::ProgramEnding) << c.what;
        EXPECT_EQ(v.waiter.waits, 3) << c.what;
        EXPECT_TRUE(v.Has(kLock)) << c.what;
        EXPECT_EQ(Lines(v.drives.ReadFile(kErrors)).size(), c.records) << c.what;
    }
}

TEST(TrafficLight, TheStatusLineSaysWhatIsWaitedOnAndWhoHoldsIt) {
    struct Case {
        const char* what;
        const char* database;
        std::string lock;
        const char* line;
    } const cases[] = {
        {"a kind's database open on two computers", kDatabase,
         Slot("POS1", "Admin") + Slot("POS3", "Caja") + Slot("pos1", "Otro"),
         "Esperando Keystone: 11 s, en uso en POS1, POS3"},
        {"a lock file that names nobody", kDatabase, "", "Esperando Keystone: 11 s"},
        {"a file no kind's rule passes", "G:\\Shared\\keystone copia.mdb", Slot("CAJA1", "Admin"),
         "Esperando keystone copia.mdb: 11 s, en uso en CAJA1"},
    };
    for (const Case& c : cases) {
        Venue v;
        std::string lock = c.database;
        lock.replace(lock.size() - 3, 3, "ldb");
        v.drives.WriteFile(lock, c.lock);
        v.waiter.onWait = [&](int wait) { if (wait == 11) v.Remove(lock); };
        EXPECT_EQ(v.Wait(c.database), WaitEnd::Free) << c.what;
        EXPECT_EQ(v.progress.statuses, std::vector<std::string>{c.line}) << c.what;
    }
}

// A lock file recreated within every minute is never left over: only the
// run nobody watches bounds the wait, on the waits' own clock.
TEST(TrafficLight, ABoundEndsAWaitOnALockFileRecreatedEveryMinute) {
    struct Case {
        const char* what;
        int limit;
        WaitEnd end;
        int waits;
        DateTime clockAtEnd;
    } const cases[] = {
        {"thirty minutes", 30 * 60, WaitEnd::TimedOut, 1800, {2026, 12, 5, 10, 15, 10}},
        {"no bound: waited until it went", 0, WaitEnd::Free, 2500, {2026, 12, 5, 10, 26, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Venue v;
        v.waiter.onWait = [&](int wait) {
            if (wait == 2500) return v.Remove(kLock);
            if (wait % 50 != 0) return;
            v.drives.WriteFile(kLock, Slot("POS1", "Admin"));
            fs::last_write_time(v.drives.Local(kLock), fs::file_time_type::clock::now() + std::chrono::seconds(wait));
        };
        EXPECT_EQ(v.Wait(kDatabase, kLabel, c.limit), c.end);
        EXPECT_EQ(v.waiter.waits, c.waits);
        EXPECT_EQ(v.clock.now, c.clockAtEnd);
        EXPECT_EQ(v.Has(kLock), c.end == WaitEnd::TimedOut);
        EXPECT_FALSE(v.Has(kTlFile));
    }
}

// The engine's lock file is at most 16 KiB: what lies past 64 KiB of a
// larger one is not read, let alone every second.
TEST(TrafficLight, OnlyTheFirst64KiBOfALockFileAreRead) {
    Venue v;
    std::string bytes;
    while (bytes.size() < 64 * 1024) bytes += Slot("POS1", "Admin");
    v.drives.WriteFile(kLock, bytes + Slot("POS9", "Late") + "POS8");
    v.waiter.onWait = [&](int wait) { if (wait == 11) v.Remove(kLock); };
    EXPECT_EQ(v.Wait(), WaitEnd::Free);
    EXPECT_EQ(v.progress.statuses, std::vector<std::string>{"Esperando Keystone: 11 s, en uso en POS1"});
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
