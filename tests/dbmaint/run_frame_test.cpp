#include "dbmaint/run_frame.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbmaint/unattended_run.h"
#include "support/fakes.h"
#include "ui/database_actions.h"

namespace corvane {
namespace {
namespace fs = std::filesystem;

// The repair and the restore name their databases by rules of their own.
const std::string kRepaired = "G:\\Shared\\Keystone abc 0000000001";
const std::string kRestored = "G:\\Shared\\Keystone abcde 0000000001";
constexpr const char* kRunLock = "G:\\Shared\\Corvane.run";
constexpr const char* kRestoreTemp = "G:\\Shared\\Corvane restaurando MONITOR.tmp";

std::string Database(char fill) { return testing::Database(1, 1, fill); }

// The main machine's shared folder with Keystone, held by POS1 for a dozen
// seconds, and Pantry; and a backup of Keystone. Whatever a run writes over
// Keystone grows past the warning size (sparse: nothing big is copied).
struct Venue : testing::RunHarness {
    Venue() {
        system.computerName = "monitor";
        AtTheMainMachine();
        state.mainMachineName = "Monitor";
        drives.MakeFolder("C:\\Windows\\SysWOW64");
        drives.MakeFolder("G:\\Shared\\_BackUps");
        drives.WriteFile("G:\\Shared\\Pantry abc 0000000001.mdb", Database('P'));
        drives.WriteFile("G:\\Shared\\_BackUps\\Keystone a 261203-0400.mdb", Database('B'));
        for (const std::string& keystone : {kRepaired, kRestored}) {
            drives.WriteFile(keystone + ".mdb", Database('L'));
            drives.WriteFile(keystone + ".ldb", "POS1");
        }
        waiter.onWait = [this](int wait) {
            if (wait < 12 || !lockDuringTheWait.empty()) return;
            lockDuringTheWait = drives.ReadFile(kRunLock);
            for (const std::string& keystone : {kRepaired, kRestored}) Remove(keystone + ".ldb");
        };
        const auto grow = [this](const std::string& path) { fs::resize_file(drives.Local(path), 1650ull << 20); };
        engine.onCompacted = [this, grow](const std::string& temp) {
            if (engine.calls.back().find("Keystone") != std::string::npos) grow(temp);
        };
        restore.SetObserver([this, grow](bool) {
            if (restore.Screen().busy.copyPercent == 100 && Has(kRestoreTemp)) grow(kRestoreTemp);
        });
        dialogs.onShow = [this](const MessageBoxRequest& box) {
            if (Has(kRunLock)) boxesUnderTheLock.push_back(box.text);
        };
    }
    // The records without their date, time and computer.
    std::vector<std::string> Records() const {
        std::vector<std::string> records;
        for (const std::string& line : testing::Lines(drives.ReadFile("E:\\Corvane\\Corvane.log"))) {
            records.push_back(line.substr(28));
        }
        return records;
    }
    bool Recorded(const std::string& start) const {
        return drives.ReadFile("E:\\Corvane\\Corvane.log").find(" MONITOR " + start) != std::string::npos;
    }

    RestoreModel restore{context, engine, waiter};
    DatabaseActions actions{context, engine, waiter, restore};
    std::string lockDuringTheWait;
    std::vector<std::string> boxesUnderTheLock;
};

void Repair(Venue& v) { v.actions.RepairRequest(v.window, v.progress); }
void Restore(Venue& v) {
    v.restore.Open(v.window);
    v.restore.ChooseKind(3);  // Keystone
    v.restore.ClickRow(0);
    v.dialogs.answers = {Answer::Yes};
    v.restore.ClickRestore();
}
void Unattended(Venue& v) {
    v.state = ProgramState{};
    RunUnattended(v.context, v.engine, v.waiter);
}

TEST(RunFrame, EveryKindOfRunIsFramedAlikeAndLetsItsLockGoBeforeItsBoxes) {
    const std::string limit = "Estas Bases de Datos se Acercan al Limite de 2 GB de Access:\r\rKeystone: 1650,0 MB\r";
    struct Kind {
        const char* asked;
        const char* lock;  // how the run lock names the run
        const char* work;  // Keystone's record
        const char* end;
        std::vector<std::string> boxes;  // the size warning's by its start
        void (*run)(Venue&);
    } const kinds[] = {
        {"DB REPAIR", "DB REPAIR", "Keystone: compactada", "todas las bases reparadas o compactadas",
         {"Keystone OK!\rPantry OK!\r", limit}, Repair},
        {"RESTAURAR Keystone", "RESTAURAR", "Keystone: restaurada la copia", "base restaurada",
         {"Restauramos la Base 'Keystone'?", "La Base fue Actualizada Exitosamente!", limit}, Restore},
        // Nobody watches: the boxes are records, and the size warning only one.
        {"/reparar", "/reparar", "Keystone: compactada", "todas las bases reparadas o compactadas (codigo de salida 0)",
         {}, Unattended},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.asked);
        Venue v;
        k.run(v);
        const std::vector<std::string> records = v.Records();
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records.front(), "Inicio: " + std::string(k.asked) + ", Corvane v25.0.0");
        EXPECT_EQ(records.back(), "Fin: " + std::string(k.end));
        EXPECT_TRUE(v.Recorded(k.work));
        EXPECT_TRUE(v.Recorded("Esperando Keystone: 11 s"));
        EXPECT_TRUE(v.Recorded("AVISO Keystone: 1650,0 MB, pasa de"));
        EXPECT_FALSE(v.Recorded("AVISO Pantry"));
        EXPECT_EQ(v.lockDuringTheWait.substr(0, v.lockDuringTheWait.find("\r\n2026")),
                  "MONITOR\r\n" + std::string(k.lock));
        EXPECT_TRUE(v.boxesUnderTheLock.empty()) << v.boxesUnderTheLock.front();
        EXPECT_FALSE(v.Has(kRunLock));
        ASSERT_EQ(v.dialogs.shown.size(), k.boxes.size());
        for (std::size_t i = 0; i < k.boxes.size(); ++i) {
            EXPECT_EQ(v.dialogs.shown[i].text.substr(0, k.boxes[i].size()), k.boxes[i]) << i;
        }
    }
}

TEST(RunFrame, AProgramEndingDuringTheRunClosesItsHistoryFirst) {
    struct Case {
        void (*run)(Venue&);
        const char* end;
    } const cases[] = {
        {Repair, "Fin: el programa se cerro antes de terminar"},
        {Unattended, "Fin: no se hizo nada (codigo de salida 2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.end);
        Venue v;
        v.drives.WriteFile("G:\\Shared\\Pantry abc 0000000002.mdb", "p");  // two of a kind end the program
        std::vector<std::string> atTheEnd;
        v.process.onEnd = [&] { atTheEnd = v.Records(); };
        c.run(v);
        ASSERT_FALSE(atTheEnd.empty());
        EXPECT_EQ(atTheEnd.back(), c.end);
    }
}

}  // namespace
}  // namespace corvane
