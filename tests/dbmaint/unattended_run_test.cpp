#include "dbmaint/unattended_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "support/fakes.h"

namespace corvane {
namespace {

// The main machine at night: its shared data folder, the engine and the log.
struct Night : testing::RunHarness {
    Night() {
        system.computerName = "monitor";
        AtTheMainMachine();
        drives.MakeFolder("C:\\Windows\\SysWOW64");
    }
    void Put(const std::string& name) { drives.WriteFile("G:\\Shared\\" + name, "data"); }
    // As the scheduled task starts it: the start-up first, every box a record.
    int RunFromStart() {
        state = ProgramState{};
        return RunUnattended(context, engine, waiter);
    }
    std::string Log() const { return drives.ReadFile(log.Path()); }

    RunLog log{context};
};

TEST(UnattendedRun, EachEndHasItsExitCode) {
    struct Case {
        const char* what;
        std::function<void(Night&)> arrange;
        int code;
        // The program's end asked for on the way: it ends saying nothing was done
        // (its record is the frame's).
        std::optional<int> ended = std::nullopt;
        std::string last = "";  // the last record, when not EndRecord(code)
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
         kExitNothingDone, kExitNothingDone},
        {"no engine",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.engine.start = EngineStatus::Fail(EngineFault::Missing, 0x80040154, "CoCreateInstance", "Not registered");
         },
         kExitNothingDone},
        {"no connection", [](Night& n) { n.system.computerName = "pos1"; }, kExitNothingDone},
        // An idle window left open on the nightly machine costs no night.
        {"a window of another copy open",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.instance.anotherRunning = true;
             n.instance.earlierWindowFound = true;
         },
         kExitDone},
        {"started from the network",
         [](Night& n) {
             n.context.programFolder = "\\\\Monitor\\G\\Apps";
             std::filesystem::create_directories(n.drives.root / "unc" / "monitor" / "g" / "Apps");
         },
         kExitNothingDone},
        {"an unforeseen fault",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.engine.onCall = [](const std::string&) { throw std::runtime_error("sin memoria"); };
         },
         kExitSomeFailed, std::nullopt, "Fin: error interno (sin memoria)"},
        {"a close request during a wait",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.Put("Keystone abc 0000000001.ldb");
             n.waiter.endingAt = 3;
         },
         kExitInterrupted},
        // A lock file recreated within every minute is never left over: at
        // night the database fails its row after half an hour.
        {"a database still locked after thirty minutes",
         [](Night& n) {
             n.Put("Keystone abc 0000000001.mdb");
             n.Put("Keystone abc 0000000001.ldb");
             n.waiter.onWait = [&n](int wait) {
                 if (wait % 50 != 0) return;
                 n.Put("Keystone abc 0000000001.ldb");
                 std::filesystem::last_write_time(n.drives.Local("G:\\Shared\\Keystone abc 0000000001.ldb"),
                                                  std::filesystem::file_time_type::clock::now() +
                                                      std::chrono::seconds(wait));
             };
         },
         kExitSomeFailed},
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
        // The engine is asked to quit before any end is recorded.
        std::optional<std::size_t> loggedAtQuit;
        n.engine.onQuit = [&] {
            if (!loggedAtQuit) loggedAtQuit = n.Log().find(" Fin: ");
        };
        EXPECT_EQ(n.RunFromStart(), c.code) << c.what;
        EXPECT_EQ(n.process.endedWith, c.ended) << c.what;
        EXPECT_EQ(loggedAtQuit, std::string::npos) << c.what << ": an end recorded before the engine's quit";
        EXPECT_EQ(n.engine.calls.empty() ? "" : n.engine.calls.back(), "Quit")
            << c.what << ": no server of the engine stays behind the run";
        const std::string log = n.Log();
        EXPECT_NE(log.substr(0, log.find("\r\n")).find(" Inicio: /reparar, Corvane v"), std::string::npos) << c.what;
        EXPECT_EQ(log.substr(log.rfind(" Fin: ")), " " + (c.last.empty() ? EndRecord(c.code) : c.last) + "\r\n")
            << c.what << ": the last record";
    }
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

TEST(UnattendedDialogs, AQuestionIsAnsweredNoAndItsRecordSaysSo) {
    Unattended u;
    u.drives.MakeFolder("E:\\Corvane");
    MessageBoxRequest retry;
    retry.title = "ATENCION!!!";
    retry.text = "Intentamos de Nuevo?";
    retry.buttons = Buttons::YesNo;
    EXPECT_EQ(u.boxes.Show(retry), Answer::No);
    EXPECT_EQ(u.Log(), "2026-12-07 04:00:05 MONITOR Pregunta \"ATENCION!!!\": Intentamos de Nuevo? | -> No\r\n");
}

}  // namespace
}  // namespace corvane
