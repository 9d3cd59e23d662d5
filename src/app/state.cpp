#include "app/state.h"

#include "base/text.h"

namespace corvane {

bool NameHasDevMarker(const ProgramState& state) {
    return !state.devMachineMarker.empty() &&
           Contains(UpperCase(state.computerName), UpperCase(state.devMachineMarker));
}

}  // namespace corvane
