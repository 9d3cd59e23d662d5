#include "app/context.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(LocateProgram, FolderAndNameFromTheModulePath) {
    struct Case {
        const char* modulePath;
        const char* folder;
        const char* name;
    } const cases[] = {
        {"E:\\Corvane\\Corvane.exe", "E:\\Corvane", "Corvane"},
        {"E:\\Corvane.exe", "E:\\", "Corvane"},
        {"E:\\Apps\\Corvane.v2.exe", "E:\\Apps", "Corvane.v2"},
        {"\\\\Monitor\\G\\Apps\\Corvane.exe", "\\\\Monitor\\G\\Apps", "Corvane"},
        // How a program started from a network path may see itself:
        {"UNC\\Monitor\\G\\Apps\\Corvane.exe", "\\\\Monitor\\G\\Apps", "Corvane"},
        {"\\\\?\\UNC\\Monitor\\G\\Apps\\Corvane.exe", "\\\\Monitor\\G\\Apps", "Corvane"},
        {"\\\\?\\D:\\Corvane\\Corvane.exe", "D:\\Corvane", "Corvane"},
    };
    for (const Case& c : cases) {
        const ProgramLocation location = LocateProgram(c.modulePath);
        EXPECT_EQ(location.folder, c.folder) << c.modulePath;
        EXPECT_EQ(location.name, c.name) << c.modulePath;
    }
}

}  // namespace
}  // namespace corvane
