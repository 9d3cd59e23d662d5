// The yardstick of scripts/bench-scan: the least a program does to walk a
// folder's files with the listing call the product uses, counting them and
// keeping nothing, timed inside the process like the product's side.
//
//   corvane_bare_listing FOLDER
//
// Prints "files" and "elapsed_ms".

#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: corvane_bare_listing FOLDER\n", stderr);
    return 2;
  }
  const std::wstring pattern = std::wstring(argv[1]) + L"\\*";

  LARGE_INTEGER frequency, started, ended;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&started);
  unsigned count = 0;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot list: error %lu\n", GetLastError());
    return 1;
  }
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  } while (FindNextFileW(search, &found));
  const DWORD stopped = GetLastError();
  FindClose(search);
  QueryPerformanceCounter(&ended);
  if (stopped != ERROR_NO_MORE_FILES) {
    std::fprintf(stderr, "listing stopped early: error %lu\n", stopped);
    return 1;
  }

  std::printf("files\t%u\nelapsed_ms\t%.3f\n", count,
              1000.0 * static_cast<double>(ended.QuadPart - started.QuadPart) / static_cast<double>(frequency.QuadPart));
  return 0;
}
