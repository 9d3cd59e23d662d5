// The product's side of scripts/bench-restore, timed inside the process so
// Wine's start-up stays out of the figure.
//
//   corvane_restore_bench restore BACKUP LIVE
//       RestoreBackup itself, for Keystone: the kind and header checks, the
//       wait (no lock file), the replaced database kept as a generation in
//       _Reemplazadas (a second name), the copy into this computer's
//       temporary file, its flush, the one rename, the generation named and
//       the oldest beyond three removed
//
// Prints "bytes" and "elapsed_ms".

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/state.h"
#include "base/text.h"
#include "dbmaint/restore_backup.h"
#include "dbmaint/run_frame.h"
#include "platform/dialogs.h"
#include "platform/instance.h"
#include "platform/process.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/system_info_win32.h"
#include "platform/win32/wide.h"

namespace {
using namespace corvane;

// The services a restore never calls when it succeeds.
struct NoDialogs : Dialogs {
    Answer Show(const MessageBoxRequest&) override { return Answer::Ok; }
};
struct NoInstance : Instance {
    bool AnotherIsRunning() override { return false; }
    bool ActivatePrevious(const std::string&) override { return false; }
};
struct NoProcess : Process {
    void End(int) override {}
};
// A restore never calls the engine either.
struct NoEngine : DbEngine {
    EngineStatus Version(std::string&) override { return EngineStatus::Ok(); }
    EngineStatus RepairDatabase(const std::string&) override { return EngineStatus::Ok(); }
    EngineStatus CompactDatabase(const std::string&, const std::string&, const std::string&) override {
        return EngineStatus::Ok();
    }
    EngineStatus SecondRepairDatabase(const std::string&) override { return EngineStatus::Ok(); }
    EngineStatus Quit() override { return EngineStatus::Ok(); }
};
struct NoWait : Waiter {
    bool WaitOneSecond() override { return true; }
};
// Counts what a screen would be asked to draw.
struct CountingProgress : ProgressPort {
    void SetStatus(const RunStatus&) override { ++statuses; }
    void SetCopyProgress(int) override { ++percents; }
    int statuses = 0;
    int percents = 0;
};

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc == 4 ? argv[1] : L"";
    if (mode != L"restore") {
        std::fputs("usage: corvane_restore_bench restore BACKUP LIVE\n", stderr);
        return 2;
    }
    const std::string backup = win32::Narrow(argv[2]);
    const std::string live = win32::Narrow(argv[3]);
    win32::Win32FileSystem files;

    std::string head;
    std::uint64_t bytes = 0;
    if (const Status read = files.ReadHead(backup, 0, head, bytes); !read) {
        std::fprintf(stderr, "cannot read %s: %s\n", backup.c_str(), read.Describe().c_str());
        return 1;
    }

    LARGE_INTEGER started, ended;
    ProgramState state;
    NoDialogs dialogs;
    win32::Win32SystemInfo system;
    win32::Win32Clock clock;
    NoInstance instance;
    NoProcess process;
    state.computerName = system.ComputerName();
    // The run's statuses are recorded beside the databases, not in C:\.
    AppContext context{state,    files,   dialogs, system, clock, instance,
                       process, FolderOf(live), "corvane_restore_bench"};
    NoWait waiter;
    NoMainWindow window;
    CountingProgress progress;
    NoEngine engine;
    RunFrame frame(context, &progress);
    DatabaseRun run = RunIn(frame, engine, waiter, window, kRunRestore);

    QueryPerformanceCounter(&started);
    constexpr int kKeystone = 3;
    const RestoreResult result = RestoreBackup(run, kKeystone, backup, live);
    QueryPerformanceCounter(&ended);
    if (result.end != RestoreEnd::Restored) {
        std::fprintf(stderr, "restore did not end restored (%d): %s\n", static_cast<int>(result.end),
                     result.message.c_str());
        return 1;
    }
    std::printf("bytes\t%llu\nelapsed_ms\t%.3f\npercents_shown\t%d\n", static_cast<unsigned long long>(bytes),
                Ms(started, ended), progress.percents);
    if (!result.message.empty()) std::fprintf(stderr, "note: %s\n", result.message.c_str());
    return 0;
}
