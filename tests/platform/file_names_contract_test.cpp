// The names-only listing's part of the file-system contract, on the mapped
// posix file system natively and the Win32 one under Wine (or Windows): the
// very files the full listing gives, in its order, as names alone.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/contract_env.h"

namespace corvane {
namespace {

class FileNamesContract : public ::testing::Test {
protected:
    std::string At(const std::string& name) const { return JoinPath(env.Folder(), name); }
    void Put(const std::string& name) const { std::ofstream(env.Local(At(name))) << name; }
    void MakeFolder(const std::string& name) const { std::filesystem::create_directories(env.Local(At(name))); }

    testing::ContractEnv env;
    FileSystem& files = env.Files();
};

TEST_F(FileNamesContract, TheFullListingsFilesInItsOrderNamesAlone) {
    // "_" sorts after the letters only when names are compared in upper case;
    // "Año" takes the way of a name that is not ASCII.
    for (const char* name : {"b.mdb", "_Old.mdb", "A.mdb", "c.MDB", "1.mdb", "Año 240101-0400.mdb"}) Put(name);
    MakeFolder("Keystone a 240102-0400.mdb");
    MakeFolder("0");

    std::vector<FileEntry> full;
    ASSERT_TRUE(files.ListFiles(env.Folder(), full));
    std::vector<std::string> expected;
    for (const FileEntry& entry : full) expected.push_back(entry.name);
    // The full listing's own order is pinned by its contract; here it is the yardstick.
    ASSERT_EQ(expected.size(), 6u);
    ASSERT_NE(std::find(expected.begin(), expected.end(), "Año 240101-0400.mdb"), expected.end());

    for (const std::string& folder : {env.Folder(), env.Folder() + "\\"}) {
        std::vector<std::string> names{"stale"};
        ASSERT_TRUE(files.ListFileNames(folder, names)) << folder;
        EXPECT_EQ(names, expected) << folder;
    }
}

TEST_F(FileNamesContract, NoFilesListEmptyAndAMissingFolderIsPathNotFound) {
    MakeFolder("Empty");
    MakeFolder("OnlyFolders\\Inner");
    struct Case {
        const char* folder;
        bool ok;
        unsigned long code;
    } const cases[] = {
        {"Empty", true, 0},
        {"OnlyFolders", true, 0},
        {"Missing", false, 3},
        {"Missing\\Deeper", false, 3},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names{"stale"};
        const Status listed = files.ListFileNames(At(c.folder), names);
        EXPECT_EQ(listed.ok, c.ok) << c.folder;
        EXPECT_EQ(listed.code, c.code) << c.folder;
        if (c.ok) {
            EXPECT_TRUE(names.empty()) << c.folder;
        }
    }
}

}  // namespace
}  // namespace corvane
