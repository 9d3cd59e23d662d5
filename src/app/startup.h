#pragma once
#include <string>

#include "app/context.h"

namespace corvane {

constexpr const char* kDevMachineMarker = "K305";
// What a second copy says when the copy that runs has no window it can raise.
constexpr const char* kAlreadyWorkingHere =
    "Corvane ya esta trabajando en este equipo\r(en otra sesion, como la reparacion de la noche).\r\r"
    "Hay Que Esperar a que Termine.";

// What a copy started by hand says while the nightly run works on this computer.
constexpr const char* kUnattendedRunningText =
    "Corvane Esta Reparando las Bases sin Ventana en esta Maquina\r(la Tarea Programada /reparar).\r\r"
    "Vuelva a Abrirlo Cuando Termine.";

enum class StartupOutcome { ShowMainWindow, EndProgram, AnotherCopyRunning };

// An unattended run hands nothing over to a copy that is running: it ends,
// and its exit code says why.
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
