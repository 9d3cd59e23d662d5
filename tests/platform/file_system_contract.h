#pragma once
// One contract for every FileSystem the program can run on: the mapped posix
// one natively, the Win32 one under Wine (or Windows). The core's tests run on
// the first and the program on the second, so both must answer alike. Its
// cases are in file_system_contract_test.cpp (folders, entries, listings) and
// file_contents_contract_test.cpp (what files hold).
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
#include "platform/file_system.h"

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
#include "support/failing_file_system.h"
#include "support/fakes.h"
#endif

namespace corvane::testing {
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
    TempDrives drives_;
};
// The failing double forwards to mapped files: held to the same contract,
// its own free space included.
class FailingEnv : public MappedEnv {
public:
    static constexpr const char* kName = "Failing";
    FileSystem& Files() { return failing_; }

private:
    FailingFileSystem failing_{static_cast<MappedFileSystem&>(MappedEnv::Files())};
};
using Implementations = ::testing::Types<MappedEnv, FailingEnv>;
#endif

struct EnvNames {
    template <typename Env>
    static std::string GetName(int) {
        return Env::kName;
    }
};

inline ::testing::AssertionResult FailsWith(const Status& status, unsigned long code) {
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

// Bytes a text reader must never mangle: NULs, a lone CR, high bytes, and more
// than one read buffer's worth.
inline std::string BinaryBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

}  // namespace corvane::testing
