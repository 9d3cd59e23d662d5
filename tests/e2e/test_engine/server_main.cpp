// The test engine's application class as a local server, as a venue's
// database application serves it: every call crosses processes, errors come
// back through the marshalled EXCEPINFO, the server may start slowly, die in
// the middle of a call, or stay behind when nobody tells it to quit. The
// objects and their configuration files are the DLL's (dll_main.cpp); this
// file is only the process around them. COM starts it with "-Embedding".
//
// Single use, as the real application: every creation starts a server of
// its own, so a client never meets another's server, busy or dead. (Offered
// for many uses, a server that crashed stays registered under Wine 8, and
// its client can never create the class again: REGDB_E_CLASSNOTREG at once.)
//
// It ends when its last object is released, when the application is asked
// to Quit (once that call has returned), or when no client has taken an
// object within kUnusedLimitMs of the start (a launch whose client gave up).
#include <windows.h>
#include <objbase.h>

#include <string>

#include "engine_config.h"
#include "engine_host.h"
#include "engine_objects.h"

namespace {

constexpr UINT kUnusedLimitMs = 10000;

LONG gUsers = 0;
bool gEverUsed = false;
HWND gWindow = nullptr;

// How long a server told to hang in its start waits before it offers its class.
constexpr DWORD kHungStartMs = 3 * 60 * 1000;

void EndLoop() { PostQuitMessage(0); }

}  // namespace

namespace test_engine {

// The server's thread is its single-threaded apartment: every object's
// creation and release arrives on it, through its message loop.
void HostUserAdded() {
    ++gUsers;
    gEverUsed = true;
}
void HostUserReleased() {
    if (--gUsers == 0) EndLoop();
}
// COM's registration holds the factory for as long as the class is offered.
void HostFactoryReferenced(int) {}
// The reply to Quit goes out before the loop sees the message.
void HostQuitRequested() { EndLoop(); }
bool HostIsServer() { return true; }
HWND HostWindow() { return gWindow; }

}  // namespace test_engine

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace test_engine;
    SetConfigModule(nullptr);
    const std::string pid = std::to_string(GetCurrentProcessId());
    JournalLine({"server start", pid});

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        JournalLine({"server end", pid, "CoInitializeEx failed"});
        return 1;
    }
    // A first start of the real application can take ten seconds and more;
    // a hung one never comes.
    if (const std::optional<DWORD> delay = ConfigMilliseconds(L"start_delay_ms.txt")) Sleep(*delay);
    if (ConfigExists(L"hang_in_start.txt")) {
        JournalLine({"server hangs in its start", pid});
        Sleep(kHungStartMs);
    }
    // The application's window, hidden, as the real one has while it works
    // for automation: its handle is how a client finds this process.
    gWindow = CreateWindowExW(0, L"STATIC", L"Test engine", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (gWindow == nullptr) JournalLine({"server without a window", std::to_string(GetLastError())});

    DWORD cookie = 0;
    const HRESULT registered = CoRegisterClassObject(kApplicationClsid, FactoryOf(ClassKind::Application),
                                                     CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie);
    if (FAILED(registered)) {
        char code[16];
        wsprintfA(code, "0x%08lX", static_cast<unsigned long>(registered));
        JournalLine({"server end", pid, "CoRegisterClassObject", code});
        CoUninitialize();
        return 1;
    }
    const UINT_PTR unusedTimer = SetTimer(nullptr, 0, kUnusedLimitMs, nullptr);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == unusedTimer) {
            KillTimer(nullptr, unusedTimer);
            if (!gEverUsed) break;
            continue;
        }
        DispatchMessageW(&message);
    }
    CoRevokeClassObject(cookie);
    JournalLine({"server end", pid});
    // Not CoUninitialize: a client's last Release may be on its way in, and
    // under Wine the apartment's end then waits for a call this thread will
    // never serve (seen: a server hanging after its end). Ending the process
    // lets every call in flight fail as the server being gone.
    ExitProcess(0);
}
