#pragma once
#include "app/context.h"

namespace corvane {

// Sets the platform code and label from which of three fixed system folders
// exists on drive C:.
void ProbeSystemFolders(AppContext& context);

// Fallback when the probe found nothing: the code from the OS version query,
// then the two folder tests, which win over it.
void ClassifyWindowsVersion(AppContext& context);

}  // namespace corvane
