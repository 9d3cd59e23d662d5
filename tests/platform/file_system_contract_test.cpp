// The file-system contract's folders and entries: lookups, listings,
// creation times, deletes, folders made, renames and second names.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_system_contract.h"

namespace corvane {
namespace {
using testing::FailsWith;
using testing::FileSystemContract;
namespace fs = std::filesystem;

TYPED_TEST_SUITE(FileSystemContract, testing::Implementations, testing::EnvNames);

TYPED_TEST(FileSystemContract, LooksUpFilesFoldersAndNothing) {
    this->Put("Keystone.mdb", "x");
    this->MakeFolder("_BackUps");
    struct Case {
        const char* name;
        EntryKind kind;
    } const cases[] = {
        {"Keystone.mdb", EntryKind::File},
        {"KEYSTONE.MDB", EntryKind::File},
        {"_BackUps", EntryKind::Folder},
        {"_BackUps\\", EntryKind::Folder},
        {"Keystone.ldb", EntryKind::None},
        {"Nowhere\\Keystone.mdb", EntryKind::None},
    };
    for (const Case& c : cases) EXPECT_EQ(this->files.Lookup(this->At(c.name)), c.kind) << c.name;
}

TYPED_TEST(FileSystemContract, ListsFilesOnlyInCaseInsensitiveNameOrder) {
    // Compared through upper case, "_" sorts after the letters: a fold to
    // lower case would put _Old.mdb first.
    for (const char* name : {"b.mdb", "_Old.mdb", "A.mdb", "c.MDB", "1.mdb"}) this->Put(name, name);
    this->MakeFolder("Zz");
    this->MakeFolder("0");

    std::vector<FileEntry> listed;
    ASSERT_TRUE(this->files.ListFiles(this->env.Folder(), listed));
    std::vector<std::string> names, paths;
    for (const FileEntry& entry : listed) {
        names.push_back(entry.name);
        paths.push_back(entry.path);
    }
    ASSERT_EQ(names, (std::vector<std::string>{"1.mdb", "A.mdb", "b.mdb", "c.MDB", "_Old.mdb"}));
    EXPECT_EQ(paths.front(), this->env.Folder() + "\\1.mdb");

    // The folder given with its trailing backslash lists the same, and the
    // paths do not get a second one.
    std::vector<FileEntry> again;
    ASSERT_TRUE(this->files.ListFiles(this->env.Folder() + "\\", again));
    ASSERT_EQ(again.size(), listed.size());
    EXPECT_EQ(again.back().path, this->env.Folder() + "\\_Old.mdb");
}

TYPED_TEST(FileSystemContract, ListsAFolderWithoutFilesAsEmptyAndAMissingOneAsPathNotFound) {
    this->MakeFolder("Empty");
    this->MakeFolder("OnlyFolders\\Inner");
    for (const char* folder : {"Empty", "OnlyFolders"}) {
        std::vector<FileEntry> listed{{"stale", "stale", 1}};
        EXPECT_TRUE(this->files.ListFiles(this->At(folder), listed)) << folder;
        EXPECT_TRUE(listed.empty()) << folder;
        std::vector<std::string> names{"stale"};
        EXPECT_TRUE(this->files.ListFileNames(this->At(folder), names)) << folder;
        EXPECT_TRUE(names.empty()) << folder;
    }
    for (const char* folder : {"Missing", "Missing\\Deeper"}) {
        std::vector<FileEntry> listed;
        std::vector<std::string> names;
        EXPECT_TRUE(FailsWith(this->files.ListFiles(this->At(folder), listed), 3)) << folder;
        EXPECT_TRUE(FailsWith(this->files.ListFileNames(this->At(folder), names), 3)) << folder;
    }
}

// The names-only listing gives the very files the full listing gives, in its
// order, as names alone.
TYPED_TEST(FileSystemContract, ListsFileNamesAsTheFullListingsFilesInItsOrder) {
    // "_" sorts after the letters only when names are compared in upper case;
    // "Año" takes the way of a name that is not ASCII.
    for (const char* name : {"b.mdb", "_Old.mdb", "A.mdb", "c.MDB", "1.mdb", "Año 240101-0400.mdb"}) {
        this->Put(name, name);
    }
    this->MakeFolder("Keystone a 240102-0400.mdb");
    this->MakeFolder("0");

    std::vector<FileEntry> full;
    ASSERT_TRUE(this->files.ListFiles(this->env.Folder(), full));
    std::vector<std::string> expected;
    for (const FileEntry& entry : full) expected.push_back(entry.name);
    // The full listing's own order is pinned above; here it is the yardstick.
    ASSERT_EQ(expected.size(), 6u);
    ASSERT_NE(std::find(expected.begin(), expected.end(), "Año 240101-0400.mdb"), expected.end());

    for (const std::string& folder : {this->env.Folder(), this->env.Folder() + "\\"}) {
        std::vector<std::string> names{"stale"};
        ASSERT_TRUE(this->files.ListFileNames(folder, names)) << folder;
        EXPECT_EQ(names, expected) << folder;
    }
}

TYPED_TEST(FileSystemContract, CreationTimeIsTheOneTheListingReports) {
    this->Put("Keystone.ldb", "lock");
    std::vector<FileEntry> listed;
    ASSERT_TRUE(this->files.ListFiles(this->env.Folder(), listed));
    ASSERT_EQ(listed.size(), 1u);

    FileTime created = 0;
    ASSERT_TRUE(this->files.CreationTime(this->At("Keystone.ldb"), created));
    EXPECT_EQ(created, listed[0].created);
    // Some time this century, in 100 ns ticks since 1601.
    EXPECT_GT(created, FileTime{125'911'584'000'000'000});

    EXPECT_TRUE(FailsWith(this->files.CreationTime(this->At("Missing.ldb"), created), 2));
}

TYPED_TEST(FileSystemContract, DeletesFilesButNotFolders) {
    this->Put("Old.mdb", "x");
    this->MakeFolder("Folder");
    ASSERT_TRUE(this->files.Delete(this->At("Old.mdb")));
    EXPECT_FALSE(this->Present("Old.mdb"));

    struct Case {
        const char* name;
        unsigned long code;
    } const cases[] = {{"Old.mdb", 2}, {"Missing\\Old.mdb", 3}, {"Folder", 5}};
    for (const Case& c : cases) EXPECT_TRUE(FailsWith(this->files.Delete(this->At(c.name)), c.code)) << c.name;
    EXPECT_TRUE(this->Present("Folder"));
}

TYPED_TEST(FileSystemContract, CreatesOneFolderLevel) {
    ASSERT_TRUE(this->files.CreateFolder(this->At("TL")));
    EXPECT_EQ(this->files.Lookup(this->At("TL")), EntryKind::Folder);
    EXPECT_TRUE(FailsWith(this->files.CreateFolder(this->At("TL")), 183));
    EXPECT_TRUE(FailsWith(this->files.CreateFolder(this->At("Missing\\TL")), 3));
}

TYPED_TEST(FileSystemContract, ReplacePutsTheSourceInTheDestinationsPlace) {
    this->Put("live.mdb", "old database");
    this->Put("live.tmp", "new database");
    ASSERT_TRUE(this->files.Replace(this->At("live.tmp"), this->At("live.mdb")));
    EXPECT_EQ(this->Get("live.mdb"), "new database");
    EXPECT_FALSE(this->Present("live.tmp"));

    this->Put("fresh.tmp", "x");
    ASSERT_TRUE(this->files.Replace(this->At("fresh.tmp"), this->At("fresh.mdb")));
    EXPECT_EQ(this->Get("fresh.mdb"), "x");

    EXPECT_TRUE(FailsWith(this->files.Replace(this->At("live.tmp"), this->At("live.mdb")), 2));
    EXPECT_EQ(this->Get("live.mdb"), "new database");
}

// What the restore keeps of a replaced database: a second name that keeps
// the old bytes once a new file is renamed over the first.
TYPED_TEST(FileSystemContract, ALinkKeepsTheOldFileWhenANewOneTakesTheName) {
    this->Put("live.mdb", "old database");
    ASSERT_TRUE(this->files.Link(this->At("live.mdb"), this->At("kept.mdb")));
    this->Put("live.tmp", "new database");
    ASSERT_TRUE(this->files.Replace(this->At("live.tmp"), this->At("live.mdb")));
    EXPECT_EQ(this->Get("kept.mdb"), "old database");
    EXPECT_EQ(this->Get("live.mdb"), "new database");
    EXPECT_TRUE(FailsWith(this->files.Link(this->At("live.mdb"), this->At("kept.mdb")), 183));
    EXPECT_TRUE(FailsWith(this->files.Link(this->At("missing.mdb"), this->At("other.mdb")), 2));
}

// What the room check before a swap asks: the volume of the databases'
// folder, asked by the folder or by a file in it.
TYPED_TEST(FileSystemContract, FreeSpaceAnswersForAFolderAndAFileInItButNotAMissingFolder) {
    this->Put("live.mdb", "x");
    std::uint64_t byFolder = 0, byFile = 0, missing = 0;
    ASSERT_TRUE(this->files.FreeSpace(this->env.Folder(), byFolder));
    ASSERT_TRUE(this->files.FreeSpace(this->At("live.mdb"), byFile));
    EXPECT_GT(byFolder, 0u);
    // Other programs write meanwhile: the same volume within a few megabytes.
    const std::uint64_t apart = byFolder > byFile ? byFolder - byFile : byFile - byFolder;
    EXPECT_LT(apart, 64u * 1024 * 1024);
    EXPECT_TRUE(FailsWith(this->files.FreeSpace(this->At("Missing\\Deeper"), missing), 3));
}

#ifndef _WIN32
// The tests of the room check see pruning make room only if removing a
// second name frees nothing and removing the last one frees the file.
TEST(FailingFileSystemContract, FreeSpaceShrinksAsFilesAreWrittenAndGrowsAsTheLastNameGoes) {
    testing::TempDrives drives;
    testing::FailingFileSystem files(drives.files);
    drives.MakeFolder("E:\\Work");
    files.SetFreeSpace("E:", 10000);
    const auto free = [&files] {
        std::uint64_t bytes = 0;
        EXPECT_TRUE(files.FreeSpace("E:\\Work", bytes));
        return bytes;
    };
    drives.WriteFile("E:\\Work\\a.mdb", std::string(1000, 'a'));
    EXPECT_EQ(free(), 9000u);
    ASSERT_TRUE(files.Link("E:\\Work\\a.mdb", "E:\\Work\\kept.mdb"));
    EXPECT_EQ(free(), 9000u);
    ASSERT_TRUE(files.Copy("E:\\Work\\a.mdb", "E:\\Work\\b.mdb"));
    EXPECT_EQ(free(), 8000u);
    ASSERT_TRUE(files.Delete("E:\\Work\\a.mdb"));
    EXPECT_EQ(free(), 8000u);
    ASSERT_TRUE(files.Delete("E:\\Work\\kept.mdb"));
    EXPECT_EQ(free(), 9000u);
}
#endif

}  // namespace
}  // namespace corvane
