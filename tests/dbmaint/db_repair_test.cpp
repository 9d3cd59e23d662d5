#include "dbmaint/db_repair.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

std::vector<FileEntry> Listed(std::initializer_list<const char*> names) {
    std::vector<FileEntry> files;
    for (const char* name : names) files.push_back({name, std::string("G:\\Shared\\") + name, 0});
    return files;
}

TEST(DBRepairScan, TheFileListedLastWinsTheSharedOverwatchSlot) {
    const FolderScan scan = ScanFiles(Listed({"Overwatch abc 0000000001.mdb", "Playfield abc 0000000002.mdb",
                                              "Playfield abc 0000000003.mdb"}));
    EXPECT_EQ(scan.PathOf(DbKind::Overwatch), "G:\\Shared\\Playfield abc 0000000003.mdb");
    EXPECT_EQ(scan.PathOf(DbKind::Playfield), scan.PathOf(DbKind::Overwatch));
    EXPECT_EQ(FindDuplicates(scan).total, 0) << "Playfield is not counted, one Overwatch is no duplicate";
}

TEST(DBRepairScan, CountsOnlyTheKindsTheDuplicateCheckCounts) {
    const FolderScan scan = ScanFiles(Listed({"KeystoneSolo abc 0000000001.mdb", "KeystoneSolo abc 0000000002.mdb",
                                              "Chronicle abc 0000000001.mdb", "Chronicle abc 0000000002.mdb",
                                              "Pantry abc 0000000001.mdb", "Pantry Backlog abc 0000000001.mdb"}));
    EXPECT_EQ(FindDuplicates(scan).total, 0);
    EXPECT_EQ(scan.PathOf(DbKind::KeystoneSolo), "G:\\Shared\\KeystoneSolo abc 0000000002.mdb");
    EXPECT_EQ(scan.PathOf(DbKind::Pantry), "G:\\Shared\\Pantry abc 0000000001.mdb");
    EXPECT_EQ(scan.PathOf(DbKind::Backlog), "G:\\Shared\\Pantry Backlog abc 0000000001.mdb");
}

TEST(DBRepairScan, RepeatedFilesComeInTheCheckOrderWithTheirTotal) {
    const FolderScan scan = ScanFiles(Listed({"Staffroll abc 0000000001.mdb", "Keystone abc 0000000001.mdb",
                                              "Staffroll abd 0000000002.mdb", "Keystone abc 0000000002.mdb",
                                              "Keystone abc 0000000003.mdb", "Ledgers abc 0000000001.mdb"}));
    const Duplicates duplicates = FindDuplicates(scan);
    EXPECT_EQ(duplicates.total, 5);
    EXPECT_EQ(duplicates.repeatedFiles,
              "Keystone abc 0000000001.mdb\rKeystone abc 0000000002.mdb\rKeystone abc 0000000003.mdb\r\r"
              "Staffroll abc 0000000001.mdb\rStaffroll abd 0000000002.mdb\r\r");
}

TEST(DuplicateMessage, EachLanguageWordForWord) {
    const Duplicates two{2, "Staffroll abc 0000000001.mdb\rStaffroll abd 0000000002.mdb\r\r"};
    const std::string files = "\r\rStaffroll abc 0000000001.mdb\rStaffroll abd 0000000002.mdb\r\r";
    struct Case {
        const char* code;
        const char* title;
        std::string text;
    } const cases[] = {
        {"1", "ATENCION!!!",
         "Hay 2 Bases de Datos Repetidas en \rG:\\Shared\\\r\r"
         "Hay Que Rodar el Programa con UNA Base de Datos de Cada Tipo SOLA.\r\r\rRepetidas:" + files},
        {"2", "ATENÇÃO!!!",
         "Ha 2 Bases de Dados Repetidas em \rG:\\Shared\\\r\r"
         "Tem Que Rodar o Programa com UMA Base de Dados de Cada Tipo SO.\r\r\rRepetidas:" + files},
        {"3", "ATENTION!!!",
         "There are 2 DataBases Repeated in \rG:\\Shared\\\r\r"
         "This Program Runs with ONLY ONE DataBase of each Type.\r\r\rRepeated:" + files},
        {"", "ATENCION!!!  -  ATENÇÃO!!!  -  ATENTION!!!",
         "Hay 2 Bases de Datos Repetidas en \rHa 2 Bases de Dados Repetidas em \r"
         "There are 2 DataBases Repeated in \rG:\\Shared\\\r\r"
         "Hay Que Rodar el Programa con UNA Base de Datos de Cada Tipo SOLA.\r"
         "Tem Que Rodar o Programa com UMA Base de Dados de Cada Tipo SO.\r"
         "This Program Runs with ONLY ONE DataBase of each Type.\r\r\r"
         "Repetidas:\rRepetidas:\rRepeated:" + files},
    };
    for (const Case& c : cases) {
        const DuplicateMessage message = DuplicateMessageFor(c.code, "G:\\Shared", two);
        EXPECT_EQ(message.title, c.title) << "language '" << c.code << "'";
        EXPECT_EQ(message.text, c.text) << "language '" << c.code << "'";
    }
    EXPECT_EQ(DuplicateMessageFor("4", "G:\\Shared", two).text, DuplicateMessageFor("", "G:\\Shared", two).text)
        << "an unknown code shows all three";
}

class DBRepairRun : public ::testing::Test, public testing::RunHarness {
protected:
    DBRepairRun() {
        state.computerName = "MONITOR";
        state.devMachineMarker = "K305";
        state.sharedDriveRoot = "G:";
        state.uiLanguageCode = "1";
        drives.MakeFolder("G:\\Shared");
    }
    void Run() { DBRepair(run); }
};

TEST_F(DBRepairRun, DuplicatesAreShownWithTheStopIconAndEndTheProgram) {
    drives.WriteFile("G:\\Shared\\Staffroll abc 0000000001.mdb", "a");
    drives.WriteFile("G:\\Shared\\staffroll abc 0000000009.mdb", "ignored: lower-case prefix");
    drives.WriteFile("G:\\Shared\\Staffroll abd 0000000002.mdb", "b");
    Run();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const MessageBoxRequest& box = dialogs.shown[0];
    EXPECT_EQ(box.text.substr(0, 36), "Hay 2 Bases de Datos Repetidas en \rG");
    EXPECT_NE(box.text.find("\r\rStaffroll abc 0000000001.mdb\rStaffroll abd 0000000002.mdb\r\r"), std::string::npos);
    EXPECT_EQ(box.icon, Icon::Stop);
    EXPECT_EQ(box.buttons, Buttons::Ok);
    EXPECT_EQ(process.endedWith, 0);
    EXPECT_EQ(drives.ReadFile("G:\\Shared\\Staffroll abc 0000000001.mdb"), "a") << "nothing touched";
}

TEST_F(DBRepairRun, ADeveloperMachineScansDriveDWhateverTheRoot) {
    state.computerName = "DEV-K305";
    drives.MakeFolder("D:\\Shared");
    drives.WriteFile("D:\\Shared\\Keystone abc 0000000001.mdb", "");
    drives.WriteFile("D:\\Shared\\Keystone abc 0000000002.mdb", "");
    Run();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("\rD:\\Shared\\\r"), std::string::npos);
}

TEST_F(DBRepairRun, AFolderThatCannotBeListedIsReportedAndTheProgramStays) {
    struct Case {
        const char* what;
        std::string root;
    } const cases[] = {
        {"the share went away", "\\\\Caja9\\G"},
        {"the folder was removed", "E:"},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        state.sharedDriveRoot = c.root;
        Run();
        ASSERT_EQ(dialogs.shown.size(), 1u) << c.what;
        const MessageBoxRequest& box = dialogs.shown[0];
        EXPECT_NE(box.text.find(c.root + "\\Shared\r"), std::string::npos) << c.what << ": " << box.text;
        EXPECT_NE(box.text.find("(Error "), std::string::npos) << c.what << ": " << box.text;
        EXPECT_EQ(box.icon, Icon::Stop);
        EXPECT_FALSE(process.endedWith) << c.what;
        EXPECT_EQ(state.sharedDriveRoot, c.root) << "the next request tries again from the same root";
    }
}

}  // namespace
}  // namespace corvane
