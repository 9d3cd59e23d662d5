#include "dbmaint/shared_drive.h"

#include "app/state.h"
#include "base/text.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace corvane {
namespace {

bool IsFolder(AppContext& context, const std::string& path) {
    return context.files.Lookup(path) == EntryKind::Folder;
}

}  // namespace

void FindSharedDrive(AppContext& context) {
    ProgramState& state = context.state;
    // Only the applicable rule is tried: a developer machine never reaches
    // for the venue's network, the main machine never for its own share.
    if (state.devMachineFlag == "YES") {
        if (IsFolder(context, "D:\\Shared")) state.sharedDriveRoot = "D:";
        return;
    }
    if (UpperCase(state.computerName) == UpperCase(state.mainMachineName)) {
        if (IsFolder(context, "G:\\Shared")) state.sharedDriveRoot = "G:";
        return;
    }
    const std::string share = "\\\\" + state.mainMachineName + "\\G";
    // The share itself first: a server that is unknown or does not answer
    // ends the search before the folder inside it is asked for.
    if (!IsFolder(context, share + "\\")) return;
    if (IsFolder(context, share + "\\Shared")) state.sharedDriveRoot = share;
}

bool ReachSharedDrive(AppContext& context, WhenDeclined declined) {
    ProgramState& state = context.state;
    for (;;) {
        FindSharedDrive(context);
        if (!state.sharedDriveRoot.empty()) return true;
        const Answer retry = Ask(context.dialogs, "ATENCION!!!",
                                 "NO Hay Conexion con la Maquina '" + state.mainMachineName + "'!!!\r" +
                                     "Intentamos de Nuevo?",
                                 2);
        if (retry != Answer::Yes) break;
    }
    // The name, not the developer flag: a developer who chose to act as
    // "Monitor" at start-up is no longer offered a local run.
    if (NameHasDevMarker(state)) {
        if (Ask(context.dialogs, ":)", "Rodamos en Modo 'LOCAL'?", 1) != Answer::Yes) {
            context.process.End(0);
            return false;
        }
        state.sharedDriveRoot = "D:";
        return true;
    }
    if (declined == WhenDeclined::EndProgram) context.process.End(0);
    return false;
}

}  // namespace corvane
