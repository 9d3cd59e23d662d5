// One machine of the venue writing records to a shared log, through the
// product's own append (Win32FileSystem::AppendText), so a scenario can run
// several of them against one file at the same moment.
//
//   appender.exe LOGPATH TAG COUNT START_FILE
//
// It says "waiting" once it is ready, waits for START_FILE (a Windows path or
// a Linux path of the host) so every copy starts together, then appends COUNT
// records, one AppendText call each:
//   "<TAG>","<i>","<padding>"<CR><LF>      i = 1..COUNT
// The padding is TAG and "-" repeated to 200 characters: a record is long
// enough for a torn write to show, and a line spliced from two machines'
// records does not match either machine's pattern.
//
// Each failed append is printed as "failed <i> <error number> <ms taken>
// <where>: <text>", and at the end "appended <n> of <COUNT>, longest <ms> ms".
// Exit codes: 0 all appended, 1 any append failed, 2 wrong
// arguments or no start file within a minute.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "holder/file_signal.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/wide.h"

namespace {

constexpr std::size_t kPaddingLength = 200;
constexpr DWORD kStartPatienceMs = 60 * 1000;

std::string Record(const std::string& tag, int index) {
    std::string padding;
    while (padding.size() < kPaddingLength) padding += tag + "-";
    padding.resize(kPaddingLength);
    return "\"" + tag + "\",\"" + std::to_string(index) + "\",\"" + padding + "\"\r\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t* end = nullptr;
    const long count = argc == 5 ? std::wcstol(argv[3], &end, 10) : 0;
    if (argc != 5 || *end != L'\0' || count <= 0 || argv[2][0] == L'\0') {
        std::fputs("usage: appender.exe LOGPATH TAG COUNT START_FILE\n", stderr);
        return 2;
    }
    const std::string log = corvane::win32::Narrow(argv[1]);
    const std::string tag = corvane::win32::Narrow(argv[2]);
    const std::wstring start = corvane::e2e::HostPath(argv[4]);

    std::printf("waiting\n");
    std::fflush(stdout);
    if (!corvane::e2e::WaitForFile(start, kStartPatienceMs)) {
        std::fprintf(stderr, "no start file %ls within %lu s\n", start.c_str(),
                     static_cast<unsigned long>(kStartPatienceMs / 1000));
        return 2;
    }

    corvane::win32::Win32FileSystem files;
    int failures = 0;
    DWORD longestMs = 0;
    for (int index = 1; index <= count; ++index) {
        const DWORD started = GetTickCount();
        const corvane::Status appended = files.AppendText(log, Record(tag, index));
        const DWORD tookMs = GetTickCount() - started;
        if (tookMs > longestMs) longestMs = tookMs;
        if (appended) continue;
        ++failures;
        std::printf("failed %d %lu %lu %s: %s\n", index, appended.code, tookMs, appended.where.c_str(),
                    appended.text.c_str());
    }
    // The longest append tells how close the others came to giving up.
    std::printf("appended %ld of %ld, longest %lu ms\n", count - failures, count, longestMs);
    return failures == 0 ? 0 : 1;
}
