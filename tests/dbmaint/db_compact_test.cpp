#include "dbmaint/db_compact.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/build_config.h"
#include "dbmaint/db_password.h"
#include "support/failing_file_system.h"
#include "support/fakes.h"

namespace corvane {
namespace {
namespace fs = std::filesystem;
using Op = testing::FailingFileSystem::Op;

constexpr const char* kFolder = "G:\\Shared";

std::string InShared(const std::string& name) { return std::string(kFolder) + "\\" + name; }

// One database of each kind the folder may hold, Playfield in the shared
// Overwatch slot, Chronicle (neither repaired nor compacted) beside them.
const std::vector<std::string> kEveryKind = {
    "Backlog",   "Chronicle", "Cuebay",  "Festive",  "Keystone", "KeystoneSolo", "Ledgers",
    "Patrons",   "Pantry",    "Playfield", "Staffroll", "Tollgate",
};

std::string FileOf(const std::string& kind) {
    return (kind == "Backlog" ? std::string("Pantry Backlog") : kind) + " abc 0000012345.mdb";
}

// The shared data folder of the main machine, the engine, and the run that
// the repair request starts once the duplicate check has passed.
struct Venue {
    Venue() {
        h.state.computerName = "MONITOR";
        h.state.devMachineMarker = "K305";
        h.state.sharedDriveRoot = "G:";
        h.state.uiLanguageCode = "1";
        h.state.debugLogPath = "E:\\Corvane\\debug.deb";
        h.drives.MakeFolder(kFolder);
        // The status line drawn when each engine call begins.
        engine.onCall = [this](const std::string& call) {
            linesAtCalls.push_back(call.substr(0, call.find(' ')) + ": " +
                                   (progress.statuses.empty() ? "" : progress.statuses.back()));
        };
    }
    void Put(const std::vector<std::string>& kinds) {
        for (const std::string& kind : kinds) h.drives.WriteFile(InShared(FileOf(kind)), kind + " data");
    }
    void Maintain() { DBRepair(run); }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const MessageBoxRequest& box : h.dialogs.shown) texts.push_back(box.text);
        return texts;
    }
    std::string Content(const std::string& kind) const { return h.drives.ReadFile(InShared(FileOf(kind))); }
    bool Has(const std::string& path) const { return fs::exists(h.drives.Local(path)); }

    testing::Harness h;
    testing::FailingFileSystem files{h.drives.files};
    AppContext context{h.state, files, h.dialogs, h.system, h.clock, h.instance, h.process, "E:\\Corvane", "Corvane"};
    testing::RecordingWindow window;
    testing::RecordingProgress progress;
    testing::FakeEngine engine{h.drives};
    testing::FakeWaiter waiter{h.clock};
    DatabaseRun run{context, engine, waiter, window, progress};
    std::vector<std::string> linesAtCalls;
};

class Maintenance : public ::testing::Test, public Venue {};

TEST_F(Maintenance, CompactionRunsInItsOwnOrderAndSwapsEachCopyIn) {
    Put(kEveryKind);
    Maintain();

    EXPECT_EQ(linesAtCalls, (std::vector<std::string>{
                                "Compact: Compactando Keystone (1 de 10)",
                                "Compact: Compactando Staffroll (2 de 10)",
                                "Compact: Compactando Pantry (3 de 10)",
                                "Compact: Compactando Playfield (4 de 10)",
                                "Compact: Compactando Cuebay (5 de 10)",
                                "Compact: Compactando Festive (6 de 10)",
                                "Compact: Compactando Patrons (7 de 10)",
                                "Compact: Compactando Ledgers (8 de 10)",
                                "Compact: Compactando Backlog (9 de 10)",
                                "SecondRepair: Compactando KeystoneSolo (10 de 10)",
                                "Compact: Compactando KeystoneSolo (10 de 10)",
                            }));
    ASSERT_EQ(h.dialogs.shown.size(), 1u) << "no error box when nothing failed";
    const MessageBoxRequest& box = h.dialogs.shown[0];
    EXPECT_EQ(box.text,
              "Keystone OK!\rStaffroll OK!\rPantry OK!\rPlayfield OK!\rCuebay OK!\rFestive OK!\rPatrons OK!\r"
              "Ledgers OK!\rBacklog OK!\rKeystoneSolo OK!\r");
    EXPECT_EQ(box.title, "Corvane");
    EXPECT_EQ(box.icon, Icon::None);
    EXPECT_EQ(box.buttons, Buttons::Ok);

    for (const std::string& kind : kEveryKind) {
        const bool compacted = kind != "Tollgate" && kind != "Chronicle";
        EXPECT_EQ(Content(kind), kind + " data" + (compacted ? testing::FakeEngine::kCompactedMark : ""))
            << kind << " under its own name";
    }
    EXPECT_EQ(h.drives.FileNames(kFolder).size(), kEveryKind.size()) << "no temporary file is left";
}

TEST_F(Maintenance, EachCompactionUsesItsKindsTemporaryFileAndThePasswordOfItsName) {
    Put({"Patrons", "Playfield"});
    Maintain();
    const std::string password =
        PasswordFromNumberField("0000012345", build::kDbKey, build::kDbMarker);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{
                                "Version",
                                "Compact " + InShared(FileOf("Playfield")) + " > G:\\Shared\\PlayfieldC.mdb | " +
                                    "MS Access;pwd=" + password,
                                "Compact " + InShared(FileOf("Patrons")) + " > G:\\Shared\\PatronsC.mdb | " +
                                    "MS Access;pwd=" + password,
                            }));
}

TEST_F(Maintenance, RepairRunsInItsOwnOrderWithOneBoxPerDatabase) {
    engine.version = "3.5";
    Put(kEveryKind);
    Maintain();

    const std::vector<std::string> expected = {"Keystone OK!", "Staffroll OK!", "Pantry OK!", "Overwatch OK!",
                                               "Backlog OK!",  "Tollgate OK!",  "Cuebay OK!", "Festive OK!",
                                               "Patrons OK!"};
    EXPECT_EQ(BoxTexts(), expected);
    for (const MessageBoxRequest& box : h.dialogs.shown) {
        EXPECT_EQ(box.title, "Corvane");
        EXPECT_EQ(box.icon, Icon::None);
        EXPECT_EQ(box.buttons, Buttons::Ok);
    }
    EXPECT_EQ(linesAtCalls.front(), "Repair: Reparando Keystone (1 de 9)");
    EXPECT_EQ(linesAtCalls.back(), "Repair: Reparando Patrons (9 de 9)");
    for (const std::string& call : engine.calls) {
        EXPECT_EQ(call.find("Ledgers"), std::string::npos) << "Ledgers is compacted only: " << call;
        EXPECT_EQ(call.find("KeystoneSolo"), std::string::npos) << "KeystoneSolo is compacted only: " << call;
        EXPECT_EQ(call.find("Chronicle"), std::string::npos) << call;
    }
    EXPECT_EQ(Content("Keystone"), "Keystone data") << "repaired in place";
}

TEST_F(Maintenance, AFailedRepairShowsItsErrorBoxAndTheSequenceGoesOn) {
    engine.version = "3.5";
    engine.failures[FileOf("Staffroll")] =
        EngineStatus::Fail(EngineFault::Failed, 3045, "RepairDatabase", "Could not use; file already in use.");
    Put({"Keystone", "Staffroll", "Festive"});
    Maintain();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Keystone OK!", "ERROR en Staffroll", "Festive OK!"}));
    const std::string errors = h.drives.ReadFile("G:\\Shared\\Errors.txt");
    EXPECT_NE(errors.find(",\"Corvane - DBREPAIR - STAFFROLL\",\"Error: 3045 | Could not use; file already in use.\","),
              std::string::npos)
        << errors;
}

TEST(MaintenanceEngine, OnlyTheExactVersionThreeSixCompacts) {
    struct Case {
        const char* version;
        const char* secondCall;
    } const cases[] = {
        {"3.6", "Compact"}, {"3.5", "Repair"}, {"3.60", "Repair"}, {"12.0", "Repair"}, {"", "Repair"},
    };
    for (const Case& c : cases) {
        Venue m;
        m.engine.version = c.version;
        m.Put({"Pantry"});
        m.Maintain();
        ASSERT_EQ(m.engine.calls.size(), 2u) << "'" << c.version << "'";
        EXPECT_EQ(m.engine.calls[1].substr(0, m.engine.calls[1].find(' ')), c.secondCall) << "'" << c.version << "'";
    }
}

TEST(MaintenanceEngine, NothingFoundShowsNoBoxWhateverTheEngine) {
    for (const char* version : {"3.6", "3.5"}) {
        Venue m;
        m.engine.version = version;
        m.h.drives.WriteFile(InShared("Notas.mdb"), "not a database of the suite");
        m.Maintain();
        EXPECT_TRUE(m.h.dialogs.shown.empty()) << version;
        EXPECT_EQ(m.engine.calls, std::vector<std::string>{"Version"}) << version;
    }
}

TEST_F(Maintenance, FailuresGoToTheErrorBoxAfterTheOkBox) {
    Put({"Patrons", "Ledgers", "Keystone"});
    engine.failures[FileOf("Keystone")] =
        EngineStatus::Fail(EngineFault::Failed, 3356, "CompactDatabase", "Opened exclusively by another user.");
    Maintain();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Patrons OK!\rLedgers OK!\r", "Error Keystone :(\r"}));
    EXPECT_EQ(Content("Keystone"), "Keystone data") << "a failed compaction leaves the source as it was";
    EXPECT_FALSE(Has("G:\\Shared\\KeystoneC.mdb"));
    // The boxes say only that it failed; the record beside the databases says why.
    const std::string errors = h.drives.ReadFile("G:\\Shared\\Errors.txt");
    EXPECT_NE(errors.find(",\"" + InShared(FileOf("Keystone")) +
                          "\",\"Corvane - DBCOMPACT40 Keystone 2\",\"Error: 3356 | Opened exclusively by another "
                          "user.\",\"G:\\Shared\\KeystoneC.mdb\",\"MONITOR\",\"Quorra\"\r\n"),
              std::string::npos)
        << errors;
}

TEST_F(Maintenance, PatronsWaitsUnderTheFestiveLabel) {
    Put({"Patrons"});
    h.drives.WriteFile(InShared("Patrons abc 0000012345.ldb"), "POS2");
    waiter.onWait = [&](int wait) {
        if (wait == 12) fs::remove(h.drives.Local(InShared("Patrons abc 0000012345.ldb")));
    };
    window.messageVisible = true;
    Maintain();
    ASSERT_FALSE(window.messages.empty());
    EXPECT_NE(window.messages.back().find("\rCorvane - DBCOMPACT40 Festive\r"), std::string::npos);
    EXPECT_EQ(Content("Patrons"), std::string("Patrons data") + testing::FakeEngine::kCompactedMark);
}

TEST_F(Maintenance, ARenameThatFailsLeavesTheOldDatabaseAndReportsBothLines) {
    Put({"Staffroll", "Cuebay"});
    files.Fail(Op::Replace).OnPathsWith("Staffroll").WithError(32, "The file is in use.");
    Maintain();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Staffroll OK!\rCuebay OK!\r", "Error Staffroll :(\r"}));
    EXPECT_EQ(Content("Staffroll"), "Staffroll data");
    EXPECT_FALSE(Has("G:\\Shared\\StaffrollC.mdb")) << "the copy would only be in the next run's way";
    EXPECT_EQ(Content("Cuebay"), std::string("Cuebay data") + testing::FakeEngine::kCompactedMark);
}

TEST_F(Maintenance, AStaleTemporaryFileIsRemovedBeforeTheWait) {
    Put({"Keystone"});
    h.drives.WriteFile("G:\\Shared\\KeystoneC.mdb", "from a run that was cut short");
    h.drives.WriteFile(InShared("Keystone abc 0000012345.ldb"), "POS1");
    bool goneDuringWait = false;
    waiter.onWait = [&](int wait) {
        goneDuringWait = !Has("G:\\Shared\\KeystoneC.mdb");
        if (wait == 2) fs::remove(h.drives.Local(InShared("Keystone abc 0000012345.ldb")));
    };
    Maintain();
    EXPECT_TRUE(goneDuringWait);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Keystone OK!\r"}));
    EXPECT_EQ(Content("Keystone"), std::string("Keystone data") + testing::FakeEngine::kCompactedMark);
    EXPECT_FALSE(Has("G:\\Shared\\KeystoneC.mdb"));
}

TEST_F(Maintenance, AStaleTemporaryFileThatStaysIsNeverCompactedInto) {
    struct Case {
        const char* what;
        std::function<void(Venue&)> arrange;
    } const cases[] = {
        {"a folder of that name", [](Venue& m) { m.h.drives.MakeFolder("G:\\Shared\\KeystoneC.mdb"); }},
        {"a file that cannot be deleted",
         [](Venue& m) {
             m.h.drives.WriteFile("G:\\Shared\\KeystoneC.mdb", "held open");
             m.files.Fail(Op::Delete).OnPathsWith("KeystoneC").WithError(32, "In use.");
         }},
    };
    for (const Case& c : cases) {
        Venue m;
        m.Put({"Keystone", "Pantry"});
        c.arrange(m);
        m.Maintain();
        EXPECT_EQ(m.BoxTexts(), (std::vector<std::string>{"Pantry OK!\r", "Error Keystone :(\r"})) << c.what;
        for (const std::string& call : m.engine.calls) {
            EXPECT_EQ(call.find("KeystoneC.mdb"), std::string::npos) << c.what << ": " << call;
        }
        EXPECT_EQ(m.Content("Keystone"), "Keystone data") << c.what;
    }
}

TEST_F(Maintenance, KeystoneSolosExtraRepairIsSkippedOnlyWhenTheEngineLacksIt) {
    struct Case {
        const char* what;
        EngineStatus answer;
        bool compacted;
    } const cases[] = {
        {"repaired", EngineStatus::Ok(), true},
        {"second engine not installed",
         EngineStatus::Fail(EngineFault::Missing, 0x80040154, "CoCreateInstance", "Class not registered"), true},
        {"method unknown or 3251",
         EngineStatus::Fail(EngineFault::Unsupported, 3251, "RepairDatabase", "Operation is not supported."), true},
        {"the repair failed", EngineStatus::Fail(EngineFault::Failed, 3049, "RepairDatabase", "Damaged."), false},
    };
    for (const Case& c : cases) {
        Venue m;
        m.Put({"KeystoneSolo"});
        m.engine.secondRepair = c.answer;
        m.Maintain();
        const std::string expected = c.compacted ? "KeystoneSolo OK!\r" : "Error KeystoneSolo :(\r";
        EXPECT_EQ(m.BoxTexts(), std::vector<std::string>{expected}) << c.what;
        EXPECT_EQ(m.engine.calls.size(), c.compacted ? 3u : 2u) << c.what;
        EXPECT_EQ(m.engine.calls[1].substr(0, 13), "SecondRepair ") << c.what;
    }
}

TEST_F(Maintenance, AnEngineThatIsMissingIsReportedAndNothingIsTouched) {
    Put({"Keystone", "Pantry"});
    h.drives.WriteFile("G:\\Shared\\KeystoneC.mdb", "stale");
    engine.start = EngineStatus::Fail(EngineFault::Missing, 0x80040154, "CoCreateInstance", "Class not registered");
    Maintain();
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    const MessageBoxRequest& box = h.dialogs.shown[0];
    EXPECT_NE(box.text.find("Microsoft Access"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("0x80040154 | Class not registered"), std::string::npos) << box.text;
    EXPECT_EQ(box.icon, Icon::Stop);
    EXPECT_EQ(engine.calls, std::vector<std::string>{"Version"});
    EXPECT_EQ(Content("Keystone"), "Keystone data");
    EXPECT_EQ(h.drives.ReadFile("G:\\Shared\\KeystoneC.mdb"), "stale") << "not even the stale copy";
    EXPECT_FALSE(h.process.endedWith) << "the program stays usable";
}

TEST_F(Maintenance, AClosedProgramStopsTheRunBetweenSteps) {
    Put({"Keystone", "Staffroll"});
    h.drives.WriteFile(InShared("Staffroll abc 0000012345.ldb"), "POS1");
    waiter.endingAt = 3;
    Maintain();
    EXPECT_TRUE(h.dialogs.shown.empty()) << "no summary after a close";
    ASSERT_EQ(engine.calls.size(), 2u);
    EXPECT_EQ(engine.calls[1].substr(0, 17), "Compact G:\\Shared") << "Keystone was done before the wait";
    EXPECT_EQ(Content("Staffroll"), "Staffroll data");
    EXPECT_FALSE(Has("G:\\Shared\\StaffrollC.mdb"));
}

TEST(EngineErrorText, EngineNumbersInDecimalComFailuresInHex) {
    EXPECT_EQ(EngineErrorText(Status::Fail(3204, "", "Database already exists.")), "3204 | Database already exists.");
    EXPECT_EQ(EngineErrorText(Status::Fail(0x80040154, "", "Class not registered")),
              "0x80040154 | Class not registered");
}

}  // namespace
}  // namespace corvane
