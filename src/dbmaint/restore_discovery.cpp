#include "dbmaint/restore_discovery.h"

#include "app/state.h"
#include "base/text.h"
#include "base/utf.h"
#include "dbmaint/shared_drive.h"
#include "platform/file_system.h"

namespace corvane {
namespace {

// clang-format off
constexpr std::array<RestorableKind, kRestorableCount> kRestorable{{
    {DbKind::Playfield, "Playfield", "Playfield"},
    {DbKind::Tollgate, "Tollgate", "Tollgate"},
    {DbKind::Patrons, "Patrons", "Patrons"},
    {DbKind::Keystone, "Keystone", "Keystone"},
    {DbKind::Festive, "Festive", "Festive"},
    {DbKind::Pantry, "Pantry", "Pantry"},
    {DbKind::Backlog, "Pantry Backlog", "Backlog"},
    {DbKind::Ledgers, "Ledgers", "Ledgers"},
    {DbKind::Cuebay, "Cuebay", "Cuebay"},
    {DbKind::Staffroll, "Staffroll", "Staffroll"},
    {DbKind::KeystoneSolo, "KS Solo", "KS Solo"},
}};
// The restore scan tests the kinds in its own order, by choice index.
constexpr std::array<int, kRestorableCount> kScanOrder{3, 0, 1, 4, 5, 6, 7, 8, 9, 2, 10};
// clang-format on

}  // namespace

const std::array<RestorableKind, kRestorableCount>& RestorableKinds() { return kRestorable; }

std::optional<int> RestorableIndexOfFile(std::string_view fileName) {
    if (!MayBeDatabaseName(fileName)) return std::nullopt;
    const std::u16string wide = Utf8ToUtf16(fileName);
    for (const int index : kScanOrder) {
        if (MatchesNameRule(wide, InfoOf(kRestorable[index].kind), kRestoreFreeCharacters)) return index;
    }
    return std::nullopt;
}

std::optional<int> RestorableIndexOfBackup(std::string_view fileName) {
    // Letter case aside: a backup named in other letters is still that kind's,
    // and refusing one too many is the safe side.
    const std::string name = UpperCase(fileName);
    std::optional<int> found;
    std::size_t longest = 0;
    for (int index = 0; index < kRestorableCount; ++index) {
        const std::string prefix = UpperCase(InfoOf(kRestorable[index].kind).prefix);
        if (prefix.size() > longest && name.compare(0, prefix.size(), prefix) == 0) {
            found = index;
            longest = prefix.size();
        }
    }
    return found;
}

bool RestoreConnection(AppContext& context) { return ReachSharedDrive(context, WhenDeclined::EndProgram); }

Status RestoreScan(AppContext& context, LiveDatabases& live) {
    live.fill("");
    std::vector<FileEntry> files;
    if (const Status listed = context.files.ListFiles(context.state.sharedDataFolderPath, files); !listed) return listed;
    for (const FileEntry& file : files) {
        if (const std::optional<int> index = RestorableIndexOfFile(file.name)) live[*index] = file.path;
    }
    return Status::Ok();
}

}  // namespace corvane
