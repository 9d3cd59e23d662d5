// The yardstick of scripts/bench-restore: the least a program does to copy a
// file with the system's own call, timed inside the process like the
// product's side. With "flush", the copy is then flushed to the disk, as
// the product must before it renames the copy over a database.
//
//   corvane_bare_copy FROM TO [flush]
//
// Prints "elapsed_ms".

#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    const bool flush = argc == 4 && std::wstring(argv[3]) == L"flush";
    if (argc != 3 && !flush) {
        std::fputs("usage: corvane_bare_copy FROM TO [flush]\n", stderr);
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
    QueryPerformanceCounter(&ended);
    const double ticks = static_cast<double>(ended.QuadPart - started.QuadPart);
    std::printf("elapsed_ms\t%.3f\n", 1000.0 * ticks / static_cast<double>(frequency.QuadPart));
    return 0;
}
