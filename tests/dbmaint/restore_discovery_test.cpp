#include "dbmaint/restore_discovery.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

int IndexOf(const char* caption) {
    for (int i = 0; i < kRestorableCount; ++i) {
        if (std::string(RestorableKinds()[i].caption) == caption) return i;
    }
    return -1;
}

TEST(RestoreScanRule, FiveFreeCharactersNotThree) {
    struct Case {
        const char* name;
        const char* caption;  // nullptr: no kind takes it
    } const cases[] = {
        {"Playfield 12345 0123456789.MDB", "Playfield"},
        {"Playfield 12345 0123456789.mdb", "Playfield"},
        {"Playfield 123 0123456789.MDB", nullptr},     // the repair scan's rule
        {"playfield 12345 0123456789.MDB", nullptr},   // prefix in exact case
        {"Playfield 12345 01234x6789.MDB", nullptr},   // not a number
        {"Playfield 12345 0123456789.MDX", nullptr},
        {"Pantry Backlog 12345 0123456789.mdb", "Pantry Backlog"},
        {"Pantry 12345 0123456789.mdb", "Pantry"},
        {"KeystoneSolo 12345 0123456789.mdb", "KS Solo"},
        {"Keystone Ñ2345 0123456789.mdb", "Keystone"},  // one character, as Windows counts
        {"Overwatch 12345 0123456789.mdb", nullptr},  // not restorable
        {"Chronicle 12345 0123456789.mdb", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<int> index = RestorableIndexOfFile(c.name);
        if (c.caption == nullptr) {
            EXPECT_FALSE(index) << c.name;
        } else {
            EXPECT_EQ(index, IndexOf(c.caption)) << c.name;
        }
    }
}

TEST(RestoreScan, TheFileListedLastWinsItsKindAndOthersStayEmpty) {
    testing::Harness h;
    h.state.sharedDataFolderPath = "G:\\Shared";
    h.drives.MakeFolder("G:\\Shared\\Sub 12345 0123456789.mdb");
    for (const char* name : {"Playfield 12345 0000000001.mdb", "Playfield 12346 0000000002.mdb",
                             "Keystone 12345 0000000001.mdb", "Notes.txt"}) {
        h.drives.WriteFile(std::string("G:\\Shared\\") + name, "");
    }
    LiveDatabases live;
    live.fill("left from before");
    ASSERT_TRUE(RestoreScan(h.context, live));
    EXPECT_EQ(live[IndexOf("Playfield")], "G:\\Shared\\Playfield 12346 0000000002.mdb");
    EXPECT_EQ(live[IndexOf("Keystone")], "G:\\Shared\\Keystone 12345 0000000001.mdb");
    EXPECT_EQ(live[IndexOf("Tollgate")], "");
}

}  // namespace
}  // namespace corvane
