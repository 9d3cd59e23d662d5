#include "app/startup.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/language_store.h"
#include "app/main_machine.h"
#include "base/text_file.h"
#include "support/fakes.h"

namespace corvane {
namespace {

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
    // As the file holds them (quotes keep what trimming would drop) and, where
    // given, what the box shows of them: one readable line of at most
    // kShownNameChars characters, whatever the file holds.
    struct Refused {
        std::string bytes;
        std::string shown = "";
    } const refused[] = {
        {"SRV\\C$\\Windows"}, {"..\\.."}, {"POS/1"}, {"POS:1"}, {"POS*"}, {"POS?"}, {"POS\"1"}, {"<POS>"},
        {"POS|1"}, {".POS"}, {"POS."}, {"\"   \""}, {std::string("POS\x01", 4)}, {std::string(64, 'P')},
        {std::string("POS\x01\t1", 6), "POS??1"},
        {std::string(1 << 20, '\0'), std::string(kShownNameChars, '?')},
        {std::string(100, 'P') + "\xC3\xB1", std::string(kShownNameChars, 'P')},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.bytes.substr(0, 80));
        testing::Harness h;
        h.drives.WriteFile("E:\\Corvane\\MainMachine.ord", r.bytes);
        EXPECT_EQ(ReadMainMachineName(h.context), "Monitor");
        ASSERT_EQ(h.dialogs.shown.size(), 1u);
        const MessageBoxRequest& box = h.dialogs.shown[0];
        EXPECT_EQ(box.icon, Icon::Stop);
        EXPECT_EQ(box.title, "ATENCION!!!");
        EXPECT_NE(box.text.find("E:\\Corvane\\MainMachine.ord"), std::string::npos);
        if (!r.shown.empty()) {
            EXPECT_NE(box.text.find("\r\r'" + r.shown + "'\r\r"), std::string::npos);
        }
    }
    for (const std::string& name : {std::string("POS1"), std::string("Caja-2.sala"), std::string(63, 'P')}) {
        SCOPED_TRACE(name);
        testing::Harness h;
        h.drives.WriteFile("E:\\Corvane\\MainMachine.ord", name);
        EXPECT_EQ(ReadMainMachineName(h.context), name);
        EXPECT_TRUE(h.dialogs.shown.empty());
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

// One copy per computer as written: a copy whose first window can be raised
// ends; one that finds none goes on, and the nightly run never looks.
TEST(SingleInstance, OnlyAWindowThatCanBeRaisedEndsTheLaterCopy) {
    struct Case {
        const char* what;
        StartupMode mode;
        bool windowFound;
        StartupOutcome outcome;
    } const cases[] = {
        {"its window raised", StartupMode::Window, true, StartupOutcome::EndProgram},
        {"no window to raise", StartupMode::Window, false, StartupOutcome::ShowMainWindow},
        {"unattended, a window open", StartupMode::Unattended, true, StartupOutcome::ShowMainWindow},
    };
    for (const Case& c : cases) {
        testing::Harness h;
        h.instance.anotherRunning = true;
        h.instance.earlierWindowFound = c.windowFound;
        EXPECT_EQ(RunStartup(h.context, c.mode), c.outcome) << c.what;
        EXPECT_TRUE(h.dialogs.shown.empty()) << c.what;
        EXPECT_EQ(h.instance.activatedTitle, c.mode == StartupMode::Window ? "Corvane" : "") << c.what;
    }
}

}  // namespace
}  // namespace corvane
