#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/run_log.h"
#include "app/unattended.h"
#include "support/fakes.h"

namespace corvane {
namespace {

TEST(CommandLine, OneSwitchInAnyCaseWithASlashOrADash) {
    struct Case {
        std::vector<std::string> arguments;
        Invocation invocation;
    } const cases[] = {
        {{}, Invocation::Window},
        {{"/reparar"}, Invocation::Repair},
        {{"-REPARAR"}, Invocation::Repair},
        {{"/Reparar"}, Invocation::Repair},
        {{"/?"}, Invocation::Usage},
        {{"-?"}, Invocation::Usage},
        {{"reparar"}, Invocation::UsageError},
        {{"/reparar2"}, Invocation::UsageError},
        {{"/x"}, Invocation::UsageError},
        {{"/"}, Invocation::UsageError},
        {{""}, Invocation::UsageError},
        {{"/reparar", "/reparar"}, Invocation::UsageError},
        {{"/reparar", "/?"}, Invocation::UsageError},
    };
    for (const Case& c : cases) {
        std::string given;
        for (const std::string& a : c.arguments) given += "[" + a + "]";
        EXPECT_EQ(ParseCommandLine(c.arguments), c.invocation) << given;
    }
}

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

TEST(UnattendedProcess, AnEndBeforeTheRunIsThroughMeansNothingWasDone) {
    Unattended u;
    u.drives.MakeFolder("E:\\Corvane");
    UnattendedProcess process(u.log, u.process);
    process.End(0);
    EXPECT_EQ(u.process.endedWith, kExitNothingDone);
    EXPECT_EQ(u.Log(), "2026-12-07 04:00:05 MONITOR Fin: no se hizo nada (codigo de salida 2)\r\n");
}

TEST(RunLog, BeforeTheStartUpTheSystemNamesTheComputer) {
    Unattended u;
    u.drives.MakeFolder("E:\\Corvane");
    u.state.computerName.clear();
    u.log.Record("Inicio: /reparar");
    EXPECT_EQ(u.Log(), "2026-12-07 04:00:05 POS3 Inicio: /reparar\r\n");
}

}  // namespace
}  // namespace corvane
