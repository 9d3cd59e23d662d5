#pragma once
#include <string>

namespace corvane {

// The program-wide state record: one per run, readable by every module and
// written only by the modules that own each field. Flags hold "YES" or "".
struct ProgramState {
    std::string uiLanguageCode;  // "1" Spanish, "2" Portuguese, "3" English, ""

    std::string platformCode;   // "3", "4", "5", "6" or ""
    std::string platformLabel;  // "Win1x", "WinNT4", "WinXP", "Sin OS"

    std::string versionString;  // "v25.0.0"
    std::string shortVersion;   // "25"
    std::string versionTitle;   // "(v25.0.0)(Win1x)"

    std::string computerName;
    std::string devMachineMarker;
    std::string devMachineFlag;

    std::string mainMachineName;
    // Chosen once at start-up (SharedFolder) and kept for the run.
    std::string sharedDataFolderPath;
    // FindSharedDrive found the folder there; once found, it stays found for
    // the run, so a main machine that went away is reported by the listing.
    bool sharedFolderFound = false;

    std::string debugLogPath;
};

// The computer name holds the developer-machine marker (any letter case).
// The developer may act as another machine at start-up: only the machine
// that keeps its own name runs locally and reads its own clock.
bool NameHasDevMarker(const ProgramState& state);

// A developer's computer: its name held the marker at start-up (the flag),
// whatever name the developer chose to act under since.
bool IsDeveloperMachine(const ProgramState& state);

// Where the suite's databases are, by this computer's part in the venue:
// "D:\Shared" on a developer machine, "G:\Shared" on the main machine,
// the main machine's share "G" from any other.
std::string SharedFolder(const ProgramState& state);

}  // namespace corvane
