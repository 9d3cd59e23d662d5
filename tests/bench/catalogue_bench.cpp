// The yardstick of scripts/bench-catalogue: how long the restore screen's
// catalogue of one kind's backups takes over a large backup folder.
//
//   corvane_catalogue_bench [COUNT]
//       COUNT (default 20000) backup names laid out in memory, as a listing
//       of the backup folder returns them, and Catalogue(folder, names,
//       "Keystone") timed over several rounds
//   corvane_catalogue_bench --folder FOLDER      (Windows only)
//       the whole listing as the restore screen does it (ListCatalogue): the
//       product's ListFileNames of FOLDER, then Catalogue, timed apart
//
// Prints "files", "entries" and the times in ms: "median_ms" and "least_ms"
// of the rounds in memory; "elapsed_ms" (listing and catalogue) and
// "catalogue_ms" of the folder.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dbmaint/backup_catalogue.h"

#ifdef _WIN32
#include "platform/win32/file_system_win32.h"
#endif

namespace {
using namespace corvane;
using Clock = std::chrono::steady_clock;

constexpr const char* kSearchName = "Keystone";
constexpr const char* kFolder = "G:\\Shared\\_BackUps";
constexpr int kRounds = 21;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A venue's backup folder: every kind backed up twice a day for years, a Z
// copy now and then, in the order a listing returns it (names sorted).
std::vector<std::string> BackupFolder(int count) {
    static const char* const kKinds[] = {"Keystone", "Overwatch", "Playfield", "Tollgate", "Festive",
                                         "Pantry",   "Pantry Backlog", "Cuebay", "Chronicle", "Staffroll",
                                         "Patrons",  "Ledgers",  "KeystoneSolo"};
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(count));
    char name[96];
    for (int i = 0; i < count; ++i) {
        const int day = i / 13 / 2;
        std::snprintf(name, sizeof name, "%s DMO 0987654321 %02d%02d%02d-%s%s.mdb", kKinds[i % 13], 20 + day / 336,
                      1 + day / 28 % 12, 1 + day % 28, (i / 13) % 2 ? "1600" : "0400", i % 17 == 0 ? " Z" : "");
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

int InMemory(int count) {
    const std::vector<std::string> names = BackupFolder(count);
    std::vector<double> times;
    std::size_t entries = 0;
    for (int round = 0; round < kRounds; ++round) {
        const Clock::time_point started = Clock::now();
        entries = Catalogue(kFolder, names, kSearchName).size();
        times.push_back(Ms(started, Clock::now()));
    }
    std::sort(times.begin(), times.end());
    std::printf("files\t%d\nentries\t%u\nmedian_ms\t%.3f\nleast_ms\t%.3f\n", count, static_cast<unsigned>(entries),
                times[times.size() / 2], times.front());
    return 0;
}

#ifdef _WIN32
int Folder(const std::string& folder) {
    win32::Win32FileSystem fileSystem;
    const Clock::time_point started = Clock::now();
    // ListCatalogue's two steps, so the catalogue's share can be told apart.
    std::vector<std::string> names;
    const Status listed = fileSystem.ListFileNames(folder, names);
    const Clock::time_point listedAt = Clock::now();
    const std::size_t entries = Catalogue(folder, names, kSearchName).size();
    const Clock::time_point ended = Clock::now();
    if (!listed) {
        std::fprintf(stderr, "cannot list %s: %s\n", folder.c_str(), listed.Describe().c_str());
        return 1;
    }
    std::printf("files\t%u\nentries\t%u\nelapsed_ms\t%.3f\ncatalogue_ms\t%.3f\n", static_cast<unsigned>(names.size()),
                static_cast<unsigned>(entries), Ms(started, ended), Ms(listedAt, ended));
    return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // A folder named in ASCII, as the benchmark's is.
    if (argc == 3 && std::string(argv[1]) == "--folder") return Folder(argv[2]);
#endif
    const int count = argc == 2 ? std::atoi(argv[1]) : 20000;
    if (argc > 2 || count <= 0) {
        std::fputs("usage: corvane_catalogue_bench [COUNT] | --folder FOLDER\n", stderr);
        return 2;
    }
    return InMemory(count);
}
