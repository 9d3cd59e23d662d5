// The file-system contract's contents of files: copies, flushes, text in the
// ANSI code page, bytes, heads, and appenders that wait for one another.
// Wine's one gap met here: CopyFileExW never calls its progress routine, so
// progress is checked only where it is reported.
#include <gtest/gtest.h>

#include "platform/file_system_contract.h"

namespace corvane {
namespace {
using testing::BinaryBytes;
using testing::FailsWith;
using testing::FileSystemContract;
namespace fs = std::filesystem;

TYPED_TEST_SUITE(FileSystemContract, testing::Implementations, testing::EnvNames);

TYPED_TEST(FileSystemContract, CopiesTheSourceBytesOverAnyDestination) {
    const std::string backup = BinaryBytes(200 * 1024 + 3);
    this->Put("backup.mdb", backup);
    this->Put("live.mdb", BinaryBytes(300 * 1024));  // longer: nothing of it may stay

    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    const CopyProgress progress = [&](std::uint64_t copied, std::uint64_t total) { reports.emplace_back(copied, total); };
    ASSERT_TRUE(this->files.Copy(this->At("backup.mdb"), this->At("live.mdb"), progress));
    EXPECT_EQ(this->Get("live.mdb"), backup);
    EXPECT_EQ(this->Get("backup.mdb"), backup);
    ASSERT_TRUE(this->files.Copy(this->At("backup.mdb"), this->At("new.mdb")));
    EXPECT_EQ(this->Get("new.mdb"), backup);

    // Wine never calls the progress routine; where progress is heard of, it
    // ends at the whole file.
    if (!reports.empty()) {
        EXPECT_EQ(reports.back(), std::make_pair(std::uint64_t{backup.size()}, std::uint64_t{backup.size()}));
    }

    EXPECT_TRUE(FailsWith(this->files.Copy(this->At("missing.mdb"), this->At("other.mdb")), 2));
    EXPECT_FALSE(this->Present("other.mdb"));
}

// The copy of a restore is flushed on its own, just before its rename.
TYPED_TEST(FileSystemContract, AFlushKeepsTheBytesAndNeedsAFile) {
    const std::string bytes = BinaryBytes(70 * 1024 + 1);
    this->Put("live.tmp", bytes);
    ASSERT_TRUE(this->files.Flush(this->At("live.tmp")));
    EXPECT_EQ(this->Get("live.tmp"), bytes);
    EXPECT_TRUE(FailsWith(this->files.Flush(this->At("missing.tmp")), 2));
    EXPECT_FALSE(this->Present("missing.tmp"));
}

TYPED_TEST(FileSystemContract, TextIsWrittenAndAppendedInTheAnsiCodePage) {
    ASSERT_TRUE(this->files.AppendText(this->At("Errors.txt"), "Dueñas\r\n"));
    ASSERT_TRUE(this->files.AppendText(this->At("Errors.txt"), "€ ok\r\n"));
    EXPECT_EQ(this->Get("Errors.txt"), this->env.Ansi("Dueñas\r\n€ ok\r\n"));

    ASSERT_TRUE(this->files.WriteText(this->At("Errors.txt"), "1"));
    EXPECT_EQ(this->Get("Errors.txt"), "1");

    EXPECT_TRUE(FailsWith(this->files.AppendText(this->At("Missing\\Errors.txt"), "x"), 3));
    EXPECT_TRUE(FailsWith(this->files.WriteText(this->At("Missing\\Errors.txt"), "x"), 3));
}

TYPED_TEST(FileSystemContract, ReadsTextInTheAnsiCodePageOrMarkedAsNotepadSavesIt) {
    struct Case {
        const char* name;
        std::string bytes;
    } const cases[] = {
        {"ANSI", this->env.Ansi("POS Dueñas\r\n")},
        {"UTF-8 with BOM", "\xEF\xBB\xBFPOS Due\xC3\xB1" "as\r\n"},
        {"Unicode", std::string("\xFF\xFEP\0O\0S\0 \0D\0u\0e\0\xF1\0a\0s\0\r\0\n\0", 26)},
    };
    for (const Case& c : cases) {
        this->Put("MainMachine.ord", c.bytes);
        std::string text;
        ASSERT_TRUE(this->files.ReadText(this->At("MainMachine.ord"), 4096, text)) << c.name;
        EXPECT_EQ(text, "POS Dueñas\r\n") << c.name;
    }
    // Past the count nothing is read: a marked file's text is its bytes'.
    this->Put("MainMachine.ord", "\xEF\xBB\xBF" + std::string(70 * 1024, 'x'));
    std::string text;
    ASSERT_TRUE(this->files.ReadText(this->At("MainMachine.ord"), 4096, text));
    EXPECT_EQ(text, std::string(4093, 'x'));
    EXPECT_TRUE(FailsWith(this->files.ReadText(this->At("Missing.ord"), 4096, text), 2));
}

TYPED_TEST(FileSystemContract, ReadsBytesAsTheyAre) {
    const std::string bytes = std::string("POS1\0\0\0\r\xFF\xFE", 10) + BinaryBytes(70 * 1024);
    this->Put("Keystone.ldb", bytes);
    this->MakeFolder("Folder");
    std::string read;
    ASSERT_TRUE(this->files.ReadBytes(this->At("Keystone.ldb"), read));
    EXPECT_EQ(read, bytes);
    EXPECT_TRUE(FailsWith(this->files.ReadBytes(this->At("Missing.ldb"), read), 2));
    EXPECT_TRUE(FailsWith(this->files.ReadBytes(this->At("Folder"), read), 5));
}

TYPED_TEST(FileSystemContract, ReadsAFilesHeadAndItsWholeSize) {
    const std::string bytes = BinaryBytes(70 * 1024 + 5);
    this->Put("long.mdb", bytes);
    this->Put("short.mdb", bytes.substr(0, 7));
    this->MakeFolder("Folder");
    struct Case {
        const char* name;
        std::size_t count;
        unsigned long code;  // 0: read
        std::string head;
        std::uint64_t size;
    } const cases[] = {
        {"long.mdb", 0x20, 0, bytes.substr(0, 0x20), bytes.size()},
        {"short.mdb", 0x20, 0, bytes.substr(0, 7), 7},
        {"Missing.mdb", 0x20, 2, "", 0},
        {"Folder", 0x20, 5, "", 0},
    };
    for (const Case& c : cases) {
        std::string head = "stale";
        std::uint64_t size = 99;
        const Status read = this->files.ReadHead(this->At(c.name), c.count, head, size);
        if (c.code != 0) {
            EXPECT_TRUE(FailsWith(read, c.code)) << c.name;
            continue;
        }
        ASSERT_TRUE(read) << c.name << ": " << read.Describe();
        EXPECT_EQ(head, c.head) << c.name;
        EXPECT_EQ(size, c.size) << c.name;
    }
}

TYPED_TEST(FileSystemContract, AppendWaitsForAnotherAppenderToClose) {
    auto hold = this->env.HoldAsAppender(this->At("Errors.txt"));
    const auto start = std::chrono::steady_clock::now();
    std::thread release([&hold] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        hold.reset();
    });
    const Status appended = this->files.AppendText(this->At("Errors.txt"), "record\r\n");
    const auto waited = std::chrono::steady_clock::now() - start;
    release.join();
    EXPECT_TRUE(appended) << appended.code;
    EXPECT_GE(waited, std::chrono::milliseconds(90));  // it was kept out, not let in beside the other
    EXPECT_EQ(this->Get("Errors.txt"), "record\r\n");
}

TYPED_TEST(FileSystemContract, AppendGivesUpWithASharingViolationWhenHeldTooLong) {
    const auto hold = this->env.HoldAsAppender(this->At("Errors.txt"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(FailsWith(this->files.AppendText(this->At("Errors.txt"), "record\r\n"), 32));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

    // The log can still be read while a record is being written.
    std::string bytes;
    EXPECT_TRUE(this->files.ReadBytes(this->At("Errors.txt"), bytes));
    EXPECT_EQ(bytes, "");
}

}  // namespace
}  // namespace corvane
