#include "dbmaint/unattended_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app/command_line.h"
#include "support/fakes.h"

namespace corvane {
namespace {

// The main machine at night: its shared data folder, the engine and the log.
struct Night : testing::RunHarness {
    Night() {
        system.computerName = "monitor";
        state.computerName = "MONITOR";
        state.mainMachineName = "Monitor";
        state.devMachineMarker = "K305";
        state.sharedDataFolderPath = "G:\\Shared";
        state.sharedFolderFound = true;
        drives.MakeFolder("C:\\Windows\\SysWOW64");
        drives.MakeFolder("G:\\Shared");
    }
    void Put(const std::string& name) { drives.WriteFile("G:\\Shared\\" + name, "data"); }
    // After the start-up, the run's own boxes kept apart from the log.
    int Run() { return RunUnattendedRepair(context, engine, waiter, log); }
    // As the scheduled task starts it: the start-up first, every box a record.
    int RunFromStart() {
        state = ProgramState{};
        return RunUnattended(context, engine, waiter, [this] { ++started; });
    }
    std::string Log() const { return drives.ReadFile(log.Path()); }

    RunLog log{context};
    int started = 0;
};

TEST(UnattendedRun, EachEndHasItsExitCode) {
    struct Case {
        const char* what;
        std::function<void(Night&)> arrange;
        int code;
        bool pastStartUp = true;
        // The program's end asked for on the way: it ends saying nothing was done.
        std::optional<int> ended = std::nullopt;
    } const cases[] = {
        {"every database compacted", [](Night& n) { n.Put("Keystone abc 0000000001.mdb"); }, kExitDone},
        {"a row failed",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.Put("Pantry abc 0000000001.mdb");
             n.engine.failures["Pantry abc 0000000001.mdb"] =
                 EngineStatus::Fail(EngineFault::Failed, 3045, "CompactDatabase", "In use.");
         },
         kExitSomeFailed},
        {"nothing found", [](Night&) {}, kExitNothingDone},
        {"duplicates",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.Put("Keystone abc 0000000002.mdb");
         },
         kExitNothingDone, true, kExitNothingDone},
        {"no engine",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.engine.start = EngineStatus::Fail(EngineFault::Missing, 0x80040154, "CoCreateInstance", "Not registered");
         },
         kExitNothingDone},
        {"no connection", [](Night& n) { n.system.computerName = "pos1"; }, kExitNothingDone},
        {"another copy running", [](Night& n) { n.instance.anotherRunning = true; }, kExitAnotherRunning, false},
        {"started from the network",
         [](Night& n) {
             n.context.programFolder = "\\\\Monitor\\G\\Apps";
             std::filesystem::create_directories(n.drives.root / "unc" / "monitor" / "g" / "Apps");
         },
         kExitNothingDone, false},
        {"a close request during a wait",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.Put("Keystone abc 0000000001.ldb");
             n.waiter.endingAt = 3;
         },
         kExitInterrupted},
        {"a close request while the engine worked on the first database",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.Put("Pantry abc 0000000001.mdb");
             n.waiter.endingAtCheck = 2;
         },
         kExitInterrupted},
    };
    for (const Case& c : cases) {
        Night n;
        c.arrange(n);
        EXPECT_EQ(n.RunFromStart(), c.code) << c.what;
        EXPECT_EQ(n.started, c.pastStartUp ? 1 : 0) << c.what;
        EXPECT_EQ(n.process.endedWith, c.ended) << c.what;
        EXPECT_EQ(n.engine.calls.empty() ? "" : n.engine.calls.back(), "Quit")
            << c.what << ": no server of the engine stays behind the run";
        const std::string log = n.Log();
        std::size_t ends = 0;
        for (std::size_t at = log.find(" Fin: "); at != std::string::npos; at = log.find(" Fin: ", at + 1)) ++ends;
        EXPECT_EQ(ends, c.ended ? 2u : 1u) << c.what << ": the end asked for leaves its record too";
        EXPECT_NE(log.substr(0, log.find("\r\n")).find(" Inicio: /reparar, Corvane v"), std::string::npos) << c.what;
        EXPECT_EQ(log.substr(log.rfind(" Fin: ")), " " + EndRecord(c.code) + "\r\n") << c.what << ": the last record";
    }
}

TEST(UnattendedRun, AnInterruptedRunEndsAfterTheEngineCallUnderWayWithItsOwnRecord) {
    Night n;
    n.Put("Keystone abc 0000000001.mdb");
    n.Put("Pantry abc 0000000001.mdb");
    n.waiter.endingAtCheck = 2;
    EXPECT_EQ(n.Run(), kExitInterrupted);
    EXPECT_EQ(n.engine.calls.size(), 2u) << "the version, then Keystone's compaction only";
    EXPECT_EQ(n.drives.ReadFile("G:\\Shared\\Pantry abc 0000000001.mdb"), "data");
    EXPECT_EQ(EndRecord(kExitInterrupted), "Fin: interrumpido (codigo de salida 4)");
    EXPECT_NE(UsageLines()[12].find("4 interrumpido"), std::string::npos) << UsageLines()[12];
}

// A lock file recreated within every minute is never left over: at night the
// database fails its row after half an hour and the others are still done.
TEST(UnattendedRun, ADatabaseStillLockedAfterThirtyMinutesFailsItsRow) {
    Night n;
    n.Put("Keystone abc 0000000001.mdb");
    n.Put("Pantry abc 0000000001.mdb");
    const std::string lock = "G:\\Shared\\Keystone abc 0000000001.ldb";
    n.drives.WriteFile(lock, "POS1");
    n.waiter.onWait = [&](int wait) {
        if (wait % 50 != 0) return;
        n.drives.WriteFile(lock, "POS1");
        std::filesystem::last_write_time(n.drives.Local(lock),
                                         std::filesystem::file_time_type::clock::now() + std::chrono::seconds(wait));
    };
    EXPECT_EQ(n.Run(), kExitSomeFailed);
    EXPECT_EQ(n.waiter.waits, 1800);
    EXPECT_EQ(n.clock.now, (DateTime{2026, 12, 5, 10, 15, 10}));
    EXPECT_EQ(n.drives.ReadFile("G:\\Shared\\Keystone abc 0000000001.mdb"), "data");
    EXPECT_NE(n.drives.ReadFile("G:\\Shared\\Pantry abc 0000000001.mdb"), "data");
    EXPECT_EQ(n.dialogs.Texts(), (std::vector<std::string>{"Pantry OK!\r", "Error Keystone :(\r"}));
    EXPECT_NE(n.drives.ReadFile("G:\\Shared\\Errors.txt")
                  .find("\"Corvane - DBCOMPACT40 Keystone 2\",\"Error: 32 | Sigue en uso tras 30 minutos de espera\""),
              std::string::npos);
}

TEST(UnattendedRun, TheStatusLineIsLoggedWhenItSaysSomethingNew) {
    Night n;
    n.dialogs.answers.clear();
    n.Put("Keystone abc 0000000001.mdb");
    n.drives.WriteFile("G:\\Shared\\Keystone abc 0000000001.ldb", std::string("POS1") + std::string(60, '\0'));
    n.waiter.onWait = [&](int wait) {
        if (wait == 15) std::filesystem::remove(n.drives.Local("G:\\Shared\\Keystone abc 0000000001.ldb"));
    };
    EXPECT_EQ(n.Run(), kExitDone);
    const std::string log = n.Log();
    EXPECT_NE(log.find("MONITOR Compactando Keystone (1 de 1)\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("MONITOR Esperando Keystone: 11 s, en uso en POS1\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Esperando Keystone: 12 s"), std::string::npos) << "the seconds alone are no news";
}

TEST(UnattendedRun, ADatabaseNearTheLimitIsARecordAndNoBoxAndTheExitCodeStays) {
    Night n;
    n.engine.version = "3.5";
    n.Put("Keystone abc 0000000001.mdb");
    n.Put("Pantry abc 0000000001.mdb");
    std::filesystem::resize_file(n.drives.Local("G:\\Shared\\Keystone abc 0000000001.mdb"), 1650ull * 1024 * 1024);
    EXPECT_EQ(n.Run(), kExitDone);
    const std::string log = n.Log();
    EXPECT_NE(log.find("MONITOR AVISO Keystone: 1650,0 MB, pasa de"), std::string::npos) << log;
    EXPECT_EQ(log.find("AVISO Pantry"), std::string::npos) << log;
    for (const MessageBoxRequest& box : n.dialogs.shown) EXPECT_EQ(box.title, "Corvane") << box.text;
}

// Nobody there at night: the boxes and the end as records.
struct Unattended : testing::Harness {
    Unattended() {
        state.computerName = "MONITOR";
        clock.now = {2026, 12, 7, 4, 0, 5};
    }
    std::string Log() const { return drives.ReadFile("E:\\Corvane\\Corvane.log"); }

    RunLog log{context};
    UnattendedDialogs boxes{log};
};

TEST(UnattendedDialogs, EveryBoxIsOneRecordAndEveryQuestionIsAnsweredNo) {
    Unattended u;
    u.drives.MakeFolder("E:\\Corvane");
    MessageBoxRequest retry;
    retry.title = "ATENCION!!!";
    retry.text = "NO Hay Conexion con la Maquina 'Monitor'!!!\rIntentamos de Nuevo?";
    retry.buttons = Buttons::YesNo;
    MessageBoxRequest developer = retry;
    developer.buttons = Buttons::YesNoCancel;
    MessageBoxRequest result;
    result.title = "Corvane";
    result.text = "Keystone OK!\rLedgers OK!\r";
    EXPECT_EQ(u.boxes.Show(retry), Answer::No);
    EXPECT_EQ(u.boxes.Show(developer), Answer::No);
    EXPECT_EQ(u.boxes.Show(result), Answer::Ok);
    EXPECT_EQ(u.Log(),
              "2026-12-07 04:00:05 MONITOR Pregunta \"ATENCION!!!\": NO Hay Conexion con la Maquina 'Monitor'!!! | "
              "Intentamos de Nuevo? | -> No\r\n"
              "2026-12-07 04:00:05 MONITOR Pregunta \"ATENCION!!!\": NO Hay Conexion con la Maquina 'Monitor'!!! | "
              "Intentamos de Nuevo? | -> No\r\n"
              "2026-12-07 04:00:05 MONITOR Mensaje \"Corvane\": Keystone OK! | Ledgers OK!\r\n");
}

}  // namespace
}  // namespace corvane
