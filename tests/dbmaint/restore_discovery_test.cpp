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
