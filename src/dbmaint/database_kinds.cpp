#include "dbmaint/database_kinds.h"

#include <cstddef>

#include "base/text.h"
#include "base/utf.h"

namespace corvane {
namespace {

constexpr RowTexts kNoRow{"", "", ""};

// clang-format off
constexpr std::array<KindInfo, kKindCount> kKinds{{
    {DbKind::Keystone, "Keystone", "Keystone ", true, true, true, "\\KeystoneC.mdb",
     {"Corvane - DBREPAIR - KS", "Keystone OK!", "ERROR en Keystone"},
     {"Corvane - DBCOMPACT40 Keystone 2", "Keystone OK!", "Error Keystone :("}},
    {DbKind::Overwatch, "Overwatch", "Overwatch ", true, true, true, "\\PlayfieldC.mdb",
     {"Corvane - DBREPAIR - Overwatch", "Overwatch OK!", "ERROR en Overwatch"},
     {"Corvane - DBCOMPACT40 Playfield", "Playfield OK!", "Error Playfield :("}},
    // Playfield shares Overwatch's slot, so its rows are Overwatch's.
    {DbKind::Playfield, "Playfield", "Playfield ", false, true, true, "\\PlayfieldC.mdb",
     {"Corvane - DBREPAIR - Overwatch", "Overwatch OK!", "ERROR en Overwatch"},
     {"Corvane - DBCOMPACT40 Playfield", "Playfield OK!", "Error Playfield :("}},
    {DbKind::Tollgate, "Tollgate", "Tollgate ", true, true, false, "",
     {"Corvane - DBREPAIR - Tollgate", "Tollgate OK!", "ERROR en Tollgate"},
     kNoRow},
    {DbKind::Festive, "Festive", "Festive ", true, true, true, "\\FestiveC.mdb",
     {"Corvane - DBREPAIR - FESTIVE", "Festive OK!", "ERROR en Festive"},
     {"Corvane - DBCOMPACT40 Festive", "Festive OK!", "Error Festive :("}},
    {DbKind::Pantry, "Pantry", "Pantry ", true, true, true, "\\PantryC.mdb",
     {"Corvane - DBREPAIR - PN", "Pantry OK!", "ERROR en Pantry"},
     {"Corvane - DBCOMPACT40 Pantry", "Pantry OK!", "Error Pantry :("}},
    {DbKind::Backlog, "Backlog", "Pantry Backlog ", true, true, true, "\\BacklogC.mdb",
     {"Corvane - DBREPAIR - PN BL", "Backlog OK!", "ERROR en Backlog"},
     {"Corvane - DBCOMPACT40 Backlog", "Backlog OK!", "Error Backlog :("}},
    {DbKind::Cuebay, "Cuebay", "Cuebay ", true, true, true, "\\CuebayC.mdb",
     {"Corvane - DBREPAIR - CUEBAY", "Cuebay OK!", "ERROR en Cuebay"},
     {"Corvane - DBCOMPACT40 Cuebay", "Cuebay OK!", "Error Cue :("}},
    {DbKind::Chronicle, "Chronicle", "Chronicle ", false, false, false, "", kNoRow, kNoRow},
    {DbKind::Staffroll, "Staffroll", "Staffroll ", true, true, true, "\\StaffrollC.mdb",
     {"Corvane - DBREPAIR - STAFFROLL", "Staffroll OK!", "ERROR en Staffroll"},
     {"Corvane - DBCOMPACT40 Staffroll", "Staffroll OK!", "Error Staffroll :("}},
    // The Patrons compaction waits under the Festive row's label; the label
    // only reaches the wait caption and the logs.
    {DbKind::Patrons, "Patrons", "Patrons ", true, true, true, "\\PatronsC.mdb",
     {"Corvane - DBREPAIR - PATRONS", "Patrons OK!", "ERROR en Patrons"},
     {"Corvane - DBCOMPACT40 Festive", "Patrons OK!", "Error Patrons :("}},
    {DbKind::Ledgers, "Ledgers", "Ledgers ", true, false, true, "\\LedgersC.mdb",
     kNoRow,
     {"Corvane - DBCOMPACT40 Ledgers", "Ledgers OK!", "Error Ledgers :("}},
    {DbKind::KeystoneSolo, "KeystoneSolo", "KeystoneSolo ", false, false, true, "\\KeystoneSoloC.mdb",
     kNoRow,
     {"Corvane - DBCOMPACT40 KeystoneSolo", "KeystoneSolo OK!", "Error KeystoneSolo :("}},
}};
// clang-format on

constexpr bool TableIsInKindOrder() {
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
        if (static_cast<std::size_t>(kKinds[i].kind) != i) return false;
    }
    return true;
}
static_assert(TableIsInKindOrder(), "the table is indexed by DbKind");

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

template <typename Char>
bool AllDigits(std::basic_string_view<Char> text) {
    if (text.size() != 10) return false;
    for (const Char c : text) {
        if (c < Char('0') || c > Char('9')) return false;
    }
    return true;
}

bool StartsWithAscii(std::u16string_view name, std::string_view prefix) {
    if (name.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (name[i] != static_cast<char16_t>(prefix[i])) return false;
    }
    return true;
}

// Positions count in UTF-16 units, as Windows counts a name's characters.
bool MatchesRule(std::u16string_view name, const KindInfo& kind, std::size_t free) {
    const std::string_view prefix = kind.prefix;
    const std::size_t l = prefix.size();
    // The prefix, the free characters, a space, ten digits, ".mdb".
    if (name.size() != l + free + 15) return false;
    if (!StartsWithAscii(name, prefix)) return false;
    if (name[l + free] != u' ') return false;
    if (!AllDigits(name.substr(l + free + 1, 10))) return false;
    // The extension is what follows the last full stop; with the length fixed
    // and ten digits before it, that is the last four characters.
    const std::u16string_view extension = name.substr(l + free + 11);
    return extension[0] == u'.' && Upper(extension[1]) == u'M' && Upper(extension[2]) == u'D' &&
           Upper(extension[3]) == u'B';
}

}  // namespace

const std::array<KindInfo, kKindCount>& Kinds() { return kKinds; }

const KindInfo& InfoOf(DbKind kind) { return kKinds[static_cast<std::size_t>(kind)]; }

DbKind PathSlotOf(DbKind kind) { return kind == DbKind::Playfield ? DbKind::Overwatch : kind; }

bool ReadsAsNumber(std::string_view text) { return AllDigits(text); }
bool ReadsAsNumber(std::u16string_view text) { return AllDigits(text); }

bool MayBeDatabaseName(std::string_view name) {
    // Every name a rule takes ends in ".mdb", which reads the same in UTF-8:
    // the other files of a busy folder are turned away before they are
    // measured in UTF-16.
    return name.size() >= 4 && name[name.size() - 4] == '.' && (name.back() | 0x20) == 'b';
}

bool MatchesStrictName(std::string_view name, const KindInfo& kind) {
    return MatchesRule(Utf8ToUtf16(name), kind, kRepairFreeCharacters);
}

bool MatchesNameRule(std::u16string_view name, const KindInfo& kind, std::size_t freeCharacters) {
    return MatchesRule(name, kind, freeCharacters);
}

std::optional<DbKind> KindOfFile(std::string_view name) {
    if (!MayBeDatabaseName(name)) return std::nullopt;
    const std::u16string wide = Utf8ToUtf16(name);
    for (const KindInfo& info : kKinds) {
        if (MatchesRule(wide, info, kRepairFreeCharacters)) return info.kind;
    }
    return std::nullopt;
}

std::string NameInRun(const std::string& path) {
    const std::string fileName = FileNameOf(path);
    if (const std::optional<DbKind> kind = KindOfFile(fileName)) return InfoOf(*kind).name;
    // A restore's database, found by the restore scan's rule, is named by
    // its kind too.
    const std::u16string wide = Utf8ToUtf16(fileName);
    for (const KindInfo& info : kKinds) {
        if (MatchesRule(wide, info, kRestoreFreeCharacters)) return info.name;
    }
    return fileName;
}

}  // namespace corvane
