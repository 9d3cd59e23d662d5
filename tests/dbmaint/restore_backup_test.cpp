#include "dbmaint/restore_backup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <functional>
#include <optional>

#include "dbmaint/safe_swap.h"
#include "support/failing_file_system.h"
#include "support/fakes.h"

namespace corvane {
namespace {
using Op = testing::FailingFileSystem::Op;

constexpr const char* kLive = "G:\\Shared\\Keystone abcde 0000000001.mdb";
constexpr const char* kLock = "G:\\Shared\\Keystone abcde 0000000001.ldb";
constexpr const char* kBackup = "G:\\Shared\\_BackUps\\Keystone abcde 0000000001 260105-1430.mdb";
constexpr const char* kTemp = "G:\\Shared\\Corvane restaurando POS3.tmp";
constexpr const char* kKeptFolder = "G:\\Shared\\_Reemplazadas";
// The generation a restore at the fake clock's moment keeps.
constexpr const char* kKept = "G:\\Shared\\_Reemplazadas\\Keystone abcde 0000000001 261205-094510.mdb";
constexpr int kKeystone = 3;  // the restore screen's choice
constexpr const char* kErrors = "G:\\Shared\\Errors.txt";

// A database file as the engine leaves one: its header, then pages of filler.
std::string Database(int version, std::size_t pages, char fill = 'n') {
    std::string bytes("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    bytes += static_cast<char>(version);
    bytes.resize(pages * (version == 0 ? 2048 : 4096), fill);
    return bytes;
}
const std::string kOld = Database(1, 3, 'o');

std::string Record(const std::string& error) {
    return "\"20261205094510\",\"" + std::string(kLive) + "\",\"Corvane - LBLRESTOREFG_Click\",\"Error: " + error +
           "\",\"" + std::string(kBackup) + "\",\"POS3\",\"Quorra\"\r\n";
}

// A copy that reports chosen figures, as Windows does per chunk, and nothing after them.
class ReportingFiles : public testing::FailingFileSystem {
public:
    using FailingFileSystem::FailingFileSystem;
    Status Copy(const std::string& from, const std::string& to, const CopyProgress& progress = {}) override {
        for (const auto& [copied, total] : reports) {
            if (progress) progress(copied, total);
        }
        return FailingFileSystem::Copy(from, to);
    }
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
};

struct Venue {
    explicit Venue(const std::string& backup = Database(1, 5)) {
        h.state.computerName = "POS3";
        h.state.debugLogPath = "E:\\Corvane\\debug.deb";
        h.drives.MakeFolder("G:\\Shared\\_BackUps");
        h.drives.WriteFile(kLive, kOld);
        h.drives.WriteFile(kBackup, backup);
    }
    RestoreResult Restore(int kind = kKeystone, const std::string& backup = kBackup) {
        return RestoreBackup(run, kind, backup, kLive);
    }
    // An earlier generation, kept by some earlier restore or compaction.
    std::string Generation(const std::string& stamp, const std::string& bytes) {
        const std::string path = std::string(kKeptFolder) + "\\Keystone abcde 0000000001 " + stamp + ".mdb";
        h.drives.MakeFolder(kKeptFolder);
        h.drives.WriteFile(path, bytes);
        return path;
    }
    bool Has(const std::string& path) const { return std::filesystem::exists(h.drives.Local(path)); }

    testing::Harness h;
    ReportingFiles files{h.drives.files};
    AppContext context{h.state, files, h.dialogs, h.system, h.clock, h.instance, h.process, "E:\\Corvane", "Corvane"};
    testing::FakeWaiter waiter{h.clock};
    testing::RecordingWindow window;
    testing::RecordingProgress progress;
    testing::FakeEngine engine{h.drives};
    RunFrame frame{context, &progress};
    DatabaseRun run = RunIn(frame, engine, waiter, window, kRunRestore);
};

TEST(Restore, AWholeBackupTakesTheLiveDatabasesPlaceAndTheReplacedOneIsKept) {
    struct Case {
        const char* what;
        int version;
        std::function<void(Venue&)> arrange;
        std::vector<int> percents{0, 100};
    } const cases[] = {
        {"newer format", 1, [](Venue&) {}},
        {"older format, the folder there already", 0,
         [](Venue& v) { v.h.drives.MakeFolder("G:\\Shared\\_Reemplazadas"); }},
        {"a stale copy of this computer's, and a share without hard links", 1,
         [](Venue& v) {
             v.h.drives.WriteFile(kTemp, "left by a restore cut short");
             v.files.Fail(Op::Link).WithError(1, "Incorrect function.");
         }},
        {"progress as reported", 1,
         [](Venue& v) { v.files.reports = {{0, 9}, {10, 1000}, {19, 1000}, {500, 1000}, {499, 1000}, {999, 1000}}; },
         {0, 1, 50, 99, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Venue v(Database(c.version, 5));
        c.arrange(v);
        EXPECT_EQ(v.Restore().end, RestoreEnd::Restored);
        EXPECT_EQ(v.h.drives.ReadFile(kLive), Database(c.version, 5));
        EXPECT_EQ(v.h.drives.ReadFile(kBackup), Database(c.version, 5));
        EXPECT_EQ(v.h.drives.ReadFile(kKept), kOld);
        EXPECT_FALSE(v.Has(kErrors));
        EXPECT_FALSE(v.Has(kTemp));
        EXPECT_EQ(v.progress.statuses, std::vector<std::string>(2, "Restaurando Keystone"));
        EXPECT_EQ(v.progress.percents, c.percents);
    }
}

TEST(Restore, ABackupThatIsNoWholeDatabaseIsRefusedBeforeTheWait) {
    struct Case {
        std::optional<std::string> bytes;
        std::string says;  // before the backup's path
        std::string after;
        unsigned long code = 13;
    } const cases[] = {
        {std::string(8192, 'P'), "La Copia no es una Base de Datos: ", ""},
        {Database(1, 5).substr(0, 20479), "(20479 bytes no es un numero entero de paginas de 4096): ", ""},
        {Database(0, 5).substr(0, 7168), "(7168 bytes no es un numero entero de paginas de 2048): ", ""},
        {Database(1, 1).substr(0, 20), "Incompleta (20 bytes): ", ""},
        {"", "La Copia esta Vacia: ", ""},
        {Database(2, 2), "formato desconocido (version 2): ", ""},
        {std::nullopt, "No se Pudo Leer la Copia: ", "\rThe system cannot find the file specified. (Error 2)", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        Venue v(c.bytes.value_or(""));
        if (!c.bytes) std::filesystem::remove(v.h.drives.Local(kBackup));
        v.h.drives.WriteFile(kLock, "POS1");
        const RestoreResult result = v.Restore();
        EXPECT_EQ(result.end, RestoreEnd::Refused);
        EXPECT_NE(result.message.find(c.says + kBackup + c.after), std::string::npos) << result.message;
        EXPECT_EQ(v.waiter.waits, 0);
        EXPECT_EQ(v.h.drives.ReadFile(kLive), kOld);
        EXPECT_FALSE(v.Has(kTemp) || v.Has(kKeptFolder));
        // The record's error field is one line, whatever the message's breaks.
        const std::string errors = v.h.drives.ReadFile(kErrors);
        const std::string record = Record(std::to_string(c.code) + " | ");
        const std::size_t cut = record.find(" | ") + 3;
        EXPECT_EQ(errors.substr(0, cut), record.substr(0, cut));
        EXPECT_TRUE(errors.ends_with("\",\"" + std::string(kBackup) + "\",\"POS3\",\"Quorra\"\r\n")) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    }
}

TEST(Restore, TheLiveDatabaseIsTouchedOnlyOnceItsLockFileIsGone) {
    for (const bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "closed during the wait" : "lock file removed");
        Venue v;
        v.h.drives.WriteFile(kLock, "POS1");
        v.waiter.endingAt = closing ? 2 : 0;
        v.waiter.onWait = [&](int wait) {
            EXPECT_FALSE(v.Has(kTemp) || v.Has(kKeptFolder)) << wait;
            if (wait == 12) std::filesystem::remove(v.h.drives.Local(kLock));
        };
        EXPECT_EQ(v.Restore().end, closing ? RestoreEnd::ProgramEnding : RestoreEnd::Restored);
        EXPECT_EQ(v.waiter.waits, closing ? 2 : 12);
        EXPECT_EQ(v.h.drives.ReadFile(kLive), closing ? kOld : Database(1, 5));
        EXPECT_FALSE(v.Has(kTemp) || v.Has(kErrors));
        // From the eleventh wait on the line is the wait's; the copy puts the restore's back.
        ASSERT_FALSE(v.progress.statuses.empty());
        EXPECT_EQ(v.progress.statuses.back(), "Restaurando Keystone");
    }
}

// The fifth field of an Errors.txt record.
std::string FifthField(const std::string& record) {
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) at = record.find("\",\"", at) + 3;
    return record.substr(at, record.find('"', at) - at);
}

// Free space just above the reserve, for the test to spend.
void Room(Venue& v, std::int64_t aboveReserve) {
    v.files.SetFreeSpace("G:", static_cast<std::uint64_t>(static_cast<std::int64_t>(kRoomReserveBytes) + aboveReserve));
}

// Each step of a restore failing in turn, the room on the disk at each step
// among them: the live database and every kept file, byte for byte, what
// the user is told, and the record naming the backup.
TEST(Restore, AFailureAtAnyStepLosesNoDatabase) {
    const std::int64_t backup = 5 * 4096, live = 3 * 4096;  // the backup's and the live database's sizes
    struct Case {
        const char* step;
        std::function<void(Venue&)> arrange;
        RestoreEnd end;
        bool swapped;          // the live database holds the backup's bytes
        bool named;            // the replaced one kept under its dated name
        bool passingStays;     // ... or under its passing name
        bool oldestStays;      // the fourth generation back, pruned only after a naming
        bool secondStays = true;          // the third back, removed only for room
        std::size_t removedForRoom = 0;   // each recorded for the history
        const char* says = "";            // in the message, when there is one
    } const cases[] = {
        {"none", [](Venue&) {}, RestoreEnd::Restored, true, true, false, false},
        {"keep: no link, and the copy fails",
         [](Venue& v) {
             v.files.Fail(Op::Link).WithError(1, "Incorrect function.");
             v.files.Fail(Op::Copy).OnPathsWith("_Reemplazadas").WithError(112, "Disk full.").HalfWay();
         },
         RestoreEnd::Failed, false, false, false, true},
        {"keep: no link, and the copy's flush fails",
         [](Venue& v) {
             v.files.Fail(Op::Link).WithError(1, "Incorrect function.");
             v.files.Fail(Op::Flush).OnPathsWith("_Reemplazadas").WithError(1117, "I/O device error.");
         },
         RestoreEnd::Failed, false, false, false, true},
        {"copy", [](Venue& v) { v.files.Fail(Op::Copy).OnPathsWith(".tmp").WithError(112, "Disk full.").HalfWay(); },
         RestoreEnd::Failed, false, false, false, true, true, 0,
         "No se Pudo Restaurar la Base\rG:\\Shared\\Keystone abcde 0000000001.mdb\r\rDisk full. (Error 112)\r\r"
         "La Base Actual Quedo Como Estaba."},
        // Not this program's to remove.
        {"a folder in the temporary file's place", [](Venue& v) { v.h.drives.MakeFolder(kTemp); },
         RestoreEnd::Failed, false, false, false, true, true, 0,
         "G:\\Shared\\Corvane restaurando POS3.tmp es una carpeta (Error 5)"},
        {"flush", [](Venue& v) { v.files.Fail(Op::Flush).OnPathsWith(".tmp").WithError(1117, "I/O device error."); },
         RestoreEnd::Failed, false, false, false, true},
        {"rename", [](Venue& v) { v.files.Fail(Op::Replace).OnPathsWith(".tmp").WithError(32, "In use."); },
         RestoreEnd::Failed, false, false, false, true},
        {"name", [](Venue& v) { v.files.Fail(Op::Replace).OnPathsWith(".nueva").WithError(5, "Access is denied."); },
         RestoreEnd::Restored, true, false, true, true},
        {"prune", [](Venue& v) { v.files.Fail(Op::Delete).OnPathsWith("_Reemplazadas").WithError(32, "In use."); },
         RestoreEnd::Restored, true, true, false, true},
        {"room for the restore, just", [=](Venue& v) { Room(v, backup); },
         RestoreEnd::Restored, true, true, false, false},
        {"room for the restore once the oldest generation goes", [=](Venue& v) { Room(v, backup - 3); },
         RestoreEnd::Restored, true, true, false, false, true, 1},
        {"room for the restore and the copy kept where links are refused",
         [=](Venue& v) {
             v.files.Fail(Op::Link).WithError(1, "Incorrect function.");
             Room(v, backup + live);
         },
         RestoreEnd::Restored, true, true, false, false},
        {"no room for the restore even after pruning", [=](Venue& v) { Room(v, backup / 2); },
         RestoreEnd::Failed, false, false, false, false, false, 2,
         "Falta espacio en G: para restaurar Keystone: hacen falta 100,0 MB, hay 100,0 MB libres"},
        {"no room for the copy kept where links are refused",
         [=](Venue& v) {
             v.files.Fail(Op::Link).WithError(1, "Incorrect function.");
             Room(v, backup + live / 2);
         },
         RestoreEnd::Failed, false, false, false, false, false, 2, "para guardar una copia de Keystone: hacen falta"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        Venue v;
        const std::string oldest = v.Generation("261001-000000", "oldest");
        const std::string second = v.Generation("261101-000000", "g1");
        const std::string newest = v.Generation("261102-000000", "g2");
        // The single kept copy an earlier version made is no generation: never pruned.
        const std::string single = std::string(kKeptFolder) + "\\Keystone abcde 0000000001.mdb";
        v.h.drives.WriteFile(single, "single");
        c.arrange(v);

        const RestoreResult result = v.Restore();
        EXPECT_EQ(result.end, c.end);
        EXPECT_EQ(v.h.drives.ReadFile(kLive), c.swapped ? Database(1, 5) : kOld);
        EXPECT_EQ(v.h.drives.ReadFile(kBackup), Database(1, 5));
        EXPECT_EQ(v.Has(kKept) ? v.h.drives.ReadFile(kKept) : "(none)", c.named ? kOld : "(none)");
        const std::string passing = std::string(kKept) + ".nueva";
        EXPECT_EQ(v.Has(passing) ? v.h.drives.ReadFile(passing) : "(none)", c.passingStays ? kOld : "(none)");
        EXPECT_EQ(v.Has(oldest) ? v.h.drives.ReadFile(oldest) : "(none)", c.oldestStays ? "oldest" : "(none)");
        EXPECT_EQ(v.Has(second) ? v.h.drives.ReadFile(second) : "(none)", c.secondStays ? "g1" : "(none)");
        EXPECT_EQ(v.h.drives.ReadFile(newest), "g2");
        EXPECT_EQ(v.h.drives.ReadFile(single), "single");
        EXPECT_NE(v.files.Lookup(kTemp), EntryKind::File);
        // The run's own records are a few hundred bytes; the test leaves it kilobytes.
        std::uint64_t free = 0;
        ASSERT_TRUE(v.files.FreeSpace("G:\\Shared", free));
        EXPECT_GE(free, kRoomReserveBytes);
        EXPECT_NE(result.message.find(c.says), std::string::npos) << result.message;
        EXPECT_EQ(result.notes.size(), c.removedForRoom);
        EXPECT_EQ(v.Has(kErrors), std::string(c.step) != "none" && !std::string(c.step).starts_with("room"));
        if (v.Has(kErrors)) {
            EXPECT_EQ(FifthField(v.h.drives.ReadFile(kErrors)), kBackup);
            EXPECT_NE(v.h.drives.ReadFile("E:\\Corvane\\debug.deb").find("Error: "), std::string::npos);
        }
        if (c.passingStays) {
            EXPECT_NE(result.message.find(passing), std::string::npos) << result.message;
        }
        if (c.end == RestoreEnd::Failed) {
            EXPECT_TRUE(result.message.ends_with("La Base Actual Quedo Como Estaba.")) << result.message;
        }
    }
}

TEST(Restore, EachRestoreKeepsWhatItReplacedAndTheNewestThreeStay) {
    Venue v;
    std::vector<std::string> kept;
    for (int i = 0; i < 5; ++i) {
        const std::string bytes = Database(1, 2, static_cast<char>('a' + i));
        v.h.drives.WriteFile(kBackup, bytes);
        const std::string before = v.h.drives.ReadFile(kLive);
        ASSERT_EQ(v.Restore().end, RestoreEnd::Restored) << i;
        EXPECT_TRUE(v.h.drives.ReadFile(kLive) == bytes);
        std::vector<std::string> names = v.h.drives.FileNames(kKeptFolder);
        std::sort(names.begin(), names.end());
        ASSERT_FALSE(names.empty());
        // Restored twice within one second: the second takes the next second's name.
        EXPECT_TRUE(v.h.drives.ReadFile(std::string(kKeptFolder) + "\\" + names.back()) == before) << names.back();
        kept.push_back(names.back());
        EXPECT_EQ(names.size(), static_cast<std::size_t>(std::min(i + 1, 3)));
    }
    ASSERT_EQ(kept.size(), 5u);
    EXPECT_EQ(kept.front(), "Keystone abcde 0000000001 261205-094510.mdb");
    EXPECT_EQ(kept.back(), "Keystone abcde 0000000001 261205-094514.mdb");
    std::vector<std::string> names = v.h.drives.FileNames(kKeptFolder);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>(kept.end() - 3, kept.end())));
}

TEST(Restore, AnotherKindsBackupIsRefusedBeforeTheWait) {
    struct Case {
        const char* backupName;
        int kind;
        const char* says;  // "" goes ahead
    } const cases[] = {
        {"Pantry Backlog abcde 0000000001 261203-0400.mdb", 5, "La Copia es de 'Pantry Backlog', no de 'Pantry'"},
        {"KeystoneSolo abcde 0000000001 261203-0400.mdb", kKeystone, "La Copia es de 'KS Solo', no de 'Keystone'"},
        {"pantry abcde 0000000001 261203-0400.mdb", kKeystone, "La Copia es de 'Pantry', no de 'Keystone'"},
        {"Pantry abcde 0000000001 261203-0400.mdb", 6, "La Copia es de 'Pantry', no de 'Pantry Backlog'"},
        {"Pantry Backlog abcde 0000000001 261203-0400.mdb", 6, ""},
        {"Keystone abcde 0000000001 261203-0400.mdb", kKeystone, ""},
        {"Copia de Keystone 261203-0400.mdb", kKeystone, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.backupName);
        Venue v;
        const std::string backup = std::string("G:\\Shared\\_BackUps\\") + c.backupName;
        v.h.drives.WriteFile(backup, Database(1, 5));
        v.h.drives.WriteFile(kLock, "POS1");
        v.waiter.onWait = [&](int) { std::filesystem::remove(v.h.drives.Local(kLock)); };
        const RestoreResult result = v.Restore(c.kind, backup);
        const bool refused = *c.says != '\0';
        EXPECT_EQ(result.end, refused ? RestoreEnd::Refused : RestoreEnd::Restored);
        EXPECT_EQ(v.waiter.waits, refused ? 0 : 1);
        EXPECT_EQ(v.h.drives.ReadFile(kLive), refused ? kOld : Database(1, 5));
        if (refused) {
            EXPECT_EQ(result.message, std::string(c.says) + ":\r" + backup + "\r\rLa Base Actual Quedo Como Estaba.");
            EXPECT_NE(v.h.drives.ReadFile(kErrors).find("\",\"" + backup + "\",\"POS3\""), std::string::npos);
        }
    }
}

// Two computers restoring at once never share a temporary file: the other's
// is not this one's to remove.
TEST(Restore, AnotherComputersTemporaryFileIsLeftAlone) {
    Venue v;
    const std::string theirs = "G:\\Shared\\Corvane restaurando POS1.tmp";
    v.h.drives.WriteFile(theirs, "POS1's copy under way");
    EXPECT_EQ(v.Restore().end, RestoreEnd::Restored);
    EXPECT_EQ(v.h.drives.ReadFile(theirs), "POS1's copy under way");
    EXPECT_EQ(RestoreTempPath(kLive, "POS1"), theirs);
}

}  // namespace
}  // namespace corvane
