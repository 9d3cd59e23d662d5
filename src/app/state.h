#pragma once
#include <string>

namespace corvane {

// Filled only by SetDateStamps; the work date changes at 08:00.
struct DateStamps {
    std::string StampText, StampYear, StampMonth, StampDay, StampHour, StampMinute, StampSecond;
    std::string WorkDateText, WorkYear, WorkMonth, WorkDay;
};

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
    std::string sharedDataFolderPath;
    std::string sharedDriveRoot;

    std::string databasePassword;
    std::string debugLogPath;

    DateStamps stamps;
};

// The computer name holds the developer-machine marker (any letter case). The
// start-up may change the name later; the flag keeps what it was at start.
bool NameHasDevMarker(const ProgramState& state);

}  // namespace corvane
