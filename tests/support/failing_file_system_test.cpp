#include "support/failing_file_system.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane::testing {
namespace {

using Op = FailingFileSystem::Op;

// Restore tests lean on these faults: a double that failed the wrong call, or
// left nothing behind, would let a broken restore pass.
TEST(FailingFileSystem, FailsOnlyTheChosenCallsAndLeavesHalfACopy) {
    TempDrives drives;
    drives.MakeFolder("E:\\_BackUps");
    drives.WriteFile("E:\\_BackUps\\Keystone.mdb", "0123456789");
    FailingFileSystem files(drives.files);
    files.Fail(Op::Copy).OnPathsWith("keystone.tmp").FromCall(2).WithError(112).HalfWay();

    EXPECT_TRUE(files.Copy("E:\\_BackUps\\Keystone.mdb", "E:\\Keystone.tmp"));
    EXPECT_TRUE(files.Copy("E:\\_BackUps\\Keystone.mdb", "E:\\Other.tmp"));
    const Status failed = files.Copy("E:\\_BackUps\\Keystone.mdb", "E:\\Keystone.tmp");
    EXPECT_EQ(failed.code, 112u);
    EXPECT_FALSE(failed.text.empty());
    EXPECT_EQ(drives.ReadFile("E:\\Keystone.tmp"), "01234");
    EXPECT_TRUE(files.Delete("E:\\Other.tmp"));
}

}  // namespace
}  // namespace corvane::testing
