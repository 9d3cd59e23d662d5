#pragma once
#include "app/context.h"

namespace corvane {

// FindSharedDrive: sets the shared drive root ("D:", "G:" or
// "\\<main machine>\G") when the applicable rule's Shared folder exists; never
// clears it, so a root found once stays for the run.
void FindSharedDrive(AppContext& context);

// What No to trying again means when the main machine cannot be reached and
// no local run is taken: the repair request stays in the program, the
// restore entry ends it.
enum class WhenDeclined { Stay, EndProgram };

// The connection check of both entries: FindSharedDrive until there is a
// root, asking to try again meanwhile ("ATENCION!!!", No preselected). A
// computer whose name holds the developer marker is then offered a local run
// on "D:" (":)", Yes preselected), whose No ends the program. true: a root
// is set and the entry goes on.
bool ReachSharedDrive(AppContext& context, WhenDeclined declined);

}  // namespace corvane
