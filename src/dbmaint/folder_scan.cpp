#include "dbmaint/folder_scan.h"

namespace corvane {

FolderScan ScanFiles(const std::vector<FileEntry>& files) {
    FolderScan scan;
    for (const FileEntry& file : files) {
        const std::optional<DbKind> kind = KindOfFile(file.name);
        if (!kind) continue;
        scan.paths[static_cast<int>(PathSlotOf(*kind))] = file.path;
        if (InfoOf(*kind).dup) {
            const int index = static_cast<int>(*kind);
            scan.lists[index] += file.name + "\r";
            ++scan.counts[index];
        }
    }
    return scan;
}

Duplicates FindDuplicates(const FolderScan& scan) {
    Duplicates duplicates;
    for (const KindInfo& info : kKinds) {
        const int index = static_cast<int>(info.kind);
        if (!info.dup || scan.counts[index] <= 1) continue;
        duplicates.total += scan.counts[index];
        duplicates.repeatedFiles += scan.lists[index] + "\r";
    }
    return duplicates;
}

}  // namespace corvane
