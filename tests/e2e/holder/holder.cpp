// Holds a file open the way another program of the venue would, so a
// scenario can show what Corvane does when it meets one. Sharing modes are
// enforced only between processes of one Wine prefix: it must run in the
// scenario's prefix, beside the program under test.
//
//   holder.exe PATH MODE READY_FILE [STOP_FILE]
//
// MODE
//   exclusive         an existing file, read and write, no sharing: a program
//                     that opened a database for itself alone
//   readwrite         an existing file, read and write, shared for reading and
//                     writing: a till that keeps a database open
//   create-exclusive  the file created anew (or emptied), no sharing: a lock
//                     file being held
//   read              an existing file, read only, shared for reading only: a
//                     program that opened the database while it was being
//                     compacted, so it cannot be replaced
//   run-lock          an existing file held as Corvane holds its run lock:
//                     read and write, shared for reading only, deleted when
//                     closed: a run on another machine
//
// Once the file is open it writes READY_FILE, then keeps the handle until
// STOP_FILE appears or it is killed. READY_FILE and STOP_FILE may be Windows
// paths or Linux paths of the host.
//
// Exit codes: 0 released by the stop file, 1 wrong arguments or no ready
// file written, 2 the file could not be opened (its error number printed),
// 3 no stop file within the lifetime below.

#include <windows.h>

#include <cstdio>
#include <string>

#include "holder/file_signal.h"
#include "platform/win32/handles.h"

namespace {

using corvane::win32::UniqueFile;

// Never outlives an aborted scenario for long, even if nobody kills it.
constexpr DWORD kLifetimeMs = 5 * 60 * 1000;

struct Mode {
    const wchar_t* name;
    DWORD access;
    DWORD share;
    DWORD disposition;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
};

constexpr Mode kModes[] = {
    {L"exclusive", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING},
    {L"readwrite", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING},
    {L"create-exclusive", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS},
    {L"read", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING},
    {L"run-lock", GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, OPEN_EXISTING,
     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE},
};

const Mode* FindMode(const wchar_t* name) {
    for (const Mode& mode : kModes) {
        if (lstrcmpW(mode.name, name) == 0) return &mode;
    }
    return nullptr;
}

bool WriteReadyFile(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%lu\r\n", GetCurrentProcessId());
    DWORD written = 0;
    return WriteFile(file.Get(), text, static_cast<DWORD>(length), &written, nullptr) &&
           written == static_cast<DWORD>(length);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Mode* mode = argc == 4 || argc == 5 ? FindMode(argv[2]) : nullptr;
    if (mode == nullptr) {
        std::fputs("usage: holder.exe PATH exclusive|readwrite|create-exclusive|read|run-lock READY_FILE [STOP_FILE]\n",
                   stderr);
        return 1;
    }
    const wchar_t* path = argv[1];

    // CreateFile would open a folder's name with an access error that reads
    // like a sharing problem: say what it is instead.
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::fprintf(stderr, "cannot hold %ls: it is a folder (error %lu)\n", path,
                     static_cast<unsigned long>(ERROR_DIRECTORY));
        return 2;
    }
    const UniqueFile held(CreateFileW(path, mode->access, mode->share, nullptr, mode->disposition, mode->flags,
                                      nullptr));
    if (!held) {
        const DWORD error = GetLastError();
        std::fprintf(stderr, "cannot open %ls (%ls): error %lu\n", path, mode->name, static_cast<unsigned long>(error));
        return 2;
    }

    const std::wstring ready = corvane::e2e::HostPath(argv[3]);
    if (!WriteReadyFile(ready)) {
        std::fprintf(stderr, "cannot write the ready file %ls: error %lu\n", ready.c_str(),
                     static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    std::printf("holding %ls (%ls)\n", path, mode->name);
    std::fflush(stdout);

    if (argc == 4) {
        Sleep(kLifetimeMs);
        return 3;
    }
    const std::wstring stop = corvane::e2e::HostPath(argv[4]);
    if (!corvane::e2e::WaitForFile(stop, kLifetimeMs)) {
        std::fprintf(stderr, "no stop file %ls within %lu s\n", stop.c_str(),
                     static_cast<unsigned long>(kLifetimeMs / 1000));
        return 3;
    }
    std::printf("released %ls\n", path);
    return 0;
}
