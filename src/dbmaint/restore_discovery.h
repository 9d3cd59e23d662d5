#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/context.h"
#include "dbmaint/database_kinds.h"
#include "platform/status.h"

namespace corvane {

constexpr int kRestorableCount = 11;

// A kind the restore screen offers, in the order of its choices OBDB 0 to 10.
struct RestorableKind {
    DbKind kind;
    const char* caption;     // the choice's caption
    const char* searchName;  // what backup names must contain
};
const std::array<RestorableKind, kRestorableCount>& RestorableKinds();

// The live database of each restorable kind, by choice index; "" when the
// scan found none.
using LiveDatabases = std::array<std::string, kRestorableCount>;

// The choice index of the first kind, in the scan's order, whose rule the
// name passes: the prefix as written, five free characters and a space, a
// ten-digit number, ".MDB" in any case.
std::optional<int> RestorableIndexOfFile(std::string_view fileName);

// The kind a backup's file name names: the restorable kind whose prefix
// starts it, the longest first ("Pantry Backlog " before "Pantry ",
// "KeystoneSolo " before "Keystone "), letter case aside. nullopt: none.
std::optional<int> RestorableIndexOfBackup(std::string_view fileName);

// The connection check of the restore entry: FindSharedDrive until the
// folder is found, asking to try again; No ends the program (a developer machine is
// first offered a local run). false: the program is ending.
bool RestoreConnection(AppContext& context);

// The restore scan of the shared data folder: the file listed last wins a
// kind's entry. A folder that cannot be listed gives its failure and leaves
// live empty.
Status RestoreScan(AppContext& context, LiveDatabases& live);

}  // namespace corvane
