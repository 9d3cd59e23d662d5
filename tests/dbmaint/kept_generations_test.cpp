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
