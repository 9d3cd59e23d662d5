// The product's side of scripts/bench-scan: the repair run's listing of the
// shared data folder and its name rule, the same code Corvane.exe runs,
// timed inside the process so Wine's start-up stays out of the figure.
//
//   corvane_scan_bench FOLDER
//
// Prints "files", "databases" (path slots filled), "elapsed_ms" (listing and
// name rule) and "scan_ms" (the name rule alone).

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dbmaint/db_repair.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/wide.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: corvane_scan_bench FOLDER\n", stderr);
    return 2;
  }
  const std::string folder = corvane::win32::Narrow(argv[1]);
  corvane::win32::Win32FileSystem files;

  LARGE_INTEGER frequency, started, listedAt, ended;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&started);
  std::vector<corvane::FileEntry> listed;
  const corvane::Status status = files.ListFiles(folder, listed);
  QueryPerformanceCounter(&listedAt);
  const corvane::FolderScan scan = corvane::ScanFiles(listed);
  QueryPerformanceCounter(&ended);
  const auto ms = [&](const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
  };

  if (!status) {
    std::fprintf(stderr, "cannot list %s: %s\n", folder.c_str(), status.Describe().c_str());
    return 1;
  }
  int databases = 0;
  for (const std::string& path : scan.paths) databases += path.empty() ? 0 : 1;
  std::printf("files\t%u\ndatabases\t%d\nelapsed_ms\t%.3f\nscan_ms\t%.3f\n", static_cast<unsigned>(listed.size()),
              databases, ms(started, ended), ms(listedAt, ended));
  return 0;
}
