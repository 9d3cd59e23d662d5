// The held file's part of the file-system contract: the mapped posix file
// system natively, the Win32 one under Wine (or Windows). A run lock rests
// on it: one holder at a time, readers let in, the file gone with its holder.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "base/text.h"
#include "platform/contract_env.h"

namespace corvane {
namespace {
namespace fs = std::filesystem;

using Env = testing::ContractEnv;

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
