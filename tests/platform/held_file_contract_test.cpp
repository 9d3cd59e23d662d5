// The held file's part of the file-system contract: the mapped posix file
// system natively, the Win32 one under Wine (or Windows). A run lock rests
// on it: one holder at a time, readers let in, the file gone with its holder.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "base/text.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/file_system_win32.h"
#include "platform/win32/wide.h"
#else
#include "support/fakes.h"
#endif

namespace corvane {
namespace {
namespace fs = std::filesystem;

#ifdef _WIN32
class Env {
public:
    Env() {
        static std::atomic<int> counter{0};
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
        root_ = fs::path(std::wstring(temp, length)) /
                (L"corvane-held-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++));
        fs::create_directories(root_);
    }
    ~Env() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    FileSystem& Files() { return files_; }
    std::string Folder() const { return win32::Narrow(root_.wstring()); }
    fs::path Local(const std::string& path) const { return fs::path(win32::Widen(path)); }

private:
    fs::path root_;
    win32::Win32FileSystem files_;
};
#else
class Env {
public:
    Env() { drives_.MakeFolder("E:\\Work"); }
    FileSystem& Files() { return drives_.files; }
    std::string Folder() const { return "E:\\Work"; }
    fs::path Local(const std::string& path) const { return drives_.Local(path); }

private:
    testing::TempDrives drives_;
};
#endif

class HeldFileContract : public ::testing::Test {
protected:
    std::string At(const std::string& name) const { return JoinPath(env.Folder(), name); }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream out(env.Local(At(name)), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    bool Present(const std::string& name) const { return fs::exists(env.Local(At(name))); }
    // As another run reads it: through the file system, sharing everything.
    std::string ReadAsAnother(const std::string& name) {
        std::string bytes;
        std::uint64_t size = 0;
        const Status read = files.ReadHead(At(name), 4096, bytes, size);
        EXPECT_TRUE(read) << read.Describe();
        return bytes;
    }

    Env env;
    FileSystem& files = env.Files();
};

TEST_F(HeldFileContract, OneHolderAtATimeReadersLetInAndTheFileGoesWithItsHolder) {
    std::unique_ptr<HeldFile> held;
    ASSERT_TRUE(files.Hold(At("Corvane.run"), held));
    ASSERT_TRUE(held);
    std::string bytes = "stale";
    ASSERT_TRUE(held->Read(512, bytes));
    EXPECT_EQ(bytes, "") << "a new file";
    ASSERT_TRUE(held->Rewrite("POS1\r\nDB REPAIR\r\n"));
    EXPECT_EQ(ReadAsAnother("Corvane.run"), "POS1\r\nDB REPAIR\r\n");

    std::unique_ptr<HeldFile> second;
    const Status refused = files.Hold(At("CORVANE.RUN"), second);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.code, 32u) << refused.Describe();
    EXPECT_FALSE(refused.text.empty());
    EXPECT_FALSE(second);

    held.reset();
    EXPECT_FALSE(Present("Corvane.run"));
    ASSERT_TRUE(files.Hold(At("Corvane.run"), second)) << "free again once its holder let go";
}

TEST_F(HeldFileContract, AFileNobodyHoldsIsTakenOverWithItsBytesUntilRewritten) {
    Put("Corvane.run", "POS2\r\nRESTAURAR\r\n2026-12-01 04:00:00\r\n");
    std::unique_ptr<HeldFile> held;
    ASSERT_TRUE(files.Hold(At("Corvane.run"), held));
    std::string bytes;
    ASSERT_TRUE(held->Read(4, bytes));
    EXPECT_EQ(bytes, "POS2") << "no more than asked for";
    ASSERT_TRUE(held->Read(512, bytes));
    EXPECT_EQ(bytes, "POS2\r\nRESTAURAR\r\n2026-12-01 04:00:00\r\n") << "from the start again";

    ASSERT_TRUE(held->Rewrite("MONITOR\r\n"));
    EXPECT_EQ(ReadAsAnother("Corvane.run"), "MONITOR\r\n") << "nothing of the longer content stays";
    held.reset();
    EXPECT_FALSE(Present("Corvane.run"));
}

TEST_F(HeldFileContract, NoHoldWhereNoFileCanBe) {
    fs::create_directories(env.Local(At("Folder")));
    struct Case {
        const char* name;
        unsigned long code;
    } const cases[] = {{"Missing\\Corvane.run", 3}, {"Folder", 5}};
    for (const Case& c : cases) {
        std::unique_ptr<HeldFile> held;
        const Status status = files.Hold(At(c.name), held);
        EXPECT_FALSE(status) << c.name;
        EXPECT_EQ(status.code, c.code) << c.name << ": " << status.Describe();
        EXPECT_FALSE(held) << c.name;
    }
}

}  // namespace
}  // namespace corvane
