#include "app/command_line.h"

#include <gtest/gtest.h>


namespace corvane {
namespace {

TEST(CommandLine, OneSwitchInAnyCaseWithASlashOrADashAndTheRepairsBound) {
    struct Case {
        std::vector<std::string> arguments;
        Invocation invocation;
        int limitMinutes = 0;
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
        {{"/reparar", "/limite:1"}, Invocation::Repair, 1},
        {{"-LIMITE:600", "/reparar"}, Invocation::Repair, 600},
        {{"/reparar", "/limite:30"}, Invocation::Repair, 30},
        {{"/reparar", "/limite:0"}, Invocation::UsageError},
        {{"/reparar", "/limite:601"}, Invocation::UsageError},
        {{"/reparar", "/limite:diez"}, Invocation::UsageError},
        {{"/reparar", "/limite:"}, Invocation::UsageError},
        {{"/reparar", "/limite:-5"}, Invocation::UsageError},
        {{"/reparar", "/limite:0000010"}, Invocation::UsageError},
        {{"/limite:5"}, Invocation::UsageError},
        {{"/limite:5", "/limite:5"}, Invocation::UsageError},
        {{"/reparar", "/limite:5", "/limite:5"}, Invocation::UsageError},
    };
    for (const Case& c : cases) {
        std::string given;
        for (const std::string& a : c.arguments) given += "[" + a + "]";
        const CommandLine parsed = ParseCommandLine(c.arguments);
        EXPECT_EQ(parsed.invocation, c.invocation) << given;
        EXPECT_EQ(parsed.limitMinutes, c.limitMinutes) << given;
    }
}

}  // namespace
}  // namespace corvane
