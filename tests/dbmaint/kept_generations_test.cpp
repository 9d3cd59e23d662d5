#include "dbmaint/kept_generations.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fakes.h"

namespace corvane {
namespace {

constexpr const char* kLive = "G:\\Shared\\Pantry abcde 0000000001.mdb";
constexpr const char* kFolder = "G:\\Shared\\_Reemplazadas";
constexpr DateTime kNow{2026, 12, 5, 4, 0, 0};

std::vector<std::string> Names(testing::Harness& h) {
    std::vector<std::string> names = h.drives.FileNames(kFolder);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(KeptGenerations, OnlyThisDatabasesDatedNamesCountNewestFirst) {
    testing::Harness h;
    h.drives.MakeFolder(kFolder);
    for (const char* name : {
             "Pantry abcde 0000000001 261201-040000.mdb",
             "PANTRY ABCDE 0000000001 261203-040000.MDB",        // letter case aside: the same database
             "Pantry abcde 0000000001 261202-040000.mdb",
             "Pantry abcde 0000000001.mdb",                      // the one kept copy of earlier versions
             "Pantry abcde 0000000001 261204-040000.mdb.nueva",  // a passing name
             "Pantry abcde 0000000001 2612x4-040000.mdb",
             "Pantry Backlog abcde 0000000001 261205-040000.mdb",
             "Pantry abcde 0000000002 261206-040000.mdb",
         }) {
        h.drives.WriteFile(std::string(kFolder) + "\\" + name, name);
    }
    std::vector<std::string> paths;
    ASSERT_TRUE(ListKeptGenerations(h.files, kLive, kNow, paths));
    EXPECT_EQ(paths, (std::vector<std::string>{
                         std::string(kFolder) + "\\PANTRY ABCDE 0000000001 261203-040000.MDB",
                         std::string(kFolder) + "\\Pantry abcde 0000000001 261202-040000.mdb",
                         std::string(kFolder) + "\\Pantry abcde 0000000001 261201-040000.mdb",
                     }));
}

// A compaction keeps by link only and a restore by link or copy; both are
// generations of one database, and the newest three stay whatever made them.
TEST(KeptGenerations, TheNewestThreeStayWhateverMadeThem) {
    testing::Harness h;
    h.drives.MakeFolder("G:\\Shared");
    for (int i = 0; i < 5; ++i) {
        h.drives.WriteFile(kLive, "state " + std::to_string(i));
        KeptGeneration kept(h.files, kLive, DateTime{2026, 12, 5, 4, i, 0});
        ASSERT_TRUE(kept.Make(i % 2 == 0 ? KeepBy::LinkOnly : KeepBy::LinkOrCopy)) << i;
        // The swap: a new file takes the live name; the kept one keeps the old bytes.
        h.drives.WriteFile(std::string(kLive) + ".tmp", "next");
        ASSERT_TRUE(h.files.Replace(std::string(kLive) + ".tmp", kLive));
        ASSERT_TRUE(kept.Name()) << i;
        ASSERT_TRUE(PruneKeptGenerations(h.files, kLive, kNow)) << i;
    }
    EXPECT_EQ(Names(h), (std::vector<std::string>{"Pantry abcde 0000000001 261205-040200.mdb",
                                                  "Pantry abcde 0000000001 261205-040300.mdb",
                                                  "Pantry abcde 0000000001 261205-040400.mdb"}));
    EXPECT_EQ(h.drives.ReadFile(std::string(kFolder) + "\\Pantry abcde 0000000001 261205-040300.mdb"), "state 3");
}

// The hour repeated in autumn: a generation stamped before the newest one
// would be the first the pruning takes.
TEST(KeptGenerations, AClockSetBackStillNamesTheNewGenerationNewest) {
    testing::Harness h;
    h.drives.MakeFolder(kFolder);
    for (const char* stamp : {"261025-024000", "261025-024500", "261025-025000"}) {
        h.drives.WriteFile(std::string(kFolder) + "\\Pantry abcde 0000000001 " + stamp + ".mdb", "earlier");
    }
    h.drives.WriteFile(kLive, "now");
    KeptGeneration kept(h.files, kLive, DateTime{2026, 10, 25, 2, 10, 0});
    ASSERT_TRUE(kept.Make(KeepBy::LinkOnly));
    ASSERT_TRUE(kept.Name());
    ASSERT_TRUE(PruneKeptGenerations(h.files, kLive, kNow));
    EXPECT_EQ(kept.Dated(), std::string(kFolder) + "\\Pantry abcde 0000000001 261025-025001.mdb");
    EXPECT_EQ(h.drives.ReadFile(kept.Dated()), "now");
    EXPECT_EQ(Names(h).size(), 3u);
}

TEST(KeptGenerations, LinkOnlyKeepsNothingWhereLinksAreRefused) {
    testing::Harness h;
    h.drives.MakeFolder("G:\\Shared");
    h.drives.WriteFile(kLive, "live");
    h.files.Fail(testing::FailingFileSystem::Op::Link).WithError(1, "Incorrect function.");
    KeptGeneration kept(h.files, kLive, DateTime{2026, 12, 5, 4, 0, 0});
    EXPECT_EQ(kept.Make(KeepBy::LinkOnly).code, 1u);
    EXPECT_TRUE(Names(h).empty());
    ASSERT_TRUE(kept.Make(KeepBy::LinkOrCopy));
    EXPECT_EQ(h.drives.ReadFile(kept.Passing()), "live");
}

// The next generation's name against the stamps already there: it must be
// the newest by date, so the pruning after it never takes it first.
TEST(KeptGenerations, TheNewNameFollowsOnlyStampsThatCanBeRight) {
    struct Case {
        const char* what;
        DateTime now;
        std::vector<std::string> stamps;
        const char* named;
        std::size_t stays;  // after the pruning that follows
    } const cases[] = {
        {"a stamp a day and more ahead is a clock that was wrong", {2026, 12, 5, 4, 0, 0},
         {"270601-000000"}, "261205-040000", 2},
        {"a stamp within a day ahead is an hour repeated", {2026, 12, 5, 4, 0, 0},
         {"261205-120000"}, "261205-120001", 2},
        {"the last century's stamps are older, whatever their digits", {2000, 1, 1, 0, 0, 5},
         {"991231-235957", "991231-235958", "991231-235959"}, "000101-000005", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::Harness h;
        h.drives.MakeFolder(kFolder);
        for (const std::string& stamp : c.stamps) {
            h.drives.WriteFile(std::string(kFolder) + "\\Pantry abcde 0000000001 " + stamp + ".mdb", stamp);
        }
        h.drives.WriteFile(kLive, "now");
        KeptGeneration kept(h.files, kLive, c.now);
        ASSERT_TRUE(kept.Make(KeepBy::LinkOnly));
        ASSERT_TRUE(kept.Name());
        ASSERT_TRUE(PruneKeptGenerations(h.files, kLive, c.now));
        EXPECT_EQ(kept.Dated(), std::string(kFolder) + "\\Pantry abcde 0000000001 " + c.named + ".mdb");
        EXPECT_EQ(h.drives.ReadFile(kept.Dated()), "now");
        EXPECT_EQ(Names(h).size(), c.stays);
    }
}

// A run killed between keeping a generation and its swap leaves it under
// its passing name; the next run of that database settles it.
TEST(KeptGenerations, ALeftoverPassingNameIsNamedOrRemovedWhenItsBytesAreKeptAlready) {
    const std::string leftover = std::string(kFolder) + "\\Pantry abcde 0000000001 261204-040000.mdb.nueva";
    const std::string other = std::string(kFolder) + "\\Pantry Backlog abcde 0000000001 261204-040000.mdb.nueva";
    struct Case {
        const char* what;
        std::string existing;  // the bytes of a generation there already
        bool named;
    } const cases[] = {
        {"no generation of those bytes, though of their size", "edited", true},
        {"the same bytes kept already", "killed", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::Harness h;
        h.drives.MakeFolder(kFolder);
        h.drives.WriteFile(std::string(kFolder) + "\\Pantry abcde 0000000001 261203-040000.mdb", c.existing);
        h.drives.WriteFile(leftover, "killed");
        h.drives.WriteFile(other, "another database's");
        std::vector<std::string> records;
        ASSERT_TRUE(SettleLeftovers(h.files, kLive, kNow, records));
        const std::string dated = leftover.substr(0, leftover.size() - 6);
        EXPECT_EQ(h.files.Exists(dated) ? h.drives.ReadFile(dated) : "(none)", c.named ? "killed" : "(none)");
        EXPECT_FALSE(h.files.Exists(leftover));
        EXPECT_EQ(h.drives.ReadFile(other), "another database's");
        ASSERT_EQ(records.size(), 1u);
        EXPECT_NE(records[0].find(c.named ? " guardada como " + dated : " quitada, igual a "), std::string::npos)
            << records[0];
    }
}

}  // namespace
}  // namespace corvane
