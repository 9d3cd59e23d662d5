#include "dbmaint/folder_scan.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

std::vector<FileEntry> Listed(std::initializer_list<const char*> names) {
    std::vector<FileEntry> files;
    for (const char* name : names) files.push_back({name, std::string("G:\\Shared\\") + name, 0});
    return files;
}

TEST(FolderScan, TheFileListedLastWinsTheSharedOverwatchSlot) {
    const FolderScan scan = ScanFiles(Listed({"Overwatch abc 0000000001.mdb", "Playfield abc 0000000002.mdb",
                                              "Playfield abc 0000000003.mdb"}));
    EXPECT_EQ(scan.PathOf(DbKind::Overwatch), "G:\\Shared\\Playfield abc 0000000003.mdb");
    EXPECT_EQ(scan.PathOf(DbKind::Playfield), scan.PathOf(DbKind::Overwatch));
    EXPECT_EQ(FindDuplicates(scan).total, 0) << "Playfield is not counted, one Overwatch is no duplicate";
}

TEST(FolderScan, CountsOnlyTheKindsTheDuplicateCheckCounts) {
    const FolderScan scan = ScanFiles(Listed({"KeystoneSolo abc 0000000001.mdb", "KeystoneSolo abc 0000000002.mdb",
                                              "Chronicle abc 0000000001.mdb", "Chronicle abc 0000000002.mdb",
                                              "Pantry abc 0000000001.mdb", "Pantry Backlog abc 0000000001.mdb"}));
    EXPECT_EQ(FindDuplicates(scan).total, 0);
    EXPECT_EQ(scan.PathOf(DbKind::KeystoneSolo), "G:\\Shared\\KeystoneSolo abc 0000000002.mdb");
    EXPECT_EQ(scan.PathOf(DbKind::Pantry), "G:\\Shared\\Pantry abc 0000000001.mdb");
    EXPECT_EQ(scan.PathOf(DbKind::Backlog), "G:\\Shared\\Pantry Backlog abc 0000000001.mdb");
}

TEST(FolderScan, RepeatedFilesComeInTheCheckOrderWithTheirTotal) {
    const FolderScan scan = ScanFiles(Listed({"Staffroll abc 0000000001.mdb", "Keystone abc 0000000001.mdb",
                                              "Staffroll abd 0000000002.mdb", "Keystone abc 0000000002.mdb",
                                              "Keystone abc 0000000003.mdb", "Ledgers abc 0000000001.mdb"}));
    const Duplicates duplicates = FindDuplicates(scan);
    EXPECT_EQ(duplicates.total, 5);
    EXPECT_EQ(duplicates.repeatedFiles,
              "Keystone abc 0000000001.mdb\rKeystone abc 0000000002.mdb\rKeystone abc 0000000003.mdb\r\r"
              "Staffroll abc 0000000001.mdb\rStaffroll abd 0000000002.mdb\r\r");
}

}  // namespace
}  // namespace corvane
