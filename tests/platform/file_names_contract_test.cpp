// The names-only listing's part of the file-system contract: the very files
// the full listing gives, in its order, as names alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_system_contract.h"

namespace corvane {
namespace {
using testing::FailsWith;
using testing::FileSystemContract;

template <typename Env>
class FileNamesContract : public FileSystemContract<Env> {};
TYPED_TEST_SUITE(FileNamesContract, testing::Implementations, testing::EnvNames);

TYPED_TEST(FileNamesContract, TheFullListingsFilesInItsOrderNamesAlone) {
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
    // The full listing's own order is pinned by its contract; here it is the yardstick.
    ASSERT_EQ(expected.size(), 6u);
    ASSERT_NE(std::find(expected.begin(), expected.end(), "Año 240101-0400.mdb"), expected.end());

    for (const std::string& folder : {this->env.Folder(), this->env.Folder() + "\\"}) {
        std::vector<std::string> names{"stale"};
        ASSERT_TRUE(this->files.ListFileNames(folder, names)) << folder;
        EXPECT_EQ(names, expected) << folder;
    }
}

TYPED_TEST(FileNamesContract, NoFilesListEmptyAndAMissingFolderIsPathNotFound) {
    this->MakeFolder("Empty");
    this->MakeFolder("OnlyFolders\\Inner");
    for (const char* folder : {"Empty", "OnlyFolders"}) {
        std::vector<std::string> names{"stale"};
        EXPECT_TRUE(this->files.ListFileNames(this->At(folder), names)) << folder;
        EXPECT_TRUE(names.empty()) << folder;
    }
    for (const char* folder : {"Missing", "Missing\\Deeper"}) {
        std::vector<std::string> names;
        EXPECT_TRUE(FailsWith(this->files.ListFileNames(this->At(folder), names), 3)) << folder;
    }
}

}  // namespace
}  // namespace corvane
