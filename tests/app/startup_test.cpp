#include "app/startup.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/language_store.h"
#include "app/main_machine.h"
#include "base/text_file.h"
#include "support/fakes.h"

namespace corvane {
namespace {

TEST(DeveloperQuestions, AnswersChooseTheNameOrEndTheProgram) {
    using A = Answer;
    const std::string texts[] = {
        "Usamos el Nombre Original de esta Maquina?\r\rDEV-K305",
        "Usamos la Maquina con el Nombre\r\r'Monitor'?",
        "Usamos la Maquina con Otro Nombre?\r\r'PoS1'",
    };
    struct Case {
        std::deque<Answer> answers;
        bool goesOn;
        const char* name;
    } const cases[] = {
        {{A::Yes}, true, "DEV-K305"},
        {{A::No, A::Yes}, true, "Monitor"},
        {{A::No, A::No, A::Yes}, true, "PoS1"},
        {{A::No, A::No, A::No}, false, "DEV-K305"},
        {{A::Cancel}, false, "DEV-K305"},
        {{A::No, A::Cancel}, false, "DEV-K305"},
    };
    for (const Case& c : cases) {
        testing::Harness h;
        h.state.computerName = "DEV-K305";
        h.dialogs.answers = c.answers;
        EXPECT_EQ(AskDeveloperQuestions(h.context), c.goesOn);
        EXPECT_EQ(h.state.computerName, c.name);
        ASSERT_EQ(h.dialogs.shown.size(), c.answers.size());
        for (std::size_t i = 0; i < c.answers.size(); ++i) {
            const MessageBoxRequest& box = h.dialogs.shown[i];
            EXPECT_EQ(box.text, texts[i]);
            EXPECT_EQ(box.title, "Pregunta");
            EXPECT_EQ(box.buttons, Buttons::YesNoCancel);
            EXPECT_EQ(box.icon, Icon::Question);
            EXPECT_EQ(box.defaultButton, 1);
            EXPECT_TRUE(box.foreground);
        }
    }
}

TEST(RunLocation, NetworkPathsAndDriveCOnTheNewestPlatformAreRefused) {
    const std::string network = ":(\r\rEsta Aplicacion NO se Debe Rodar desde la Red!!!";
    const std::string driveC = "En Win1X Hay que rodar desde otro lugar que no sea el 'C:\\'";
    struct Case {
        const char* folder;
        const char* platform;
        std::string text;  // "" when the program may run
        const char* title;
        Icon icon;
    } const cases[] = {
        {"\\\\Monitor\\G\\Apps", "5", network, "ATENCION!", Icon::Stop},
        {"E:\\Apps\\\\Corvane", "", network, "ATENCION!", Icon::Stop},
        {"c:\\corvane", "6", driveC, ":)", Icon::Question},
        {"C:\\", "6", driveC, ":)", Icon::Question},
        {"c:\\corvane", "5", "", "", Icon::None},
        {"C:\\Corvane", "", "", "", Icon::None},
        {"G:\\Apps", "6", "", "", Icon::None},  // a mapped drive is not a network path
    };
    for (const Case& c : cases) {
        testing::Harness h;
        h.context.programFolder = c.folder;
        h.state.platformCode = c.platform;
        EXPECT_EQ(CheckRunLocation(h.context), c.text.empty()) << c.folder << " on " << c.platform;
        if (c.text.empty()) {
            EXPECT_TRUE(h.dialogs.shown.empty());
            continue;
        }
        ASSERT_EQ(h.dialogs.shown.size(), 1u);
        EXPECT_EQ(h.dialogs.shown[0].text, c.text);
        EXPECT_EQ(h.dialogs.shown[0].title, c.title);
        EXPECT_EQ(h.dialogs.shown[0].buttons, Buttons::Ok);
        EXPECT_EQ(h.dialogs.shown[0].icon, c.icon);
    }
}

TEST(MainMachineName, LastItemOfTheFileElseMonitor) {
    struct Case {
        const char* bytes;  // nullptr: no file
        const char* name;
        std::size_t size = 0;  // for bytes with NULs
    } const cases[] = {
        {nullptr, "Monitor"},
        {"\r\n", "Monitor"},
        {"Monitor,Bar\r\n\"Sala, 2\"\r\n", "Sala, 2"},
        {"Bar,\"\"", "Monitor"},
        // Notepad's "UTF-8" and "Unicode": the mark is no part of the name.
        {"\xEF\xBB\xBF" "Caja1\r\n", "Caja1"},
        {"\xFF\xFE" "C\0a\0j\0a\0" "1\0", "Caja1", 12},
    };
    for (const Case& c : cases) {
        testing::Harness h;
        if (c.bytes != nullptr) {
            h.drives.WriteFile("E:\\Corvane\\MainMachine.ord", std::string(c.bytes, c.size ? c.size : std::strlen(c.bytes)));
        }
        EXPECT_EQ(ReadMainMachineName(h.context), c.name) << (c.bytes ? c.bytes : "(none)");
    }
}

// The name becomes a path the program deletes and writes in: a name no
// computer can have is refused with a message, and Monitor is used.
TEST(MainMachineName, ANameThatIsNoComputerNameIsRefused) {
    // As the file holds them; quotes keep what trimming would drop.
    const std::string refused[] = {
        "SRV\\C$\\Windows", "..\\..", "POS/1", "POS:1", "POS*", "POS?", "POS\"1", "<POS>", "POS|1",
        ".POS", "POS.", "\"   \"", std::string("POS\x01", 4), std::string(64, 'P'),
    };
    for (const std::string& name : refused) {
        SCOPED_TRACE(name);
        testing::Harness h;
        h.drives.WriteFile("E:\\Corvane\\MainMachine.ord", name);
        EXPECT_EQ(ReadMainMachineName(h.context), "Monitor");
        ASSERT_EQ(h.dialogs.shown.size(), 1u);
        EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Stop);
        EXPECT_EQ(h.dialogs.shown[0].title, "ATENCION!!!");
        EXPECT_NE(h.dialogs.shown[0].text.find("E:\\Corvane\\MainMachine.ord"), std::string::npos);
    }
    for (const std::string& name : {std::string("POS1"), std::string("Caja-2.sala"), std::string(63, 'P')}) {
        SCOPED_TRACE(name);
        testing::Harness h;
        h.drives.WriteFile("E:\\Corvane\\MainMachine.ord", name);
        EXPECT_EQ(ReadMainMachineName(h.context), name);
        EXPECT_TRUE(h.dialogs.shown.empty());
    }
}

// The refused name as shown: one readable line whatever the file holds.
TEST(MainMachineName, TheRefusalNamesTheFileAndTheName) {
    struct Case {
        const char* what;
        std::string bytes;
        std::string shown;
    } const cases[] = {
        {"as written", "SRV\\C$", "SRV\\C$"},
        {"control characters", std::string("POS\x01\t1", 6), "POS??1"},
        {"a megabyte of NUL bytes", std::string(1 << 20, '\0'), std::string(kShownNameChars, '?')},
        {"too long", std::string(100, 'P') + "\xC3\xB1", std::string(kShownNameChars, 'P')},
    };
    for (const Case& c : cases) {
        testing::Harness h;
        h.drives.WriteFile("E:\\Corvane\\MainMachine.ord", c.bytes);
        EXPECT_EQ(ReadMainMachineName(h.context), "Monitor") << c.what;
        ASSERT_EQ(h.dialogs.shown.size(), 1u) << c.what;
        EXPECT_EQ(h.dialogs.shown[0].text, "El Archivo\rE:\\Corvane\\MainMachine.ord\rNo Tiene un Nombre de Maquina "
                                           "Valido:\r\r'" + c.shown + "'\r\rSe Usa 'Monitor'.")
            << c.what;
    }
}

// A file of any size in a hand-written file's place costs its first 4 KiB:
// what stands past them is never read.
TEST(HandWrittenFiles, NothingPastTheirFirstFourKilobytesIsRead) {
    testing::Harness h;
    const std::string past(kHandWrittenFileBytes, '\n');
    h.drives.WriteFile("E:\\Corvane\\MainMachine.ord", "POS1" + past + "POS2");
    EXPECT_EQ(ReadMainMachineName(h.context), "POS1");
    h.drives.WriteFile("E:\\Corvane\\Corvane.lng", std::string(kHandWrittenFileBytes, ' ') + "2");
    EXPECT_EQ(LoadUiLanguageCode(h.context), "");
}

class Startup : public ::testing::Test {
protected:
    Startup() {
        h.drives.MakeFolder("C:\\Windows\\SysWOW64");
        h.drives.WriteFile("E:\\Corvane\\Corvane.lng", "3");
    }
    std::string Log() const { return h.drives.ReadFile(h.state.debugLogPath); }
    testing::Harness h;
};

TEST_F(Startup, FillsTheStateForTheMainWindow) {
    h.system.computerName = "monitor";
    ASSERT_EQ(RunStartup(h.context), StartupOutcome::ShowMainWindow);
    EXPECT_EQ(h.state.uiLanguageCode, "3");
    EXPECT_EQ(h.state.versionTitle, "(v25.0.0)(Win1x)");
    EXPECT_EQ(h.state.versionString, "v25.0.0");
    EXPECT_EQ(h.state.shortVersion, "25");
    EXPECT_EQ(h.state.computerName, "MONITOR");
    EXPECT_EQ(h.state.devMachineMarker, "K305");
    EXPECT_EQ(h.state.devMachineFlag, "");
    EXPECT_EQ(h.state.mainMachineName, "Monitor");
    EXPECT_EQ(h.state.sharedDataFolderPath, "G:\\Shared");
    EXPECT_EQ(h.state.debugLogPath, "");
    EXPECT_EQ(h.system.versionQueries, 0);  // the probe decided
}

TEST_F(Startup, UnreadableMainMachineFileFallsBackAndIsLogged) {
    h.drives.MakeFolder("E:\\Corvane\\MainMachine.ord");  // there, but no file to read
    h.drives.WriteFile("E:\\Corvane\\Corvane.deb", "");
    ASSERT_EQ(RunStartup(h.context), StartupOutcome::ShowMainWindow);
    EXPECT_EQ(h.state.mainMachineName, "Monitor");
    EXPECT_NE(Log().find("\"MainMachine.ord: no se pudo leer"), std::string::npos) << Log();
}

TEST_F(Startup, VersionQueryOnlyWhenTheProbeFoundNothing) {
    std::filesystem::remove_all(h.drives.Local("C:\\Windows"));
    h.drives.WriteFile("E:\\Corvane\\Corvane.deb", "");
    h.system.version = {true, 2, 5, 1};
    ASSERT_EQ(RunStartup(h.context), StartupOutcome::ShowMainWindow);
    EXPECT_EQ(h.system.versionQueries, 1);
    EXPECT_EQ(h.state.platformCode, "5");
    EXPECT_EQ(h.state.versionTitle, "(v25.0.0)(Sin OS)");
    // The log header keeps what the probe found: nothing.
    EXPECT_NE(Log().find("\r\nWINDOWS VER: \r\n"), std::string::npos);
}

TEST_F(Startup, SecondInstanceHandsOverAfterStartingItsLog) {
    h.drives.WriteFile("E:\\Corvane\\Corvane.deb", "");
    h.instance.anotherRunning = true;
    h.instance.earlierWindowFound = true;
    EXPECT_EQ(RunStartup(h.context), StartupOutcome::EndProgram);
    EXPECT_EQ(h.instance.activatedTitle, "Corvane");
    EXPECT_EQ(Log().find('"'), std::string::npos) << "header only";
}

// One copy per computer only where a window can be raised; the run lock
// alone keeps two runs apart, so a copy that finds no window (the nightly
// run, a copy in another session) and the nightly run itself go on.
TEST(SingleInstance, OnlyAWindowThatCanBeRaisedEndsTheLaterCopy) {
    struct Case {
        const char* what;
        StartupMode mode;
        bool windowFound;
        StartupOutcome outcome;
        bool searched;
    } const cases[] = {
        {"its window raised", StartupMode::Window, true, StartupOutcome::EndProgram, true},
        {"no window to raise", StartupMode::Window, false, StartupOutcome::ShowMainWindow, true},
        {"unattended, a window open", StartupMode::Unattended, true, StartupOutcome::ShowMainWindow, false},
        {"unattended, in another session", StartupMode::Unattended, false, StartupOutcome::ShowMainWindow, false},
    };
    for (const Case& c : cases) {
        testing::Harness h;
        h.drives.WriteFile("E:\\Corvane\\Corvane.deb", "");
        h.instance.anotherRunning = true;
        h.instance.earlierWindowFound = c.windowFound;
        EXPECT_EQ(RunStartup(h.context, c.mode), c.outcome) << c.what;
        EXPECT_TRUE(h.dialogs.shown.empty()) << c.what << ": " << h.dialogs.Texts().front();
        EXPECT_EQ(h.instance.activatedTitle, c.searched ? "Corvane" : "") << c.what;
        const bool recorded = h.drives.ReadFile(h.state.debugLogPath).find("\r\n\"ActivatePrevInstance\"\r\n") !=
                              std::string::npos;
        EXPECT_EQ(recorded, c.searched && !c.windowFound) << c.what;
    }
}

TEST_F(Startup, DeveloperMachineAsksBeforeTheNetworkRefusal) {
    h.system.computerName = "dev-k305";
    h.context.programFolder = "\\\\Monitor\\G\\Apps";
    h.dialogs.answers = {Answer::No, Answer::Yes};
    EXPECT_EQ(RunStartup(h.context), StartupOutcome::EndProgram);
    ASSERT_EQ(h.dialogs.shown.size(), 3u);
    EXPECT_EQ(h.dialogs.shown[0].title, "Pregunta");
    EXPECT_EQ(h.dialogs.shown[2].title, "ATENCION!");
    EXPECT_EQ(h.state.computerName, "Monitor");
    EXPECT_EQ(h.state.devMachineFlag, "YES");
    EXPECT_EQ(h.state.sharedDataFolderPath, "D:\\Shared");
}

}  // namespace
}  // namespace corvane
