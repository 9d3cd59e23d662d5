#pragma once
#include <array>
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

struct KindInfo {
    DbKind kind;
    const char* name;    // "Pantry", "Backlog"
    const char* prefix;  // the start of the file name, its trailing space included
    bool dup;            // counted by the duplicate check
    bool repair;         // in the repair sequence
    bool compact;        // in the compaction
    const char* tempFile;  // the compaction's temporary file below the shared data folder, "\PantryC.mdb"
    RowTexts repairRow;
    RowTexts compactRow;
};

// Table order, which is the scan's order.
const std::array<KindInfo, kKindCount>& Kinds();
const KindInfo& InfoOf(DbKind kind);

// Overwatch and Playfield share one path slot: whichever comes last wins.
DbKind PathSlotOf(DbKind kind);

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
