// The test engine as an in-process COM server: a database engine of the
// project's own for the end-to-end tests, registered under the class ids
// Corvane creates, so the product's real late-bound COM code runs under Wine,
// where no real engine can be installed. The DAO class is always served from
// here, as DAO is in process on a venue's machine too; the application class
// is served by corvane_test_engine_server.exe (server_main.cpp) unless a
// scenario registers it in process.
//
// An engine offers Version, RepairDatabase(path) and CompactDatabase(SrcName,
// DstName, [DstLocale], [Options], [SrcLocale]); the application object
// offers DBEngine and Quit([Option]). Compaction copies the bytes (runs of
// zeros as holes, so a sparse database stays sparse); the
// failures the product must handle are the real engine's: the destination
// exists (3204), the source is held open by another program (3045), the
// source is missing (3024). In process they are raised as the real engine
// raises them: DISP_E_EXCEPTION, scode 0x800A0000 | number, and the
// description only through pfnDeferredFillIn, so a client that skips the
// fill-in sees no text.
//
// Each scenario chooses the behaviour with text files beside the DLL and the
// server, read at every call (a test changes them between two steps of one run):
//   version.txt          the first engine's version (default "3.6")
//   fail.txt             "<file name>|<number>|<description>" lines: a call of
//                        the first engine on that source file raises that
//   repair.txt           the first engine's RepairDatabase, as a newer
//                        engine that has none answers: "ok" (default),
//                        "unknown" (no such name), "3251", or
//                        "<number>|<description>"; fail.txt applies after
//   second_repair.txt    the same for the second engine's RepairDatabase
//   refuse_start.txt     present: the application object will not start
//   compact_delay_ms.txt a compaction writes half the destination, flushes
//                        it, journals "<engine> CompactDatabase.started
//                        <arguments...>" and waits this many milliseconds
//                        before the rest, so a test can end the program in
//                        the middle of it
//   die_in_compact.txt   source file names, one a line: the local server
//                        writes half of that compaction, journals
//                        "first CompactDatabase.dying <arguments...>" and
//                        ends at once, as a server that crashes
//   die_in_repair.txt    the same for the first engine's RepairDatabase:
//                        journals "first RepairDatabase.dying <path>" and
//                        ends before repair.txt is read
//   start_delay_ms.txt   the local server waits this long before it offers
//                        its class, as a slow first start of the real one
//   defer_fill_in.txt    present: the local server leaves the description
//                        to pfnDeferredFillIn as the in-process engine does
//   hang_in_compact.txt  source file names, one a line: the local server
//                        writes half of that compaction, journals "first
//                        CompactDatabase.hanging <arguments...>" and never
//                        answers, pumping its messages until it is ended
//   hang_in_start.txt    present: the local server waits 3 minutes before
//                        it offers its class, as an application that hangs
//                        while it starts
// The application's hWndAccessApp answers a hidden window of the local
// server (0 in process, where no process of its own is to be ended).
// and it appends what it was asked to journal.txt there (UTF-8, CR LF, TAB
// between fields): "<first|second> <member> <arguments...> <ok|error N>",
// plus "create application", "create second" and "refuse application" when a
// class factory is asked for an object, and "server start <pid>" and
// "server end <pid>" from the local server. An argument is written as the
// text it holds, "<missing>" when left out, a whole number as it is, else
// "<vt N>". Failures that are not the engine's own (a wrong argument count or
// type) show as "error 0x8002000E". Every repair and compaction also appends
// "<member> <start ms> <end ms>" on the host's realtime clock to timings.txt,
// for the compaction benchmark.
#include <windows.h>

#include "engine_config.h"
#include "engine_host.h"
#include "engine_objects.h"

namespace {

// Objects alive, class factories held and server locks: the DLL may be
// unloaded only when all are gone.
LONG gModuleUsers = 0;

}  // namespace

namespace test_engine {

void HostUserAdded() { InterlockedIncrement(&gModuleUsers); }
void HostUserReleased() { InterlockedDecrement(&gModuleUsers); }
void HostFactoryReferenced(int change) {
    if (change > 0) HostUserAdded();
    else HostUserReleased();
}
// The program that loaded the DLL is the application's process: quitting
// ends nothing here.
void HostQuitRequested() {}
bool HostIsServer() { return false; }
HWND HostWindow() { return nullptr; }

}  // namespace test_engine

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        test_engine::SetConfigModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    using namespace test_engine;
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualCLSID(clsid, kApplicationClsid)) return FactoryOf(ClassKind::Application)->QueryInterface(iid, object);
    if (IsEqualCLSID(clsid, kSecondEngineClsid)) return FactoryOf(ClassKind::SecondEngine)->QueryInterface(iid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return gModuleUsers == 0 ? S_OK : S_FALSE; }
