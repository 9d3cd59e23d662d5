#include "dbmaint/database_kinds.h"

#include <cstddef>

#include "base/text.h"
#include "base/utf.h"

namespace corvane {
namespace {

constexpr bool TableIsInKindOrder() {
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
        if (static_cast<std::size_t>(kKinds[i].kind) != i) return false;
    }
    return true;
}
static_assert(TableIsInKindOrder(), "the table is indexed by DbKind");

// A kind that shares a slot is processed as its slot: same rows, same file.
constexpr bool SlotsAgree() {
    for (const KindInfo& info : kKinds) {
        const KindInfo& slot = InfoOf(PathSlotOf(info.kind));
        if (info.repair != slot.repair || info.compact != slot.compact || !SameText(info.tempFile, slot.tempFile) ||
            !SameRow(info.repairRow, slot.repairRow) || !SameRow(info.compactRow, slot.compactRow)) {
            return false;
        }
    }
    return true;
}
static_assert(SlotsAgree(), "Playfield's rows are Overwatch's");

// Each slot whose column is set, once, and nothing else.
template <std::size_t N>
constexpr bool OrderOfColumn(const std::array<DbKind, N>& order, bool KindInfo::*column) {
    for (const KindInfo& info : kKinds) {
        if (PathSlotOf(info.kind) != info.kind) continue;
        int seen = 0;
        for (const DbKind kind : order) seen += kind == info.kind ? 1 : 0;
        if (seen != (info.*column ? 1 : 0)) return false;
    }
    for (const DbKind kind : order) {
        if (PathSlotOf(kind) != kind) return false;
    }
    return true;
}
static_assert(OrderOfColumn(kRepairOrder, &KindInfo::repair), "the repair order and the Repair column disagree");
static_assert(OrderOfColumn(kCompactionOrder, &KindInfo::compact),
              "the compaction order and the Compact column disagree");

// A row for every kind of the order it is in, and none for a kind in no
// such order: an empty label would wait unnamed, a stray one is never read.
constexpr bool InOrder(const DbKind* begin, const DbKind* end, DbKind kind) {
    for (; begin != end; ++begin) {
        if (*begin == PathSlotOf(kind)) return true;
    }
    return false;
}
constexpr bool RowsAgreeWithOrders() {
    for (const KindInfo& info : kKinds) {
        const bool repaired = InOrder(kRepairOrder.data(), kRepairOrder.data() + kRepairOrder.size(), info.kind);
        const bool compacted = InOrder(kFallbackCompactionOrder.data(),
                                       kFallbackCompactionOrder.data() + kFallbackCompactionOrder.size(), info.kind);
        if (repaired ? !HasRow(info.repairRow) : !SameRow(info.repairRow, kNoRow)) return false;
        if (compacted ? !HasRow(info.compactRow) : !SameRow(info.compactRow, kNoRow)) return false;
        if ((*info.tempFile != '\0') != compacted) return false;
    }
    return true;
}
static_assert(RowsAgreeWithOrders(), "a kind's rows and the orders it is in disagree");

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
