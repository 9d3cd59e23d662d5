#include "dbmaint/restore_backup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "support/fakes.h"

namespace corvane {
namespace {
using Op = testing::FailingFileSystem::Op;
using testing::Database;

constexpr const char* kLive = "G:\\Shared\\Keystone abcde 0000000001.mdb";
constexpr const char* kLock = "G:\\Shared\\Keystone abcde 0000000001.ldb";
constexpr const char* kBackup = "G:\\Shared\\_BackUps\\Keystone abcde 0000000001 260105-1430.mdb";
constexpr const char* kTemp = "G:\\Shared\\Corvane restaurando POS3.tmp";
constexpr const char* kTheirTemp = "G:\\Shared\\Corvane restaurando POS1.tmp";
constexpr const char* kKeptFolder = "G:\\Shared\\_Reemplazadas";
// The generation a restore keeps one wait after the fake clock's moment.
constexpr const char* kKept = "G:\\Shared\\_Reemplazadas\\Keystone abcde 0000000001 261205-094511.mdb";
constexpr int kKeystone = 3;  // the restore screen's choice
const std::string kOld = Database(1, 3, 'o');

// POS3 restores Keystone over a live database of three pages; POS1's own
// restore is under way beside it, its temporary file not this one's.
struct Venue : testing::RunHarness {
    Venue() {
        state.computerName = "POS3";
        state.debugLogPath = "E:\\Corvane\\debug.deb";
        run.kind = kRunRestore;
        drives.MakeFolder("G:\\Shared\\_BackUps");
        drives.WriteFile(kLive, kOld);
        drives.WriteFile(kBackup, Database(1, 5));
        drives.WriteFile(kTheirTemp, "POS1's copy under way");
    }
    RestoreResult Restore(int kind = kKeystone, const std::string& backup = kBackup) {
        return RestoreBackup(run, kind, backup, kLive);
    }
    // An earlier generation, kept by some earlier restore or compaction.
    std::string Generation(const std::string& stamp, const std::string& bytes) {
        const std::string path = std::string(kKeptFolder) + "\\Keystone abcde 0000000001 " + stamp + ".mdb";
        drives.MakeFolder(kKeptFolder);
        drives.WriteFile(path, bytes);
        return path;
    }
    void NoLinks() { files.Fail(Op::Link).WithError(1, "Incorrect function."); }
};

// What is left of the replaced database.
enum class Kept { Named, Passing, None };

// Every end of a restore, each step failing in turn, the room on the disk at
// each step and the backups refused before the wait among them: the live
// database and every kept file, byte for byte, what the user is told, and
// the record naming the backup.
TEST(Restore, AtEveryStepNoDatabaseIsLost) {
    const std::int64_t backup = 5 * 4096, live = 3 * 4096;  // the backup's and the live database's sizes
    const auto backupHolds = [](std::string bytes) {
        return [bytes](Venue& v) {
            if (bytes == "(none)") return v.Remove(kBackup);
            v.drives.WriteFile(kBackup, bytes);
        };
    };
    const auto nothing = [](Venue&) {};
    struct Case {
        const char* what;
        std::function<void(Venue&)> arrange = [](Venue&) {};
        RestoreEnd end = RestoreEnd::Restored;
        Kept kept = Kept::Named;
        int pruned = 1;  // of the three older generations, the oldest first
        std::size_t removedForRoom = 0;  // each a note for the history
        const char* says = "";  // in the message
        std::optional<bool> recorded = std::nullopt;  // in Errors.txt; unset: when not restored
        int kind = kKeystone;
        std::string backup = kBackup;
        std::vector<int> percents = {0, 100};
    } const cases[] = {
        {"the newer format"},
        {"the older format", backupHolds(Database(0, 5))},
        {"a stale copy of this computer's, and a share without links",
         [](Venue& v) {
             v.drives.WriteFile(kTemp, "left by a restore cut short");
             v.NoLinks();
         }},
        {.what = "progress as reported",
         .arrange = [](Venue& v) { v.files.copyReports = {{0, 9}, {10, 1000}, {19, 1000}, {500, 1000}, {499, 1000}, {999, 1000}}; },
         .percents = {0, 1, 50, 99, 100}},
        {"keep: no link, and the copy fails",
         [](Venue& v) {
             v.NoLinks();
             v.files.Fail(Op::Copy).OnPathsWith("_Reemplazadas").WithError(112, "Disk full.").HalfWay();
         },
         RestoreEnd::Failed, Kept::None, 0},
        {"keep: no link, and the copy's flush fails",
         [](Venue& v) {
             v.NoLinks();
             v.files.Fail(Op::Flush).OnPathsWith("_Reemplazadas").WithError(1117, "I/O device error.");
         },
         RestoreEnd::Failed, Kept::None, 0},
        {"copy", [](Venue& v) { v.files.Fail(Op::Copy).OnPathsWith(".tmp").WithError(112, "Disk full.").HalfWay(); },
         RestoreEnd::Failed, Kept::None, 0, 0,
         "No se Pudo Restaurar la Base\rG:\\Shared\\Keystone abcde 0000000001.mdb\r\rDisk full. (Error 112)\r\r"
         "La Base Actual Quedo Como Estaba."},
        // Not this program's to remove.
        {"a folder in the temporary file's place", [](Venue& v) { v.drives.MakeFolder(kTemp); }, RestoreEnd::Failed,
         Kept::None, 0, 0, "G:\\Shared\\Corvane restaurando POS3.tmp es una carpeta (Error 5)"},
        {"flush", [](Venue& v) { v.files.Fail(Op::Flush).OnPathsWith(".tmp").WithError(1117, "I/O device error."); },
         RestoreEnd::Failed, Kept::None, 0},
        {"rename", [](Venue& v) { v.files.Fail(Op::Replace).OnPathsWith(".tmp").WithError(32, "In use."); },
         RestoreEnd::Failed, Kept::None, 0},
        {"name", [](Venue& v) { v.files.Fail(Op::Replace).OnPathsWith(".nueva").WithError(5, "Access is denied."); },
         RestoreEnd::Restored, Kept::Passing, 0, 0, "", true},
        {"prune", [](Venue& v) { v.files.Fail(Op::Delete).OnPathsWith("_Reemplazadas").WithError(32, "In use."); },
         RestoreEnd::Restored, Kept::Named, 0, 0, "", true},
        {"room for the restore, just", [=](Venue& v) { v.Room(backup); }},
        {"room for the restore once the oldest generation goes", [=](Venue& v) { v.Room(backup - 3); },
         RestoreEnd::Restored, Kept::Named, 1, 1},
        {"room for the restore and the copy kept where links are refused",
         [=](Venue& v) {
             v.NoLinks();
             v.Room(backup + live);
         }},
        {"no room for the restore even after pruning", [=](Venue& v) { v.Room(backup / 2); }, RestoreEnd::Failed,
         Kept::None, 2, 2, "Falta espacio en G: para restaurar Keystone: hacen falta 100,0 MB, hay 100,0 MB libres"},
        {"no room for the copy kept where links are refused",
         [=](Venue& v) {
             v.NoLinks();
             v.Room(backup + live / 2);
         },
         RestoreEnd::Failed, Kept::None, 2, 2, "para guardar una copia de Keystone: hacen falta"},
        // Refused before the wait: no whole database, or another kind's.
        {"not a database", backupHolds(std::string(8192, 'P')), RestoreEnd::Refused, Kept::None, 0, 0,
         "La Copia no es una Base de Datos: "},
        {"newer format cut short", backupHolds(Database(1, 5).substr(0, 20479)), RestoreEnd::Refused, Kept::None, 0,
         0, "(20479 bytes no es un numero entero de paginas de 4096): "},
        {"older format cut short", backupHolds(Database(0, 5).substr(0, 7168)), RestoreEnd::Refused, Kept::None, 0,
         0, "(7168 bytes no es un numero entero de paginas de 2048): "},
        {"no whole header", backupHolds(Database(1, 1).substr(0, 20)), RestoreEnd::Refused, Kept::None, 0, 0,
         "Incompleta (20 bytes): "},
        {"empty", backupHolds(""), RestoreEnd::Refused, Kept::None, 0, 0, "La Copia esta Vacia: "},
        {"unknown format", backupHolds(Database(2, 2)), RestoreEnd::Refused, Kept::None, 0, 0,
         "formato desconocido (version 2): "},
        {"unreadable", backupHolds("(none)"), RestoreEnd::Refused, Kept::None, 0, 0,
         "No se Pudo Leer la Copia: G:\\Shared\\_BackUps\\Keystone abcde 0000000001 260105-1430.mdb\r"
         "The system cannot find the file specified. (Error 2)"},
        {"Pantry Backlog's for Pantry", nothing, RestoreEnd::Refused, Kept::None, 0, 0,
         "La Copia es de 'Pantry Backlog', no de 'Pantry'", {}, 5, "Pantry Backlog a 261203-0400.mdb"},
        {"KS Solo's for Keystone", nothing, RestoreEnd::Refused, Kept::None, 0, 0,
         "La Copia es de 'KS Solo', no de 'Keystone'", {}, kKeystone, "KeystoneSolo a 261203-0400.mdb"},
        {"Pantry's, in another letter case, for Keystone", nothing, RestoreEnd::Refused, Kept::None, 0, 0,
         "La Copia es de 'Pantry', no de 'Keystone'", {}, kKeystone, "pantry a 261203-0400.mdb"},
        {"Pantry's for Pantry Backlog", nothing, RestoreEnd::Refused, Kept::None, 0, 0,
         "La Copia es de 'Pantry', no de 'Pantry Backlog'", {}, 6, "Pantry a 261203-0400.mdb"},
        {.what = "Pantry Backlog's for Pantry Backlog", .kind = 6, .backup = "Pantry Backlog a 261203-0400.mdb"},
        {.what = "a name of no kind's", .backup = "Copia de Keystone 261203-0400.mdb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Venue v;
        const std::string backupPath = c.backup == kBackup ? c.backup : "G:\\Shared\\_BackUps\\" + c.backup;
        if (c.backup != kBackup) v.drives.WriteFile(backupPath, Database(1, 5));
        const std::string oldest = v.Generation("261001-000000", "oldest");
        const std::string second = v.Generation("261101-000000", "g1");
        const std::string newest = v.Generation("261102-000000", "g2");
        // The single kept copy an earlier version made is no generation: never pruned.
        const std::string single = std::string(kKeptFolder) + "\\Keystone abcde 0000000001.mdb";
        v.drives.WriteFile(single, "single");
        v.drives.WriteFile(kLock, "");  // empty: its removal frees no room
        v.waiter.onWait = [&](int) { v.Remove(kLock); };
        c.arrange(v);
        const std::string backupBytes = v.Read(backupPath);

        const RestoreResult result = v.Restore(c.kind, backupPath);
        EXPECT_EQ(result.end, c.end);
        EXPECT_EQ(v.waiter.waits, c.end == RestoreEnd::Refused ? 0 : 1);
        EXPECT_EQ(v.Read(kLive), c.end == RestoreEnd::Restored ? backupBytes : kOld);
        EXPECT_EQ(v.Read(backupPath), backupBytes);
        EXPECT_EQ(v.Read(kKept), c.kept == Kept::Named ? kOld : "(none)");
        const std::string passing = std::string(kKept) + ".nueva";
        EXPECT_EQ(v.Read(passing), c.kept == Kept::Passing ? kOld : "(none)");
        EXPECT_EQ(v.Read(oldest), c.pruned < 1 ? "oldest" : "(none)");
        EXPECT_EQ(v.Read(second), c.pruned < 2 ? "g1" : "(none)");
        EXPECT_EQ(v.Read(newest), "g2");
        EXPECT_EQ(v.Read(single), "single");
        EXPECT_EQ(v.Read(kTheirTemp), "POS1's copy under way");
        EXPECT_NE(v.files.Lookup(kTemp), EntryKind::File);
        // The run's own records are a few hundred bytes; the test leaves it kilobytes.
        std::uint64_t free = 0;
        ASSERT_TRUE(v.files.FreeSpace("G:\\Shared", free));
        EXPECT_GE(free, kRoomReserveBytes);
        EXPECT_NE(result.message.find(c.says), std::string::npos) << result.message;
        EXPECT_EQ(result.notes.size(), c.removedForRoom);
        if (c.kept == Kept::Passing) {
            EXPECT_NE(result.message.find(passing), std::string::npos) << result.message;
        }
        if (c.end != RestoreEnd::Restored) {
            EXPECT_TRUE(result.message.ends_with("La Base Actual Quedo Como Estaba.")) << result.message;
        }
        if (c.end == RestoreEnd::Restored) {
            EXPECT_EQ(v.progress.statuses, std::vector<std::string>(2, "Restaurando Keystone"));
            EXPECT_EQ(v.progress.percents, c.percents);
        }
        // One record a failure, one line whatever the message's breaks, naming the backup.
        const auto errors = v.Errors();
        ASSERT_EQ(errors.size(), c.recorded.value_or(c.end != RestoreEnd::Restored) ? 1u : 0u);
        if (errors.empty()) continue;
        ASSERT_EQ(errors[0].size(), 7u);
        EXPECT_EQ(errors[0][1], kLive);
        EXPECT_EQ(errors[0][2], "Corvane - LBLRESTOREFG_Click");
        EXPECT_TRUE(errors[0][3].starts_with("Error: ")) << errors[0][3];
        EXPECT_EQ(errors[0][4], backupPath);
        EXPECT_EQ(errors[0][5], "POS3");
        EXPECT_NE(v.drives.ReadFile("E:\\Corvane\\debug.deb").find("Error: "), std::string::npos);
    }
}

}  // namespace
}  // namespace corvane
