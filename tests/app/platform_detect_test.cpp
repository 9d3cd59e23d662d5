#include "app/platform_detect.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

constexpr const char* kWow = "C:\\Windows\\SysWOW64";
constexpr const char* kNt4 = "C:\\Winnt\\System32";
constexpr const char* kXp = "C:\\Windows\\System32";

// The platform table: the first system folder found decides, a file of a
// folder's name counting as found, and no drive C: finding nothing.
TEST(PlatformTable, TheFirstSystemFolderFoundDecides) {
    struct Case {
        std::vector<const char*> folders;
        const char* code;
        const char* label;
        const char* file = nullptr;  // a file in a folder's place
        bool noDriveC = false;
    } const cases[] = {
        {{kWow, kXp}, "6", "Win1x"},
        {{kXp}, "5", "WinXP"},
        {{kNt4, kXp}, "4", "WinNT4"},
        {{}, "", "Sin OS"},
        {{"C:\\WINDOWS\\syswow64"}, "6", "Win1x"},  // names match whatever their case
        {{"C:\\Windows"}, "6", "Win1x", kWow},
        {{}, "", "Sin OS", nullptr, true},
    };
    for (const Case& c : cases) {
        testing::Harness h;
        for (const char* folder : c.folders) h.drives.MakeFolder(folder);
        if (c.file) h.drives.WriteFile(c.file, "");
        if (c.noDriveC) std::filesystem::remove_all(h.drives.Local("C:\\"));
        ProbeSystemFolders(h.context);
        EXPECT_EQ(h.state.platformCode, c.code) << c.label;
        EXPECT_EQ(h.state.platformLabel, c.label);
    }
}

TEST(ClassifyWindowsVersion, VersionAnswerThenFolderOverrides) {
    struct Case {
        const char* name;
        OsVersion version;
        std::vector<const char*> folders;
        const char* code;
    } const cases[] = {
        {"Win32s", {true, 0, 1, 0}, {}, "3"},
        {"Windows 98", {true, 1, 4, 10}, {}, "3"},
        {"NT 3.51", {true, 2, 3, 51}, {}, "3"},
        {"Windows 7", {true, 2, 6, 1}, {}, "6"},
        {"NT major 10 is not in the list", {true, 2, 10, 0}, {}, ""},
        {"unknown platform", {true, 3, 6, 0}, {}, ""},
        {"failed query", {false, 2, 6, 0}, {}, ""},
        {"failed query, NT 4 folder", {false, 0, 0, 0}, {kNt4}, "4"},
        {"major 10 with SysWOW64", {true, 2, 10, 0}, {kWow}, "6"},
        {"both folders: SysWOW64 last and wins", {true, 2, 5, 0}, {kNt4, kWow}, "6"},
    };
    for (const Case& c : cases) {
        testing::Harness h;
        h.system.version = c.version;
        for (const char* folder : c.folders) h.drives.MakeFolder(folder);
        ClassifyWindowsVersion(h.context);
        EXPECT_EQ(h.state.platformCode, c.code) << c.name;
    }
}

}  // namespace
}  // namespace corvane
