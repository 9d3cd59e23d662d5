#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <string>

namespace corvane {

// The thirteen kinds of suite database, in the order the folder scan tests them.
enum class DbKind {
    Keystone,
    Overwatch,
    Playfield,
    Tollgate,
    Festive,
    Pantry,
    Backlog,
    Cuebay,
    Chronicle,
    Staffroll,
    Patrons,
    Ledgers,
    KeystoneSolo,
};
constexpr int kKindCount = 13;

// A row of the repair sequence or of the compaction: who waits on the traffic
// light and what the result boxes say. Empty texts: the kind has no such row.
struct RowTexts {
    const char* label;
    const char* okText;
    const char* errorText;
};

constexpr RowTexts kNoRow{"", "", ""};

struct KindInfo {
    DbKind kind;
    const char* name;    // "Pantry", "Backlog"
    const char* prefix;  // the start of the file name, its trailing space included
    bool dup;            // counted by the duplicate check
    bool repair;         // in the repair sequence
    bool compact;        // in the written compaction
    // The compaction's temporary file below the shared data folder,
    // "\PantryC.mdb"; also for a kind compacted only when the engine has no repair.
    const char* tempFile;
    RowTexts repairRow;
    RowTexts compactRow;
};

// The one table of the kinds, in the scan's order. Every order below and
// every other table of kinds is a view of it, checked at compile time.
// clang-format off
inline constexpr std::array<KindInfo, kKindCount> kKinds{{
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
    // Not in the written compaction: its compaction row serves the run that
    // compacts because the engine has no repair.
    {DbKind::Tollgate, "Tollgate", "Tollgate ", true, true, false, "\\TollgateC.mdb",
     {"Corvane - DBREPAIR - Tollgate", "Tollgate OK!", "ERROR en Tollgate"},
     {"Corvane - DBCOMPACT40 Tollgate", "Tollgate OK!", "Error Tollgate :("}},
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

constexpr const KindInfo& InfoOf(DbKind kind) { return kKinds[static_cast<std::size_t>(kind)]; }

// Overwatch and Playfield share one path slot: whichever comes last wins.
constexpr DbKind PathSlotOf(DbKind kind) { return kind == DbKind::Playfield ? DbKind::Overwatch : kind; }

// The orders of the runs, by slot (Overwatch stands for its slot, which
// Playfield shares). database_kinds.cpp checks them against the table's
// columns: each holds every slot whose column says so, once.
inline constexpr std::array<DbKind, 9> kRepairOrder{
    DbKind::Keystone, DbKind::Staffroll, DbKind::Pantry,  DbKind::Overwatch, DbKind::Backlog,
    DbKind::Tollgate, DbKind::Cuebay,    DbKind::Festive, DbKind::Patrons,
};
inline constexpr std::array<DbKind, 10> kCompactionOrder{
    DbKind::Keystone, DbKind::Staffroll, DbKind::Pantry,  DbKind::Overwatch, DbKind::Cuebay,
    DbKind::Festive,  DbKind::Patrons,   DbKind::Ledgers, DbKind::Backlog,   DbKind::KeystoneSolo,
};

constexpr std::size_t CountRepairedOnly() {
    std::size_t count = 0;
    for (const DbKind kind : kRepairOrder) count += InfoOf(kind).compact ? 0 : 1;
    return count;
}

// The compaction of an engine that has no repair: the written rows, then
// every slot that only the repair sequence had (Tollgate), in its order.
constexpr std::array<DbKind, kCompactionOrder.size() + CountRepairedOnly()> FallbackCompactionOrder() {
    std::array<DbKind, kCompactionOrder.size() + CountRepairedOnly()> order{};
    std::size_t next = 0;
    for (const DbKind kind : kCompactionOrder) order[next++] = kind;
    for (const DbKind kind : kRepairOrder) {
        if (!InfoOf(kind).compact) order[next++] = kind;
    }
    return order;
}
inline constexpr auto kFallbackCompactionOrder = FallbackCompactionOrder();

// Compile-time text helpers for the checks of the views.
constexpr bool SameText(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}
constexpr bool SameRow(const RowTexts& a, const RowTexts& b) {
    return SameText(a.label, b.label) && SameText(a.okText, b.okText) && SameText(a.errorText, b.errorText);
}
constexpr bool HasRow(const RowTexts& row) { return *row.label != '\0' && *row.okText != '\0' && *row.errorText != '\0'; }
// Whether part occurs anywhere in text.
constexpr bool ContainsText(const char* text, const char* part) {
    for (; *text != '\0'; ++text) {
        const char* a = text;
        const char* b = part;
        while (*b != '\0' && *a == *b) {
            ++a;
            ++b;
        }
        if (*b == '\0') return true;
    }
    return *part == '\0';
}

// Ten characters, each '0' to '9': the number field of a database name and of
// a backup's kind search.
bool ReadsAsNumber(std::string_view text);
bool ReadsAsNumber(std::u16string_view text);

// The quick test before either name rule: false only for a name that no
// rule could take.
bool MayBeDatabaseName(std::string_view fileName);

// The strict name rule of the repair run's scan: extension "MDB" in any case,
// the prefix as written, three free characters and a space, a ten-digit
// number, and nothing else. Characters are counted as Windows counts them.
bool MatchesStrictName(std::string_view fileName, const KindInfo& kind);

// The free characters between the prefix and the space: the repair run's
// scan expects three, the restore scan five.
constexpr std::size_t kRepairFreeCharacters = 3;
constexpr std::size_t kRestoreFreeCharacters = 5;
bool MatchesNameRule(std::u16string_view name, const KindInfo& kind, std::size_t freeCharacters);

// The first kind in table order whose strict rule the name passes.
std::optional<DbKind> KindOfFile(std::string_view fileName);

// What the run's status line calls the database at path: its kind's name by
// the repair run's rule or else the restore scan's, or its file name when it
// passes neither.
std::string NameInRun(const std::string& path);

}  // namespace corvane
