#pragma once
#include <string>

#include "app/context.h"
#include "platform/status.h"

namespace corvane {

// FindSharedDrive: marks the shared data folder found when it exists (on a
// main machine's share, the share is asked for first); never unmarks it, so
// a folder found once stays found for the run.
void FindSharedDrive(AppContext& context);

// What No to trying again means when the main machine cannot be reached and
// no local run is taken: the repair request stays in the program, the
// restore entry ends it.
enum class WhenDeclined { Stay, EndProgram };

// The connection check of both entries: FindSharedDrive until the
// folder is found, asking to try again meanwhile ("ATENCION!!!", No preselected). A
// computer whose name holds the developer marker is then offered a local run
// on its own "D:\Shared" (":)", Yes preselected), whose No ends the
// program. true: the folder counts as found and the entry goes on.
bool ReachSharedDrive(AppContext& context, WhenDeclined declined);

// What both entries say when the shared data folder, found earlier, cannot
// be listed now: the folder and why.
std::string UnreadableFolderText(const std::string& folder, const Status& failure);

}  // namespace corvane
