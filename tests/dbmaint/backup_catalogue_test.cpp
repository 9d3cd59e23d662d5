#include "dbmaint/backup_catalogue.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

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

}  // namespace
}  // namespace corvane
