// One contract for every FileSystem the program can run on: the mapped posix
// one natively, the Win32 one under Wine (or Windows). The core's tests run on
// the first and the program on the second, so both must answer alike.
// Wine's one gap met here: CopyFileExW never calls its progress routine, so
// progress is checked only where it is reported.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/text.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/file_system_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/posix/ansi_codec.h"
#include "support/fakes.h"
#endif

namespace corvane {
namespace {
namespace fs = std::filesystem;

// Another appender (another machine of the venue) keeping a log open for
// writing until this is destroyed.
struct Hold {
    virtual ~Hold() = default;
};

#ifdef _WIN32
class Win32Env {
public:
    static constexpr const char* kName = "Win32";
    Win32Env() {
        static std::atomic<int> counter{0};
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
        root_ = fs::path(std::wstring(temp, length)) /
                (L"corvane-fs-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++));
        fs::create_directories(root_);
    }
    ~Win32Env() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    FileSystem& Files() { return files_; }
    std::string Folder() const { return win32::Narrow(root_.wstring()); }
    fs::path Local(const std::string& path) const { return fs::path(win32::Widen(path)); }
    static std::string Ansi(const std::string& utf8) { return win32::ToAnsi(utf8); }

    std::unique_ptr<Hold> HoldAsAppender(const std::string& path) const {
        struct FileHold : Hold {
            win32::UniqueFile file;
        };
        auto hold = std::make_unique<FileHold>();
        // It lets others write: only the appender's own refusal of write
        // sharing can keep it out.
        hold->file.Reset(::CreateFileW(win32::Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(static_cast<bool>(hold->file)) << ::GetLastError();
        return hold;
    }

private:
    fs::path root_;
    win32::Win32FileSystem files_;
};
using Implementations = ::testing::Types<Win32Env>;
#else
class MappedEnv {
public:
    static constexpr const char* kName = "Mapped";
    MappedEnv() { drives_.MakeFolder("E:\\Work"); }
    FileSystem& Files() { return drives_.files; }
    std::string Folder() const { return "E:\\Work"; }
    fs::path Local(const std::string& path) const { return drives_.Local(path); }
    static std::string Ansi(const std::string& utf8) { return Utf8ToCp1252(utf8); }

    // The posix appender's exclusion is an exclusive flock.
    std::unique_ptr<Hold> HoldAsAppender(const std::string& path) const {
        struct FdHold : Hold {
            int fd = -1;
            ~FdHold() override {
                if (fd >= 0) ::close(fd);
            }
        };
        auto hold = std::make_unique<FdHold>();
        hold->fd = ::open(Local(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        EXPECT_GE(hold->fd, 0);
        EXPECT_EQ(::flock(hold->fd, LOCK_EX), 0);
        return hold;
    }

private:
    testing::TempDrives drives_;
};
using Implementations = ::testing::Types<MappedEnv>;
#endif

struct EnvNames {
    template <typename Env>
    static std::string GetName(int) {
        return Env::kName;
    }
};

::testing::AssertionResult FailsWith(const Status& status, unsigned long code) {
    if (status.ok) return ::testing::AssertionFailure() << "succeeded; expected error " << code;
    if (status.code != code) {
        return ::testing::AssertionFailure() << "error " << status.code << " (" << status.text << ") in "
                                             << status.where << "; expected " << code;
    }
    if (status.text.empty()) return ::testing::AssertionFailure() << "error " << code << " without its text";
    return ::testing::AssertionSuccess();
}

template <typename Env>
class FileSystemContract : public ::testing::Test {
protected:
    std::string At(const std::string& name) const { return JoinPath(env.Folder(), name); }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream out(env.Local(At(name)), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Get(const std::string& name) const {
        std::ifstream in(env.Local(At(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void MakeFolder(const std::string& name) const { fs::create_directories(env.Local(At(name))); }
    bool Present(const std::string& name) const { return fs::exists(env.Local(At(name))); }

    Env env;
    FileSystem& files = env.Files();
};
TYPED_TEST_SUITE(FileSystemContract, Implementations, EnvNames);

// Bytes a text reader must never mangle: NULs, a lone CR, high bytes, and more
// than one read buffer's worth.
std::string BinaryBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

TYPED_TEST(FileSystemContract, LooksUpFilesFoldersAndNothing) {
    this->Put("Keystone.mdb", "x");
    this->MakeFolder("_BackUps");
    struct Case {
        const char* name;
        EntryKind kind;
    } const cases[] = {
        {"Keystone.mdb", EntryKind::File},
        {"KEYSTONE.MDB", EntryKind::File},
        {"_BackUps", EntryKind::Folder},
        {"_BackUps\\", EntryKind::Folder},
        {"Keystone.ldb", EntryKind::None},
        {"Nowhere\\Keystone.mdb", EntryKind::None},
    };
    for (const Case& c : cases) EXPECT_EQ(this->files.Lookup(this->At(c.name)), c.kind) << c.name;
}

TYPED_TEST(FileSystemContract, ListsFilesOnlyInCaseInsensitiveNameOrder) {
    // Compared through upper case, "_" sorts after the letters: a fold to
    // lower case would put _Old.mdb first.
    for (const char* name : {"b.mdb", "_Old.mdb", "A.mdb", "c.MDB", "1.mdb"}) this->Put(name, name);
    this->MakeFolder("Zz");
    this->MakeFolder("0");

    std::vector<FileEntry> listed;
    ASSERT_TRUE(this->files.ListFiles(this->env.Folder(), listed));
    std::vector<std::string> names, paths;
    for (const FileEntry& entry : listed) {
        names.push_back(entry.name);
        paths.push_back(entry.path);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"1.mdb", "A.mdb", "b.mdb", "c.MDB", "_Old.mdb"}));
    EXPECT_EQ(paths.front(), this->env.Folder() + "\\1.mdb");

    // The folder given with its trailing backslash lists the same, and the
    // paths do not get a second one.
    std::vector<FileEntry> again;
    ASSERT_TRUE(this->files.ListFiles(this->env.Folder() + "\\", again));
    ASSERT_EQ(again.size(), listed.size());
    EXPECT_EQ(again.back().path, this->env.Folder() + "\\_Old.mdb");
}

TYPED_TEST(FileSystemContract, ListsAFolderWithoutFilesAsEmptyAndAMissingOneAsPathNotFound) {
    this->MakeFolder("Empty");
    this->MakeFolder("OnlyFolders\\Inner");
    for (const char* folder : {"Empty", "OnlyFolders"}) {
        std::vector<FileEntry> listed{{"stale", "stale", 1}};
        EXPECT_TRUE(this->files.ListFiles(this->At(folder), listed)) << folder;
        EXPECT_TRUE(listed.empty()) << folder;
    }
    std::vector<FileEntry> listed;
    EXPECT_TRUE(FailsWith(this->files.ListFiles(this->At("Missing"), listed), 3));
    EXPECT_TRUE(FailsWith(this->files.ListFiles(this->At("Missing\\Deeper"), listed), 3));
}

TYPED_TEST(FileSystemContract, CreationTimeIsTheOneTheListingReports) {
    this->Put("Keystone.ldb", "lock");
    std::vector<FileEntry> listed;
    ASSERT_TRUE(this->files.ListFiles(this->env.Folder(), listed));
    ASSERT_EQ(listed.size(), 1u);

    FileTime created = 0;
    ASSERT_TRUE(this->files.CreationTime(this->At("Keystone.ldb"), created));
    EXPECT_EQ(created, listed[0].created);
    // Some time this century, in 100 ns ticks since 1601.
    EXPECT_GT(created, FileTime{125'911'584'000'000'000});

    EXPECT_TRUE(FailsWith(this->files.CreationTime(this->At("Missing.ldb"), created), 2));
}

TYPED_TEST(FileSystemContract, DeletesFilesButNotFolders) {
    this->Put("Old.mdb", "x");
    this->MakeFolder("Folder");
    ASSERT_TRUE(this->files.Delete(this->At("Old.mdb")));
    EXPECT_FALSE(this->Present("Old.mdb"));

    struct Case {
        const char* name;
        unsigned long code;
    } const cases[] = {{"Old.mdb", 2}, {"Missing\\Old.mdb", 3}, {"Folder", 5}};
    for (const Case& c : cases) EXPECT_TRUE(FailsWith(this->files.Delete(this->At(c.name)), c.code)) << c.name;
    EXPECT_TRUE(this->Present("Folder"));
}

TYPED_TEST(FileSystemContract, CreatesOneFolderLevel) {
    ASSERT_TRUE(this->files.CreateFolder(this->At("TL")));
    EXPECT_EQ(this->files.Lookup(this->At("TL")), EntryKind::Folder);
    EXPECT_TRUE(FailsWith(this->files.CreateFolder(this->At("TL")), 183));
    EXPECT_TRUE(FailsWith(this->files.CreateFolder(this->At("Missing\\TL")), 3));
}

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

TYPED_TEST(FileSystemContract, ReplacePutsTheSourceInTheDestinationsPlace) {
    this->Put("live.mdb", "old database");
    this->Put("live.tmp", "new database");
    ASSERT_TRUE(this->files.Replace(this->At("live.tmp"), this->At("live.mdb")));
    EXPECT_EQ(this->Get("live.mdb"), "new database");
    EXPECT_FALSE(this->Present("live.tmp"));

    this->Put("fresh.tmp", "x");
    ASSERT_TRUE(this->files.Replace(this->At("fresh.tmp"), this->At("fresh.mdb")));
    EXPECT_EQ(this->Get("fresh.mdb"), "x");

    EXPECT_TRUE(FailsWith(this->files.Replace(this->At("live.tmp"), this->At("live.mdb")), 2));
    EXPECT_EQ(this->Get("live.mdb"), "new database");
}

// What the restore keeps of a replaced database: a second name that keeps
// the old bytes once a new file is renamed over the first.
TYPED_TEST(FileSystemContract, ALinkKeepsTheOldFileWhenANewOneTakesTheName) {
    this->Put("live.mdb", "old database");
    ASSERT_TRUE(this->files.Link(this->At("live.mdb"), this->At("kept.mdb")));
    this->Put("live.tmp", "new database");
    ASSERT_TRUE(this->files.Replace(this->At("live.tmp"), this->At("live.mdb")));
    EXPECT_EQ(this->Get("kept.mdb"), "old database");
    EXPECT_EQ(this->Get("live.mdb"), "new database");
    EXPECT_TRUE(FailsWith(this->files.Link(this->At("live.mdb"), this->At("kept.mdb")), 183));
    EXPECT_TRUE(FailsWith(this->files.Link(this->At("missing.mdb"), this->At("other.mdb")), 2));
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
        ASSERT_TRUE(this->files.ReadText(this->At("MainMachine.ord"), text)) << c.name;
        EXPECT_EQ(text, "POS Dueñas\r\n") << c.name;
    }
    std::string text;
    EXPECT_TRUE(FailsWith(this->files.ReadText(this->At("Missing.ord"), text), 2));
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
