#include "platform/posix/mapped_file_system.h"

#include <gtest/gtest.h>

#include "platform/posix/ansi_codec.h"
#include "support/fakes.h"

namespace corvane {
namespace {

TEST(MappedFileSystem, LooksUpLikeWindows) {
    testing::TempDrives drives;
    drives.MakeFolder("E:\\Shared\\_BackUps");
    drives.WriteFile("E:\\Shared\\Keystone.mdb", "x");
    std::filesystem::create_directories(drives.root / "unc" / "monitor" / "G" / "Shared");

    struct Case {
        const char* path;
        EntryKind kind;
    } const cases[] = {
        {"E:\\Shared", EntryKind::Folder},
        {"e:\\shared\\", EntryKind::Folder},
        {"E:\\SHARED\\keystone.MDB", EntryKind::File},
        {"E:\\Shared\\Keystone.ldb", EntryKind::None},
        {"E:\\Nowhere\\Keystone.mdb", EntryKind::None},
        {"\\\\Monitor\\G\\Shared", EntryKind::Folder},
        {"\\\\MONITOR\\g\\", EntryKind::Folder},
        {"\\\\Caja9\\G\\Shared", EntryKind::Unreachable},
        {"Q:\\Shared", EntryKind::Unreachable},
    };
    for (const Case& c : cases) EXPECT_EQ(drives.files.Lookup(c.path), c.kind) << c.path;
}

TEST(MappedFileSystem, TextFilesAreStoredInTheAnsiCodePage) {
    testing::TempDrives drives;
    ASSERT_TRUE(drives.files.WriteText("E:\\a.txt", "ATENÇÃO! Español €\r\n"));
    ASSERT_TRUE(drives.files.AppendText("E:\\A.TXT", "ok"));
    EXPECT_EQ(drives.ReadFile("E:\\a.txt"), "ATEN\xC7\xC3O! Espa\xF1ol \x80\r\nok");
    std::string text;
    ASSERT_TRUE(drives.files.ReadText("E:\\a.txt", text));
    EXPECT_EQ(text, "ATENÇÃO! Español €\r\nok");
}

TEST(MappedFileSystem, FailuresCarryTheWindowsErrorCode) {
    testing::TempDrives drives;
    drives.MakeFolder("E:\\Folder");
    std::string text;
    EXPECT_EQ(drives.files.Delete("E:\\missing.txt").code, 2u);
    EXPECT_EQ(drives.files.Delete("E:\\Folder").code, 5u);
    EXPECT_EQ(drives.files.ReadText("E:\\Folder", text).code, 5u);
    EXPECT_EQ(drives.files.WriteText("E:\\No\\Such\\x.txt", "x").code, 3u);
    EXPECT_EQ(drives.files.WriteText("\\\\Gone\\G\\x.txt", "x").code, 53u);
}

TEST(AnsiCodec, UnknownCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("日本 ok"), "?? ok");
    EXPECT_EQ(Utf8ToCp1252("\xFF"), "?");
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "?");
}

}  // namespace
}  // namespace corvane
