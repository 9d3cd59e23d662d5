#include "dbmaint/database_kinds.h"

#include <gtest/gtest.h>

#include <map>

#include "support/fakes.h"

namespace corvane {
namespace {

struct NameCase {
    const char* name;
    std::optional<DbKind> kind;
};

// Names as the scan meets them, each unique without regard to letter case
// (as names in one Windows folder are). Each must be recognised as its kind or not at
// all: a false match would compact the wrong file under the wrong label.
const NameCase kNames[] = {
    {"Keystone abc 0123456789.mdb", DbKind::Keystone},
    {"Keystone abd 0123456789.MDB", DbKind::Keystone},
    {"Keystone a.c 0123456789.Mdb", DbKind::Keystone},  // the free characters may hold a full stop
    {"Keystone ñ-é 0123456789.mdb", DbKind::Keystone},  // counted as Windows counts them
    {"keystone abe 0123456789.MDB", std::nullopt},      // the prefix keeps its letter case
    {"Keystone abcd 0123456789.mdb", std::nullopt},     // four free characters
    {"Keystone ab 0123456789.mdb", std::nullopt},
    {"Keystone abc 012345678x.mdb", std::nullopt},
    {"Keystone abc -123456789.mdb", std::nullopt},
    {"Keystone abc +123456789.mdb", std::nullopt},
    {"Keystone abf 0123456789.mdb.bak", std::nullopt},
    {"Keystone abg 0123456789.ldb", std::nullopt},
    {"Keystone abh 01234567890mdb", std::nullopt},  // right length, no full stop
    {"Keystone abi 0123456789.md", std::nullopt},
    {"Keystone abj 0123456789", std::nullopt},
    {"Keystone", std::nullopt},
    {"Keystone .mdb", std::nullopt},
    {"KeystoneSolo abc 0123456789.mdb", DbKind::KeystoneSolo},
    {"Pantry abc 0123456789.mdb", DbKind::Pantry},
    {"Pantry Backlog abc 0123456789.mdb", DbKind::Backlog},  // never a Pantry
    {"Pantry Backlo 0123456789.mdb", std::nullopt},
    {"Overwatch abc 0123456789.mdb", DbKind::Overwatch},
    {"Playfield abc 0123456789.mdb", DbKind::Playfield},
    {"Tollgate abc 0123456789.mdb", DbKind::Tollgate},
    {"Festive abc 0123456789.mdb", DbKind::Festive},
    {"Cuebay abc 0123456789.mdb", DbKind::Cuebay},
    {"Chronicle abc 0123456789.mdb", DbKind::Chronicle},
    {"Staffroll abc 0123456789.mdb", DbKind::Staffroll},
    {"Patrons abc 0123456789.mdb", DbKind::Patrons},
    {"Ledgers abc 0123456789.mdb", DbKind::Ledgers},
};

TEST(DatabaseKinds, RecognisesListedFilesByTheStrictRuleOnly) {
    testing::TempDrives drives;
    drives.MakeFolder("G:\\Shared");
    for (const NameCase& c : kNames) drives.WriteFile(std::string("G:\\Shared\\") + c.name, "x");
    // A folder named like a database is no database.
    drives.MakeFolder("G:\\Shared\\Festive abc 9999999999.mdb");

    std::vector<FileEntry> files;
    ASSERT_TRUE(drives.files.ListFiles("G:\\Shared", files));
    std::map<std::string, std::optional<DbKind>> seen;
    for (const FileEntry& file : files) seen[file.name] = KindOfFile(file.name);

    EXPECT_EQ(seen.count("Festive abc 9999999999.mdb"), 0u);
    for (const NameCase& c : kNames) {
        ASSERT_EQ(seen.count(c.name), 1u) << c.name;
        EXPECT_EQ(seen[c.name], c.kind) << c.name;
    }
}

}  // namespace
}  // namespace corvane
