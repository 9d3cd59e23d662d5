#pragma once
#include <string>

#include "app/state.h"

namespace corvane {

class Clock;
class Dialogs;
class FileSystem;
class Instance;
class Process;
class SystemInfo;

// Everything a module may reach: the state record and the outside world,
// passed in explicitly so that tests can put fakes in.
struct AppContext {
    ProgramState& state;
    FileSystem& files;
    Dialogs& dialogs;
    SystemInfo& system;
    Clock& clock;
    Instance& instance;
    Process& process;
    std::string programFolder;  // no trailing backslash unless a drive root
    std::string programName;    // the executable's name without extension

    // The same context with one of the outside world's parts put in another's
    // place: a run that records its boxes, or closes its records before the
    // program ends.
    AppContext With(Dialogs& other) const {
        return {state, files, other, system, clock, instance, process, programFolder, programName};
    }
    AppContext With(Process& other) const {
        return {state, files, dialogs, system, clock, instance, other, programFolder, programName};
    }
};

// The executable's folder and name from the path the OS reports. Network paths
// that come back as "UNC\server\share\..." or "\\?\UNC\..." are given back their
// two leading backslashes, so the network-path rule sees them for what they are.
struct ProgramLocation {
    std::string folder;
    std::string name;
};
ProgramLocation LocateProgram(const std::string& modulePath);

}  // namespace corvane
