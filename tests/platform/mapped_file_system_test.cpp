#include "platform/posix/mapped_file_system.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "platform/posix/ansi_codec.h"
#include "support/fakes.h"

namespace corvane {
namespace {

TEST(MappedFileSystem, LooksUpLikeWindows) {
    testing::TempDrives drives;
    drives.MakeFolder("E:\\Shared");
    drives.WriteFile("E:\\Shared\\Keystone.mdb", "x");
    std::filesystem::create_directories(drives.root / "unc" / "monitor" / "G" / "Shared");

    struct Case {
        const char* path;
        EntryKind kind;
    } const cases[] = {
        {"e:\\shared\\", EntryKind::Folder},
        {"E:\\SHARED\\keystone.MDB", EntryKind::File},
        {"\\\\Monitor\\G\\Shared", EntryKind::Folder},
        {"\\\\MONITOR\\g\\", EntryKind::Folder},
        {"\\\\Caja9\\G\\Shared", EntryKind::Unreachable},
        {"Q:\\Shared", EntryKind::Unreachable},
    };
    for (const Case& c : cases) EXPECT_EQ(drives.files.Lookup(c.path), c.kind) << c.path;
}

// A drive letter with no folder is a missing path, a server with none a
// network path that cannot be found, as Windows answers for them.
TEST(MappedFileSystem, UnmappedDrivesAndServersFailAsOnWindows) {
    testing::TempDrives drives;
    std::vector<FileEntry> listed;
    EXPECT_EQ(drives.files.WriteText("Q:\\x.txt", "x").code, 3u);
    EXPECT_EQ(drives.files.ListFiles("Q:\\Shared", listed).code, 3u);
    EXPECT_EQ(drives.files.WriteText("\\\\Gone\\G\\x.txt", "x").code, 53u);
    EXPECT_EQ(drives.files.Copy("E:\\Corvane\\a", "\\\\Gone\\G\\a").code, 53u);
}

// What Wine reports as creation time, and what the core's tests set to stage
// an old or a fresh lock file.
TEST(MappedFileSystem, CreationTimeIsTheLastWriteTimeInWindowsTicks) {
    testing::TempDrives drives;
    drives.WriteFile("E:\\Keystone.ldb", "lock");
    const auto oneDayAfter1970 = std::chrono::sys_seconds{std::chrono::hours(24)};
    std::filesystem::last_write_time(drives.Local("E:\\Keystone.ldb"),
                                     std::chrono::file_clock::from_sys(oneDayAfter1970));
    FileTime created = 0;
    ASSERT_TRUE(drives.files.CreationTime("E:\\Keystone.ldb", created));
    EXPECT_EQ(created, 116'444'736'000'000'000 + 864'000'000'000);
}

TEST(AnsiCodec, UnknownCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("日本 ok 😀"), "?? ok ?");
    EXPECT_EQ(Utf8ToCp1252("\xFF"), "?");
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "?");
}

}  // namespace
}  // namespace corvane
