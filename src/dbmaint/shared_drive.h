#pragma once
#include "app/context.h"

namespace corvane {

// FindSharedDrive: sets the shared drive root ("D:", "G:" or
// "\\<main machine>\G") when the applicable rule's Shared folder exists; never
// clears it, so a root found once stays for the run.
void FindSharedDrive(AppContext& context);

}  // namespace corvane
