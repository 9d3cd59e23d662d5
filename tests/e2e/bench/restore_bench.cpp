// The product's side of scripts/bench-restore, timed inside the process so
// Wine's start-up stays out of the figure.
//
//   corvane_restore_bench copy BACKUP LIVE
//       the restore's copy path: Win32FileSystem::Copy of the backup into the
//       restore's temporary file beside LIVE (flushed to the disk), then the
//       one rename over LIVE
//   corvane_restore_bench restore BACKUP LIVE
//       RestoreBackup itself: the header check, the wait (no lock file), the
//       same copy and rename, and the replaced database kept in _Reemplazadas
//       (a second copy of LIVE's size)
//
// Prints "bytes", "elapsed_ms" and, for copy, "copy_ms" and "replace_ms".

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/state.h"
#include "dbmaint/restore_backup.h"
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
    if (mode != L"copy" && mode != L"restore") {
        std::fputs("usage: corvane_restore_bench copy|restore BACKUP LIVE\n", stderr);
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

    LARGE_INTEGER started, copied, ended;
    if (mode == L"copy") {
        const std::string temp = RestoreTempPath(live);
        QueryPerformanceCounter(&started);
        const Status copy = files.Copy(backup, temp, [](std::uint64_t, std::uint64_t) {});
        QueryPerformanceCounter(&copied);
        const Status replace = copy ? files.Replace(temp, live) : copy;
        QueryPerformanceCounter(&ended);
        if (!replace) {
            std::fprintf(stderr, "copy path failed: %s %s\n", replace.where.c_str(), replace.Describe().c_str());
            return 1;
        }
        std::printf("bytes\t%llu\nelapsed_ms\t%.3f\ncopy_ms\t%.3f\nreplace_ms\t%.3f\n",
                    static_cast<unsigned long long>(bytes), Ms(started, ended), Ms(started, copied),
                    Ms(copied, ended));
        return 0;
    }

    ProgramState state;
    NoDialogs dialogs;
    win32::Win32SystemInfo system;
    win32::Win32Clock clock;
    NoInstance instance;
    NoProcess process;
    state.computerName = system.ComputerName();
    AppContext context{state, files, dialogs, system, clock, instance, process, "C:\\", "corvane_restore_bench"};
    NoWait waiter;
    NoMainWindow window;
    CountingProgress progress;

    QueryPerformanceCounter(&started);
    const RestoreResult result = RestoreBackup(context, waiter, window, progress, backup, live);
    QueryPerformanceCounter(&ended);
    if (result.end != RestoreEnd::Restored) {
        std::fprintf(stderr, "restore did not end restored (%d): %s\n", static_cast<int>(result.end),
                     result.message.c_str());
        return 1;
    }
    std::printf("bytes\t%llu\nelapsed_ms\t%.3f\npercents_shown\t%d\n", static_cast<unsigned long long>(bytes),
                Ms(started, ended), progress.percents);
    return 0;
}
