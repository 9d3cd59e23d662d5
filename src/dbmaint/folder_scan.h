#pragma once
#include <array>
#include <string>
#include <vector>

#include "dbmaint/database_kinds.h"
#include "platform/file_system.h"

namespace corvane {

// What the scan of the shared data folder found, per kind (indexed by DbKind).
struct FolderScan {
    std::array<std::string, kKindCount> paths;  // Overwatch's slot also holds Playfield's
    std::array<std::string, kKindCount> lists;  // names, each followed by "\r"; kinds the duplicate check counts
    std::array<int, kKindCount> counts{};

    const std::string& PathOf(DbKind kind) const { return paths[static_cast<int>(PathSlotOf(kind))]; }
};

// Each file tested against the kinds in table order; the file listed last
// wins a path slot.
FolderScan ScanFiles(const std::vector<FileEntry>& files);

// The duplicate check: the lists of the kinds found more than once, each
// followed by one more "\r", and their total; empty when there are none.
struct Duplicates {
    int total = 0;
    std::string repeatedFiles;
};
Duplicates FindDuplicates(const FolderScan& scan);

}  // namespace corvane
