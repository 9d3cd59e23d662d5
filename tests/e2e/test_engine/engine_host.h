// What the objects ask of the module that serves them. The DLL and the local
// server each define these: the objects are the same, their host's lifetime
// rules differ.
#pragma once
#include <windows.h>

namespace test_engine {

// An object or a server lock came or went: the host may unload or end only
// when none is left.
void HostUserAdded();
void HostUserReleased();
// A class factory reference came (+1) or went (-1): a DLL stays loaded for
// it; a local server, whose registration holds one, does not count it.
void HostFactoryReferenced(int change);
// The application was asked to quit: a local server ends once the call has
// returned; a DLL has nothing to end.
void HostQuitRequested();
// The objects run in a process of their own.
bool HostIsServer();
// The application's main window, as hWndAccessApp answers it: a hidden
// window of the server's own; none in process.
HWND HostWindow();

}  // namespace test_engine
