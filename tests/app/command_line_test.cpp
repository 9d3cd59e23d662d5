#include "app/command_line.h"

#include <gtest/gtest.h>


namespace corvane {
namespace {

TEST(CommandLine, OneSwitchInAnyCaseWithASlashOrADash) {
    struct Case {
        std::vector<std::string> arguments;
        Invocation invocation;
    } const cases[] = {
        {{}, Invocation::Window},
        {{"/reparar"}, Invocation::Repair},
        {{"-REPARAR"}, Invocation::Repair},
        {{"/Reparar"}, Invocation::Repair},
        {{"/?"}, Invocation::Usage},
        {{"-?"}, Invocation::Usage},
        {{"reparar"}, Invocation::UsageError},
        {{"/reparar2"}, Invocation::UsageError},
        {{"/x"}, Invocation::UsageError},
        {{"/"}, Invocation::UsageError},
        {{""}, Invocation::UsageError},
        {{"/reparar", "/reparar"}, Invocation::UsageError},
        {{"/reparar", "/?"}, Invocation::UsageError},
    };
    for (const Case& c : cases) {
        std::string given;
        for (const std::string& a : c.arguments) given += "[" + a + "]";
        EXPECT_EQ(ParseCommandLine(c.arguments), c.invocation) << given;
    }
}

}  // namespace
}  // namespace corvane
