#include "dbmaint/restore_backup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "support/failing_file_system.h"
#include "support/fakes.h"

namespace corvane {
namespace {
using Op = testing::FailingFileSystem::Op;

constexpr const char* kLive = "G:\\Shared\\Keystone abc 0000000001.mdb";
constexpr const char* kLock = "G:\\Shared\\Keystone abc 0000000001.ldb";
constexpr const char* kBackup = "G:\\Shared\\_BackUps\\Keystone abc 0000000001 260105-1430.mdb";
constexpr const char* kTemp = "G:\\Shared\\Corvane restaurando.tmp";
constexpr const char* kKept = "G:\\Shared\\_Reemplazadas\\Keystone abc 0000000001.mdb";
constexpr const char* kErrors = "G:\\Shared\\Errors.txt";

// A database file as the engine leaves one: its header, then pages of filler.
std::string Database(int version, std::size_t pages, char fill = 'n') {
    std::string bytes("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    bytes += static_cast<char>(version);
    bytes.resize(pages * (version == 0 ? 2048 : 4096), fill);
    return bytes;
}
const std::string kOld = Database(1, 3, 'o');

std::string Record(const std::string& error, const std::string& other = kBackup) {
    return "\"20261205094510\",\"" + std::string(kLive) + "\",\"Corvane - LBLRESTOREFG_Click\",\"Error: " + error +
           "\",\"" + other + "\",\"POS3\",\"Quorra\"\r\n";
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
    RestoreResult Restore() { return RestoreBackup(context, waiter, window, progress, kBackup, kLive); }
    bool Has(const std::string& path) const { return std::filesystem::exists(h.drives.Local(path)); }

    testing::Harness h;
    ReportingFiles files{h.drives.files};
    AppContext context{h.state, files, h.dialogs, h.system, h.clock, h.instance, h.process, "E:\\Corvane", "Corvane"};
    testing::FakeWaiter waiter{h.clock};
    testing::RecordingWindow window;
    testing::RecordingProgress progress;
};

TEST(Restore, AWholeBackupTakesTheLiveDatabasesPlaceAndTheReplacedOneIsKept) {
    struct Case {
        const char* what;
        int version;
        std::function<void(Venue&)> arrange;
        std::string errors;
        std::vector<int> percents{0, 100};
    } const cases[] = {
        {"newer format", 1, [](Venue&) {}, ""},
        {"older format, a copy kept before",
         0, [](Venue& v) { v.h.drives.MakeFolder("G:\\Shared\\_Reemplazadas"), v.h.drives.WriteFile(kKept, "x"); }, ""},
        {"a stale copy, and no room to keep the replaced one", 1,
         [](Venue& v) {
             v.h.drives.WriteFile(kTemp, "left by a restore cut short");
             // A share without hard links, then a full disk for the copy.
             v.files.Fail(Op::Link).WithError(1, "Incorrect function.");
             v.files.Fail(Op::Copy).OnPathsWith("_Reemplazadas").WithError(112, "Disk full.");
         },
         Record("112 | Disk full.", kKept)},
        {"progress as reported", 1,
         [](Venue& v) { v.files.reports = {{0, 9}, {10, 1000}, {19, 1000}, {500, 1000}, {499, 1000}, {999, 1000}}; },
         "", {0, 1, 50, 99, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Venue v(Database(c.version, 5));
        c.arrange(v);
        EXPECT_EQ(v.Restore().end, RestoreEnd::Restored);
        EXPECT_EQ(v.h.drives.ReadFile(kLive), Database(c.version, 5));
        EXPECT_EQ(v.h.drives.ReadFile(kBackup), Database(c.version, 5));
        EXPECT_EQ(v.h.drives.ReadFile(kKept), c.errors.empty() ? kOld : "");
        EXPECT_EQ(v.h.drives.ReadFile(kErrors), c.errors);
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
    } const cases[] = {
        {std::string(8192, 'P'), "La Copia no es una Base de Datos: ", ""},
        {Database(1, 5).substr(0, 20479), "(20479 bytes no es un numero entero de paginas de 4096): ", ""},
        {Database(0, 5).substr(0, 7168), "(7168 bytes no es un numero entero de paginas de 2048): ", ""},
        {Database(1, 1).substr(0, 20), "Incompleta (20 bytes): ", ""},
        {"", "La Copia esta Vacia: ", ""},
        {Database(2, 2), "formato desconocido (version 2): ", ""},
        {std::nullopt, "No se Pudo Leer la Copia: ", "\rThe system cannot find the file specified. (Error 2)"},
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
        EXPECT_FALSE(v.Has(kTemp) || v.Has("G:\\Shared\\_Reemplazadas") || v.Has(kErrors));
    }
}

TEST(Restore, AFailureLeavesTheLiveDatabaseAsItWasRemovesTheCopyAndRecordsWhy) {
    struct Case {
        std::function<void(Venue&)> arrange;
        unsigned long code;
        std::string text;
        bool tempStays = false;
    } const cases[] = {
        {[](Venue& v) { v.files.Fail(Op::Copy).OnPathsWith(".tmp").WithError(112, "Disk full.").HalfWay(); }, 112,
         "Disk full."},
        {[](Venue& v) { v.files.Fail(Op::Copy).OnPathsWith(".tmp").WithError(23, "Data error.").HalfWay(); }, 23,
         "Data error."},
        {[](Venue& v) { v.files.Fail(Op::Replace).OnPathsWith(".tmp").WithError(32, "In use."); }, 32, "In use."},
        {[](Venue& v) { v.h.drives.MakeFolder(kTemp); }, 5, std::string(kTemp) + " es una carpeta"},
        {[](Venue& v) { v.h.drives.WriteFile(kTemp, "stale"), v.files.Fail(Op::Delete).WithError(32, "In use."); },
         32, "In use.", true},
    };
    for (const Case& c : cases) {
        const std::string error = std::to_string(c.code) + " | " + c.text;
        SCOPED_TRACE(error);
        Venue v;
        c.arrange(v);
        const RestoreResult result = v.Restore();
        EXPECT_EQ(result.end, RestoreEnd::Failed);
        EXPECT_EQ(result.message, "No se Pudo Restaurar la Base\r" + std::string(kLive) + "\r\r" + c.text + " (Error " +
                                      std::to_string(c.code) + ")\r\rLa Base Actual Quedo Como Estaba.");
        EXPECT_EQ(v.h.drives.ReadFile(kLive), kOld);
        EXPECT_EQ(v.files.Lookup(kTemp) == EntryKind::File, c.tempStays);
        EXPECT_EQ(v.h.drives.ReadFile(kErrors), Record(error));
        EXPECT_NE(v.h.drives.ReadFile("E:\\Corvane\\debug.deb").find("Error: " + error), std::string::npos);
    }
}

TEST(Restore, TheLiveDatabaseIsTouchedOnlyOnceItsLockFileIsGone) {
    for (const bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "closed during the wait" : "lock file removed");
        Venue v;
        v.h.drives.WriteFile(kLock, "POS1");
        v.waiter.endingAt = closing ? 2 : 0;
        v.waiter.onWait = [&](int wait) {
            EXPECT_FALSE(v.Has(kTemp) || v.Has(kKept)) << wait;
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

}  // namespace
}  // namespace corvane
