#include "app/debug_log.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

TEST(DebugLog, LogStaysOffWhenItCannotDoItsJob) {
    testing::Harness h;
    using Op = testing::FailingFileSystem::Op;
    struct Case {
        const char* name;
        bool switchIsFolder, failDelete, failWrite;
        std::vector<std::string> left;
    } const cases[] = {
        {"switch entry is a folder", true, false, false, {"Corvane.deb"}},
        {"switch file cannot be deleted", false, true, false, {"Corvane.deb"}},
        {"log file cannot be created", false, false, true, {}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(h.drives.Local("E:\\Corvane"));
        h.drives.MakeFolder("E:\\Corvane");
        if (c.switchIsFolder) h.drives.MakeFolder("E:\\Corvane\\Corvane.deb");
        else h.drives.WriteFile("E:\\Corvane\\Corvane.deb", "");
        h.files.Clear();
        if (c.failDelete) h.files.Fail(Op::Delete);
        if (c.failWrite) h.files.Fail(Op::WriteText);

        StartDebugLog(h.context);
        EXPECT_EQ(h.state.debugLogPath, "") << c.name;
        AppendDebugLine(h.context, "ActivatePrevInstance");
        EXPECT_EQ(h.drives.FileNames("E:\\Corvane"), c.left) << c.name;
    }
}

}  // namespace
}  // namespace corvane
