// The yardstick of scripts/bench-restore: the least a program does to copy a
// file with the system's own call, timed inside the process like the
// product's side. With "flush", the copy is then flushed to the disk, as
// the product must before it renames the copy over a database. With "swap
// LIVE", the floor of any safe restore: the copy, its flush, then one rename
// of TO over LIVE (which the caller gives another name first, as the
// restore keeps the replaced database, so the rename frees nothing).
//
//   corvane_bare_copy FROM TO [flush | swap LIVE]
//
// Prints "elapsed_ms".

#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    const bool swap = argc == 5 && std::wstring(argv[3]) == L"swap";
    const bool flush = swap || (argc == 4 && std::wstring(argv[3]) == L"flush");
    if (argc != 3 && !flush) {
        std::fputs("usage: corvane_bare_copy FROM TO [flush | swap LIVE]\n", stderr);
        return 2;
    }
    LARGE_INTEGER frequency, started, ended;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    if (!CopyFileW(argv[1], argv[2], FALSE)) {
        std::fprintf(stderr, "CopyFileW failed: error %lu\n", GetLastError());
        return 1;
    }
    if (flush) {
        HANDLE file = CreateFileW(argv[2], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE || !FlushFileBuffers(file)) {
            std::fprintf(stderr, "flush failed: error %lu\n", GetLastError());
            return 1;
        }
        CloseHandle(file);
    }
    if (swap && !MoveFileExW(argv[2], argv[4], MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::fprintf(stderr, "MoveFileExW failed: error %lu\n", GetLastError());
        return 1;
    }
    QueryPerformanceCounter(&ended);
    const double ticks = static_cast<double>(ended.QuadPart - started.QuadPart);
    std::printf("elapsed_ms\t%.3f\n", 1000.0 * ticks / static_cast<double>(frequency.QuadPart));
    return 0;
}
