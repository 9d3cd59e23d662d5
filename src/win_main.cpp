// Corvane's composition root: builds the Windows services, runs the start-up,
// wires the main window's model, view and actions, and runs the one message
// pump until the program ends.
#include <windows.h>
#include <commctrl.h>

#include "app/startup.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/com.h"
#include "platform/win32/db_engine_win32.h"
#include "platform/win32/dialogs_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/instance_win32.h"
#include "platform/win32/message_pump.h"
#include "platform/win32/system_info_win32.h"
#include "platform/win32/waiter_win32.h"
#include "ui/main_model.h"
#include "ui/main_view_win32.h"
#include "ui/restore_model.h"
#include "ui/restore_view_win32.h"
#include "ui/database_actions.h"

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int) {
    using namespace corvane;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    // Once for the program, before any object of it exists and after they
    // are all gone: the database engine lives in this thread's apartment.
    const win32::ComApartment apartment;

    win32::Win32FileSystem files;
    win32::Win32Dialogs dialogs;
    win32::Win32SystemInfo system;
    win32::Win32Clock clock;
    win32::Win32Instance instance(module, L"Corvane");
    win32::Win32Process process;
    ProgramState state;
    const ProgramLocation location = LocateProgram(system.ModulePath());
    AppContext context{state, files, dialogs, system, clock, instance, process, location.folder, location.name};

    if (RunStartup(context) == StartupOutcome::EndProgram) return 0;

    win32::MessagePump pump;
    // Created when the first run asks for it, kept until the program ends.
    win32::Win32DbEngine engine;
    win32::Win32Waiter waiter(pump);
    RestoreModel restoreModel(context, waiter);
    DatabaseActions actions(context, engine, waiter, restoreModel);
    MainModel model(context, actions);
    MainView view(model, pump, module, instance.AppWindow());
    // Made hidden now, shown in the main window's place by the restore entry.
    RestoreView restoreView(restoreModel, pump, module, instance.AppWindow());
    if (!view.Load() || !restoreView.Load()) {
        const DWORD error = ::GetLastError();
        MessageBoxRequest request;
        request.text = "No se pudo abrir la ventana principal (error " + std::to_string(error) + ")";
        request.title = kAppTitle;
        request.icon = Icon::Stop;
        dialogs.Show(request);
        return 1;
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    model.Open();
    return pump.Run();
}
