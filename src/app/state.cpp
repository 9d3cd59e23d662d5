#include "app/state.h"

#include "base/text.h"

namespace corvane {

bool NameHasDevMarker(const ProgramState& state) {
    return !state.devMachineMarker.empty() &&
           Contains(UpperCase(state.computerName), UpperCase(state.devMachineMarker));
}

bool IsDeveloperMachine(const ProgramState& state) {
    // Before the start-up sets the flag, the name alone tells.
    return state.devMachineFlag == "YES" || NameHasDevMarker(state);
}

std::string SharedFolder(const ProgramState& state) {
    if (IsDeveloperMachine(state)) return "D:\\Shared";
    if (UpperCase(state.computerName) == UpperCase(state.mainMachineName)) return "G:\\Shared";
    return "\\\\" + state.mainMachineName + "\\G\\Shared";
}

}  // namespace corvane
