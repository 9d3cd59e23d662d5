// Shows the real main window in one chosen state, for screenshots of states
// that the program reaches only in the middle of work (the busy overlay).
//   corvane_screens home|languages|busy|waiting
#include <windows.h>

#include <string>

#include "app/startup.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/dialogs_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/instance_win32.h"
#include "platform/win32/message_pump.h"
#include "platform/win32/system_info_win32.h"
#include "ui/main_model.h"
#include "ui/main_view_win32.h"

namespace {

class NoActions : public corvane::MainActions {
public:
    void RepairRequest(corvane::MainWindowPort&, corvane::ProgressPort&) override {}
    void RestoreEntry(corvane::MainWindowUi&) override {}
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace corvane;
    const std::wstring state = argc > 1 ? argv[1] : L"home";

    win32::Win32FileSystem files;
    win32::Win32Dialogs dialogs;
    win32::Win32SystemInfo system;
    win32::Win32Clock clock;
    win32::Win32Instance instance(::GetModuleHandleW(nullptr), L"Corvane screens");
    win32::Win32Process process;
    ProgramState programState;
    AppContext context{programState, files, dialogs, system, clock, instance, process, "", "Corvane"};
    programState.platformLabel = "Win1x";
    SetVersionTexts(programState, 25, 0, 0);
    programState.uiLanguageCode = state == L"languages" ? "" : "1";

    NoActions actions;
    MainModel model(context, actions);
    win32::MessagePump pump;
    MainView view(model, pump, ::GetModuleHandleW(nullptr), instance.AppWindow());
    if (!view.Load()) return 1;
    model.Open();
    if (state == L"busy" || state == L"waiting") model.ShowBusy();
    // The run's status line as a wait on a database in use shows it.
    if (state == L"waiting") {
        model.SetStatus({corvane::RunAction::Waiting, "Keystone", 0, 0, 23, {"POS1", "POS3"}});
    }
    return pump.Run();
}
