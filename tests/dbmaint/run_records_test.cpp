#include "dbmaint/run_records.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
const RunStatus kWaitedOn{RunAction::Waiting, "Keystone", 0, 0, 61, {"POS1", "POS3"}};

TEST(RunRecords, EachWayARowEnds) {
    struct Case {
        const char* what;
        RowRecord row;
        const char* text;
    } const cases[] = {
        {"done",
         {RunAction::Compacting, "Keystone", RowEnd::Done, 851863142, 671193498, 14, "", {}},
         "Keystone: compactada, 812,4 MB -> 640,1 MB (-21 %), 14 s"},
        {"done by a repair",
         {RunAction::Repairing, "Pantry", RowEnd::Done, 3 * kMiB, 3 * kMiB, 2, "", {}},
         "Pantry: reparada, 3,0 MB -> 3,0 MB (0 %), 2 s"},
        {"failed",
         {RunAction::Compacting, "Staffroll", RowEnd::Failed, std::nullopt, 2 * kMiB, 0,
          "Error: 3045 | Could not use; file already in use.", {}},
         "Staffroll: ERROR al compactar, 2,0 MB, 0 s: Error: 3045 | Could not use; file already in use."},
        {"failed, a reason of several lines kept on one",
         {RunAction::Repairing, "Festive", RowEnd::Failed, kMiB, kMiB, 3, "Error: 5 | Access is denied.\r\n", {}},
         "Festive: ERROR al reparar, 1,0 MB, 3 s: Error: 5 | Access is denied."},
        {"skipped",
         {RunAction::Compacting, "Ledgers", RowEnd::Skipped, std::nullopt, kMiB, 0,
          "el programa se cerro durante la espera", {}},
         "Ledgers: sin compactar, 1,0 MB: el programa se cerro durante la espera"},
        {"waited on, then done",
         {RunAction::Compacting, "Keystone", RowEnd::Done, kMiB, kMiB / 2, 1, "", kWaitedOn},
         "Keystone: compactada, 1,0 MB -> 0,5 MB (-50 %), 1 s, tras esperar 61 s (en uso en POS1, POS3)"},
        {"waited on a lock file that names nobody, then failed",
         {RunAction::Compacting, "Keystone", RowEnd::Failed, std::nullopt, kMiB, 0, "Error: 32 | In use.",
          {RunAction::Waiting, "Keystone", 0, 0, 14, {}}},
         "Keystone: ERROR al compactar, 1,0 MB, 0 s, tras esperar 14 s: Error: 32 | In use."},
        {"waited on, then the program closed",
         {RunAction::Repairing, "Keystone", RowEnd::Skipped, std::nullopt, kMiB, 0,
          "el programa se cerro durante la espera", kWaitedOn},
         "Keystone: sin reparar, 1,0 MB, tras esperar 61 s (en uso en POS1, POS3): el programa se cerro durante la "
         "espera"},
    };
    for (const Case& c : cases) EXPECT_EQ(RowRecordText(c.row), c.text) << c.what;
}

TEST(RunRecords, ARestoreNamesTheBackupTheDatabaseItReplacedAndTheKeptFile) {
    const std::string backup = "G:\\Shared\\_BackUps\\Pantry DEMO1 0987654321 261201-0400.mdb";
    const std::string live = "G:\\Shared\\Pantry DEMO1 0987654321.mdb";
    const std::string kept = "G:\\Shared\\_Reemplazadas\\Pantry DEMO1 0987654321 261205-094510.mdb";
    struct Case {
        const char* what;
        RestoreRecord record;
        std::string text;
    } const cases[] = {
        {"restored", {"Pantry", backup, live, kept, RestoreEnd::Restored, 2 * kMiB, ""},
         "Pantry: restaurada la copia " + backup + " sobre " + live + ", 2,0 MB; la anterior quedo guardada como " +
             kept},
        {"restored, the replaced database not kept", {"Pantry", backup, live, "", RestoreEnd::Restored, 2 * kMiB, ""},
         "Pantry: restaurada la copia " + backup + " sobre " + live + ", 2,0 MB; la anterior no se pudo guardar"},
        {"refused",
         {"Pantry", backup, live, "", RestoreEnd::Refused, kMiB,
          "La Copia esta Vacia: " + backup + "\r\rLa Base Actual Quedo Como Estaba."},
         "Pantry: copia rechazada " + backup + ": La Copia esta Vacia: " + backup +
             " La Base Actual Quedo Como Estaba."},
        {"failed",
         {"Pantry", backup, live, "", RestoreEnd::Failed, kMiB, "No se Pudo Restaurar la Base\r" + live},
         "Pantry: ERROR al restaurar la copia " + backup + " sobre " + live + ": No se Pudo Restaurar la Base " +
             live},
        {"the program closed during the wait", {"Pantry", backup, live, "", RestoreEnd::ProgramEnding, kMiB, ""},
         "Pantry: sin restaurar la copia " + backup + ": el programa se cerro durante la espera"},
    };
    for (const Case& c : cases) EXPECT_EQ(RestoreRecordText(c.record), c.text) << c.what;
}

}  // namespace
}  // namespace corvane
