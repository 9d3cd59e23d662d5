#include "dbmaint/shared_drive.h"

#include "base/text.h"
#include "platform/file_system.h"

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

}  // namespace corvane
