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
// The restore scan tests the kinds in its own order.
constexpr std::array<DbKind, kRestorableCount> kScanOrder{
    DbKind::Keystone, DbKind::Playfield, DbKind::Tollgate, DbKind::Festive,   DbKind::Pantry,       DbKind::Backlog,
    DbKind::Ledgers,  DbKind::Cuebay,    DbKind::Staffroll, DbKind::Patrons, DbKind::KeystoneSolo,
};
// clang-format on

// The choice of kind, -1 when the restore screen offers none.
constexpr int ChoiceOf(DbKind kind) {
    for (int index = 0; index < kRestorableCount; ++index) {
        if (kRestorable[static_cast<std::size_t>(index)].kind == kind) return index;
    }
    return -1;
}

// Each choice a kind of its own, scanned once; a search name that is not
// the caption is the kind's own name (Backlog's).
constexpr bool RestoreViewsAgree() {
    for (const KindInfo& info : kKinds) {
        int scanned = 0;
        for (const DbKind kind : kScanOrder) scanned += kind == info.kind ? 1 : 0;
        int offered = 0;
        for (const RestorableKind& choice : kRestorable) offered += choice.kind == info.kind ? 1 : 0;
        if (offered > 1 || scanned != offered) return false;
    }
    for (const RestorableKind& choice : kRestorable) {
        if (!SameText(choice.searchName, choice.caption) && !SameText(choice.searchName, InfoOf(choice.kind).name)) {
            return false;
        }
    }
    return true;
}
static_assert(RestoreViewsAgree(), "the restore's choices and its scan order disagree");

}  // namespace

const std::array<RestorableKind, kRestorableCount>& RestorableKinds() { return kRestorable; }

std::optional<int> RestorableIndexOfFile(std::string_view fileName) {
    if (!MayBeDatabaseName(fileName)) return std::nullopt;
    const std::u16string wide = Utf8ToUtf16(fileName);
    for (const DbKind kind : kScanOrder) {
        if (MatchesNameRule(wide, InfoOf(kind), kRestoreFreeCharacters)) return ChoiceOf(kind);
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
