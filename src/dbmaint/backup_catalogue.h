#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace corvane {

// One backup as the restore screen lists it.
struct CatalogueEntry {
    std::string stamp;  // YYMMDD-HHMM, cut around the name's first "-"; the sort key
    std::string text;   // what the list shows
    std::string backupPath;
};

// The eleven characters from six before the name's first "-" (fewer at the
// end of a short name; from the first character when the "-" stands too
// near the start). nullopt-like "": the name has no "-".
std::string BackupStamp(std::string_view fileName);

// "Ene. 05/24   14:30 (Z)" + thirty spaces + the stamp; a month outside
// "01" to "12" shows as "".
std::string BackupDisplayText(const std::string& stamp, bool zBackup);

// The backups of one kind among the names of the files of the backup folder:
// names that contain searchName (exact case) and a "-", newest stamp first
// (stamps compared as text, descending). Paths are made for those alone.
std::vector<CatalogueEntry> Catalogue(const std::string& folder, const std::vector<std::string>& names,
                                      std::string_view searchName);

// The restore screen's rows of one kind: the backup folder's file names read
// (nothing else of the files is), then catalogued. A folder that cannot be
// read lists no backups, as an empty one does; its failure is answered for
// the record.
Status ListCatalogue(FileSystem& files, const std::string& folder, std::string_view searchName,
                     std::vector<CatalogueEntry>& entries);

}  // namespace corvane
