#pragma once
#include <string>

#include "app/context.h"

namespace corvane {

constexpr const char* kDevMachineMarker = "K305";
enum class StartupOutcome { ShowMainWindow, EndProgram };

// An unattended run hands nothing over to a copy that is running, and does
// not stop for it either: the run lock alone keeps two runs apart.
enum class StartupMode { Window, Unattended };

// Everything before the main window is loaded, in its fixed order: language
// code, platform, version texts, computer name, debug log, single instance,
// developer questions, main machine, shared data folder, run location.
StartupOutcome RunStartup(AppContext& context, StartupMode mode = StartupMode::Window);

// The parts of the start-up with rules of their own, for the tests.
void SetVersionTexts(ProgramState& state, int major, int minor, int revision);
bool AskDeveloperQuestions(AppContext& context);  // false: end the program
std::string ReadMainMachineName(AppContext& context);
bool CheckRunLocation(AppContext& context);  // false: end the program

}  // namespace corvane
