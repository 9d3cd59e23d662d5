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
    // Only the folder the start-up chose is tried: a developer machine never
    // reaches for the venue's network, the main machine never for its own share.
    const std::string& folder = state.sharedDataFolderPath;
    // A share itself first: a server that is unknown or does not answer
    // ends the search before the folder inside it is asked for.
    if (folder.rfind("\\\\", 0) == 0 && !IsFolder(context, FolderOf(folder) + "\\")) return;
    if (IsFolder(context, folder)) state.sharedFolderFound = true;
}

bool ReachSharedDrive(AppContext& context, WhenDeclined declined) {
    ProgramState& state = context.state;
    for (;;) {
        FindSharedDrive(context);
        if (state.sharedFolderFound) return true;
        const Answer retry = Ask(context.dialogs, "ATENCION!!!",
                                 "NO Hay Conexion con la Maquina '" + state.mainMachineName + "'!!!\r" +
                                     "Intentamos de Nuevo?",
                                 2);
        if (retry != Answer::Yes) break;
    }
    // The name, not the developer flag: a developer who chose to act as
    // "Monitor" at start-up is no longer offered a local run. The folder is
    // the developer machine's own "D:\Shared" already.
    if (NameHasDevMarker(state)) {
        if (Ask(context.dialogs, ":)", "Rodamos en Modo 'LOCAL'?", 1) != Answer::Yes) {
            context.process.End(0);
            return false;
        }
        state.sharedFolderFound = true;
        return true;
    }
    if (declined == WhenDeclined::EndProgram) context.process.End(0);
    return false;
}

std::string UnreadableFolderText(const std::string& folder, const Status& failure) {
    return "No se Puede Leer la Carpeta de las Bases de Datos\r" + folder + "\r\r" + failure.text + " (Error " +
           std::to_string(failure.code) + ")";
}

}  // namespace corvane
