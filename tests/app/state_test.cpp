#include "app/state.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(SharedDataFolder, ChosenByDeveloperMarkerThenMainMachine) {
    struct Case {
        const char* computer;
        const char* flag;
        const char* mainMachine;
        const char* path;
    } const cases[] = {
        {"MONITOR", "", "Monitor", "G:\\Shared"},
        {"monitor", "", "MONITOR", "G:\\Shared"},
        {"POS3", "", "Monitor", "\\\\Monitor\\G\\Shared"},
        {"POS3", "", "Caja1", "\\\\Caja1\\G\\Shared"},
        {"DEV-K305", "", "DEV-K305", "D:\\Shared"},
        {"dev-k305", "", "Monitor", "D:\\Shared"},
        {"Monitor", "YES", "Monitor", "D:\\Shared"},  // developer who chose "Monitor"
    };
    for (const Case& c : cases) {
        ProgramState state;
        state.computerName = c.computer;
        state.devMachineFlag = c.flag;
        state.devMachineMarker = "K305";
        state.mainMachineName = c.mainMachine;
        EXPECT_EQ(SharedFolder(state), c.path) << c.computer << " / " << c.mainMachine;
    }
}

}  // namespace
}  // namespace corvane
