#include "dbmaint/backup_catalogue.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

const std::string kPadding(30, ' ');

TEST(BackupDisplayText, MonthDayYearTimeAndTheZMark) {
    struct Case {
        const char* stamp;
        bool z;
        std::string text;
    } const cases[] = {
        {"240105-1430", false, "Ene. 05/24   14:30 " + kPadding + "240105-1430"},
        {"241231-0400", true, "Dic. 31/24   04:00 (Z)" + kPadding + "241231-0400"},
        {"241305-1430", false, ". 05/24   14:30 " + kPadding + "241305-1430"},
        {"240105-14", false, "Ene. 05/24   14: " + kPadding + "240105-14"},
    };
    for (const Case& c : cases) EXPECT_EQ(BackupDisplayText(c.stamp, c.z), c.text) << c.stamp;
}

constexpr const char* kBackups = "G:\\Shared\\_BackUps";

std::vector<CatalogueEntry> Listed(std::initializer_list<const char*> names, std::string_view searchName) {
    return Catalogue(kBackups, std::vector<std::string>(names.begin(), names.end()), searchName);
}

std::vector<std::string> Stamps(const std::vector<CatalogueEntry>& entries) {
    std::vector<std::string> stamps;
    for (const CatalogueEntry& entry : entries) stamps.push_back(entry.stamp);
    return stamps;
}

TEST(Catalogue, NewestFirstAsTextSoYear99SortsAboveYear24) {
    const auto entries = Listed({"Keystone a 240105-1430.mdb", "Keystone a 991231-2359.mdb",
                                 "Keystone a 241201-0400Z.MDB", "Keystone a 240105-1500.mdb"},
                                "Keystone");
    ASSERT_EQ(Stamps(entries),
              (std::vector<std::string>{"991231-2359", "241201-0400", "240105-1500", "240105-1430"}));
    EXPECT_EQ(entries[1].text.substr(0, 22), "Dic. 01/24   04:00 (Z)");
    EXPECT_EQ(entries[1].backupPath, "G:\\Shared\\_BackUps\\Keystone a 241201-0400Z.MDB");
}

TEST(Catalogue, AZBackupIsMarkedWhateverTheLetterCaseOfItsExtension) {
    const auto entries = Listed({"Keystone a 241201-0400Z.mdb", "Keystone a 241202-0400z.Mdb",
                                 "Keystone a 241203-0400.mdb", "Keystone a 241204-0400Z.mdb.bak"},
                                "Keystone");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].text.substr(0, 22), "Dic. 04/24   04:00 " + kPadding.substr(0, 3));
    EXPECT_EQ(entries[1].text.substr(0, 22), "Dic. 03/24   04:00 " + kPadding.substr(0, 3));
    EXPECT_EQ(entries[2].text.substr(0, 22), "Dic. 02/24   04:00 (Z)");
    EXPECT_EQ(entries[3].text.substr(0, 22), "Dic. 01/24   04:00 (Z)");
}

TEST(Catalogue, NamesContainingTheSearchNameInExactCase) {
    const auto names = {"Pantry a 240101-0400.mdb", "Pantry Backlog a 240102-0400.mdb", "pantry a 240103-0400.mdb",
                        "Pantry a 2401030400.mdb", "Backlog 240104-0400.mdb"};
    EXPECT_EQ(Stamps(Listed(names, "Pantry")), (std::vector<std::string>{"240102-0400", "240101-0400"}))
        << "Pantry lists Pantry Backlog's backups too; lower case and names without a dash are left out";
    EXPECT_EQ(Stamps(Listed(names, "Backlog")), (std::vector<std::string>{"240104-0400", "240102-0400"}));
    EXPECT_TRUE(Listed(names, "Keystone").empty());
}

}  // namespace
}  // namespace corvane
