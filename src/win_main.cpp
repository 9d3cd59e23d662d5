// Corvane's composition root: builds the Windows services, runs the start-up,
// wires the main window's model, view and actions, and runs the one message
// pump until the program ends; or, with a switch, shows the usage or runs
// the repair unattended.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "app/command_line.h"
#include "app/program.h"
#include "app/run_log.h"
#include "app/startup.h"
#include "base/utf.h"
#include "dbmaint/engine_end.h"
#include "dbmaint/unattended_run.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/com.h"
#include "platform/win32/console_win32.h"
#include "platform/win32/db_engine_win32.h"
#include "platform/win32/dialogs_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/instance_win32.h"
#include "platform/win32/message_filter.h"
#include "platform/win32/message_pump.h"
#include "platform/win32/system_info_win32.h"
#include "platform/win32/waiter_win32.h"
#include "ui/main_model.h"
#include "ui/main_view_win32.h"
#include "ui/restore_model.h"
#include "ui/restore_view_win32.h"
#include "ui/database_actions.h"

namespace {

using namespace corvane;

// The switches after the program's name, as the C runtime split them.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) arguments.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(__wargv[i])));
    return arguments;
}

// /? shows the usage where its starter reads it, or in a box; a usage error
// has nobody to close a box (a scheduled task), so it goes to the run log.
int Usage(AppContext& context, Invocation invocation) {
    std::string lines;
    std::string boxText;
    for (const std::string& line : UsageLines()) {
        lines += line + "\n";
        boxText += (boxText.empty() ? "" : "\r") + line;
    }
    const bool error = invocation == Invocation::UsageError;
    if (win32::WriteToStarter(lines)) return error ? kExitUsage : kExitDone;
    if (!error) {
        Tell(context.dialogs, kAppTitle, boxText);
        return kExitDone;
    }
    RunLog log(context);
    std::string given;
    for (const std::string& argument : Arguments()) given += (given.empty() ? "" : " ") + argument;
    log.Record("Uso incorrecto: " + given + "\r" + boxText);
    log.Record(EndRecord(kExitUsage));
    return kExitUsage;
}

// The bounds of the engine's calls: /limite:MIN for the work on each
// database, the defaults otherwise. Under Wine only, where the tests run and
// no venue does, CORVANE_WINE_PLAZOS_MS="<work>,<control>" sets both in
// milliseconds, so a test of a hung engine need not wait minutes.
EngineDeadlines DeadlinesFor(const CommandLine& command) {
    EngineDeadlines deadlines;
    if (command.limitMinutes > 0) deadlines.workMs = command.limitMinutes * 60LL * 1000;
    if (!win32::RunningUnderWine()) return deadlines;
    wchar_t text[64] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"CORVANE_WINE_PLAZOS_MS", text, 64);
    if (length == 0 || length >= 64) return deadlines;
    wchar_t* end = nullptr;
    const long work = std::wcstol(text, &end, 10);
    if (*end != L',') return deadlines;
    const long control = std::wcstol(end + 1, &end, 10);
    if (*end != L'\0' || work <= 0 || control <= 0) return deadlines;
    deadlines.workMs = work;
    deadlines.controlMs = control;
    return deadlines;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int) {
    using namespace corvane;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    // Once for the program, before any object of it exists and after they
    // are all gone: the database engine lives in this thread's apartment.
    const win32::ComApartment apartment;
    // The engine answers from another process: while it works, COM's own
    // loop runs, and the filter lets painting and a close request through.
    win32::CallMessageFilter callFilter;
    const win32::ScopedMessageFilter filterRegistration(callFilter);

    win32::Win32FileSystem files;
    win32::Win32Dialogs dialogs;
    win32::Win32SystemInfo system;
    win32::Win32Clock clock;
    const CommandLine command = ParseCommandLine(Arguments());
    const Invocation invocation = command.invocation;
    // The nightly run's hidden window never bears the title a copy started
    // by hand searches for, not even for the moment before it is marked.
    const bool unattended = invocation == Invocation::Repair;
    win32::Win32Instance instance(module, unattended ? win32::kUnattendedWindowTitle : L"Corvane");
    win32::Win32Process realProcess;
    // Created when the first run asks for it, kept until the program ends,
    // and asked to quit by every end that goes through `process`.
    win32::Win32DbEngine engine;
    EngineEndingProcess process(engine, realProcess);
    instance.SetCloseEnd(process);
    ProgramState state;
    const ProgramLocation location = LocateProgram(system.ModulePath());
    AppContext context{state, files, dialogs, system, clock, instance, process, location.folder, location.name};
    process.RecordTo(context);

    engine.SetDeadlines(DeadlinesFor(command));
    if (invocation == Invocation::Usage || invocation == Invocation::UsageError) {
        return Usage(context, invocation);
    }
    if (invocation == Invocation::Repair) {
        win32::MessagePump pump;
        // A close request ends the run between two steps: nobody is there
        // to see a window answer meanwhile.
        win32::Win32Waiter waiter(pump, true);
        // At once, before the start-up: a close request from here on ends
        // the run between two steps.
        instance.MarkUnattended();
        return RunUnattended(context, engine, waiter);
    }

    if (RunStartup(context) != StartupOutcome::ShowMainWindow) return 0;

    win32::MessagePump pump;
    win32::Win32Waiter waiter(pump);
    RestoreModel restoreModel(context, engine, waiter);
    DatabaseActions actions(context, engine, waiter, restoreModel);
    MainModel model(context, actions);
    MainView view(model, pump, module, instance.AppWindow());
    // Made hidden now, shown in the main window's place by the restore entry.
    RestoreView restoreView(restoreModel, pump, module, instance.AppWindow());
    if (!view.Load() || !restoreView.Load()) {
        const DWORD error = ::GetLastError();
        Tell(dialogs, kAppTitle, "No se pudo abrir la ventana principal (error " + std::to_string(error) + ")",
             Icon::Stop);
        return 1;
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    model.Open();
    const int exitCode = pump.Run();
    process.QuitEngine();
    return exitCode;
}
