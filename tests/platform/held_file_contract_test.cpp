// The held file's part of the file-system contract. A run lock rests on it:
// one holder at a time, readers let in, the file gone with its holder.
#include <gtest/gtest.h>

#include "platform/file_system_contract.h"

namespace corvane {
namespace {
using testing::FailsWith;
using testing::FileSystemContract;

template <typename Env>
class HeldFileContract : public FileSystemContract<Env> {
protected:
    // As another run reads it: through the file system, sharing everything.
    std::string ReadAsAnother(const std::string& name) {
        std::string bytes;
        std::uint64_t size = 0;
        const Status read = this->files.ReadHead(this->At(name), 4096, bytes, size);
        EXPECT_TRUE(read) << read.Describe();
        return bytes;
    }
};
TYPED_TEST_SUITE(HeldFileContract, testing::Implementations, testing::EnvNames);

TYPED_TEST(HeldFileContract, OneHolderAtATimeReadersLetInAndTheFileGoesWithItsHolder) {
    std::unique_ptr<HeldFile> held;
    ASSERT_TRUE(this->files.Hold(this->At("Corvane.run"), held));
    ASSERT_TRUE(held);
    std::string bytes = "stale";
    ASSERT_TRUE(held->Read(512, bytes));
    EXPECT_EQ(bytes, "") << "a new file";
    ASSERT_TRUE(held->Rewrite("POS1\r\nDB REPAIR\r\n"));
    EXPECT_EQ(this->ReadAsAnother("Corvane.run"), "POS1\r\nDB REPAIR\r\n");

    std::unique_ptr<HeldFile> second;
    EXPECT_TRUE(FailsWith(this->files.Hold(this->At("CORVANE.RUN"), second), 32));
    EXPECT_FALSE(second);

    held.reset();
    EXPECT_FALSE(this->Present("Corvane.run"));
    ASSERT_TRUE(this->files.Hold(this->At("Corvane.run"), second)) << "free again once its holder let go";
}

TYPED_TEST(HeldFileContract, AFileNobodyHoldsIsTakenOverWithItsBytesUntilRewritten) {
    this->Put("Corvane.run", "POS2\r\nRESTAURAR\r\n2026-12-01 04:00:00\r\n");
    std::unique_ptr<HeldFile> held;
    ASSERT_TRUE(this->files.Hold(this->At("Corvane.run"), held));
    std::string bytes;
    ASSERT_TRUE(held->Read(4, bytes));
    EXPECT_EQ(bytes, "POS2") << "no more than asked for";
    ASSERT_TRUE(held->Read(512, bytes));
    EXPECT_EQ(bytes, "POS2\r\nRESTAURAR\r\n2026-12-01 04:00:00\r\n") << "from the start again";

    ASSERT_TRUE(held->Rewrite("MONITOR\r\n"));
    EXPECT_EQ(this->ReadAsAnother("Corvane.run"), "MONITOR\r\n") << "nothing of the longer content stays";
    held.reset();
    EXPECT_FALSE(this->Present("Corvane.run"));
}

TYPED_TEST(HeldFileContract, NoHoldWhereNoFileCanBe) {
    this->MakeFolder("Folder");
    for (const auto& [name, code] : {std::pair{"Missing\\Corvane.run", 3ul}, std::pair{"Folder", 5ul}}) {
        std::unique_ptr<HeldFile> held;
        EXPECT_TRUE(FailsWith(this->files.Hold(this->At(name), held), code)) << name;
        EXPECT_FALSE(held) << name;
    }
}

}  // namespace
}  // namespace corvane
