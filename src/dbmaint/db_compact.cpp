#include "dbmaint/db_compact.h"

#include <array>
#include <cstdio>

#include "app/debug_log.h"
#include "app/startup.h"
#include "dbmaint/database_kinds.h"
#include "dbmaint/db_password.h"
#include "dbmaint/shared_logs.h"
#include "dbmaint/traffic_light.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"

namespace corvane {
namespace {

// Overwatch stands for its slot, which Playfield shares.
constexpr std::array<DbKind, 10> kCompactionOrder{
    DbKind::Keystone, DbKind::Staffroll, DbKind::Pantry,  DbKind::Overwatch, DbKind::Cuebay,
    DbKind::Festive,  DbKind::Patrons,   DbKind::Ledgers, DbKind::Backlog,   DbKind::KeystoneSolo,
};
constexpr std::array<DbKind, 9> kRepairOrder{
    DbKind::Keystone, DbKind::Staffroll, DbKind::Pantry,  DbKind::Overwatch, DbKind::Backlog,
    DbKind::Tollgate, DbKind::Cuebay,    DbKind::Festive, DbKind::Patrons,
};

template <std::size_t N>
int FoundIn(const std::array<DbKind, N>& order, const FolderScan& scan) {
    int found = 0;
    for (const DbKind kind : order) found += scan.PathOf(kind).empty() ? 0 : 1;
    return found;
}

std::string PlaceInRun(const char* doing, const std::string& path, int place, int total) {
    return std::string(doing) + " " + NameInRun(path) + " (" + std::to_string(place) + " de " +
           std::to_string(total) + ")";
}

// The row's boxes and summaries say only that it failed; why it failed goes
// beside the databases, where the technician finds the other records, and
// to the debug log.
void RecordFailure(DatabaseRun& run, const std::string& path, const std::string& label, const Status& failure,
                   const std::string& other) {
    AppContext& context = run.context;
    SharedLogs(context, path, "DBRepair")
        .ToErrorLog({path, label, failure.Describe(), other, context.state.computerName, kRecordEnd});
    AppendDebugLine(context, label + ": " + path + " " + failure.where + " " + failure.Describe());
}

struct Summaries {
    std::string ok;
    std::string errors;
};

enum class RowEnd { Done, Failed, EngineLost };

// The application's process ended during the call, or could not be started
// again after it had: the row failed, and two such rows in a row stop the run.
bool EngineLost(const EngineStatus& status) {
    return status.fault == EngineFault::ServerGone || status.fault == EngineFault::Missing;
}

// What a server that died in the middle of a compaction left in the
// temporary file is of no use; a copy still held goes at the next run.
void RemoveHalfMadeCopy(DatabaseRun& run, const std::string& temp) {
    FileSystem& files = run.context.files;
    if (files.Lookup(temp) != EntryKind::File) return;
    if (const Status removed = files.Delete(temp); !removed) {
        AppendDebugLine(run.context, "DBCOMPACT40: " + temp + " " + removed.Describe());
    }
}

// One compaction row, after the wait: the extra repair of KeystoneSolo, the
// compaction into the temporary file and the one-rename swap.
// lost receives why, when the engine was lost.
RowEnd CompactRow(DatabaseRun& run, const KindInfo& info, const std::string& path, const std::string& temp,
                  Summaries& summaries, Status& lost) {
    AppContext& context = run.context;
    const RowTexts& row = info.compactRow;
    const auto failed = [&](const Status& failure) {
        summaries.errors += std::string(row.errorText) + "\r";
        RecordFailure(run, path, row.label, failure, temp);
        return RowEnd::Failed;
    };

    if (info.kind == DbKind::KeystoneSolo) {
        // DAO 3.6 documents RepairDatabase as gone; the compaction repairs
        // too, so an engine without it must not fail this row every night.
        if (const EngineStatus repaired = run.engine.SecondRepairDatabase(path); !repaired) {
            if (repaired.fault != EngineFault::Missing && repaired.fault != EngineFault::Unsupported) {
                return failed(repaired.status);
            }
            AppendDebugLine(context, "DBCOMPACT40: KeystoneSolo sin reparacion previa, " +
                                         EngineErrorText(repaired.status));
        }
    }
    const EngineStatus compacted =
        run.engine.CompactDatabase(path, temp, "MS Access;pwd=" + context.state.databasePassword);
    if (!compacted) {
        failed(compacted.status);
        if (compacted.fault == EngineFault::ServerGone) RemoveHalfMadeCopy(run, temp);
        if (!EngineLost(compacted)) return RowEnd::Failed;
        lost = compacted.status;
        return RowEnd::EngineLost;
    }
    summaries.ok += std::string(row.okText) + "\r";

    // One rename: at every moment the database is whole under its own name,
    // the old one or the compacted one, even if the program is killed here.
    if (const Status swapped = context.files.Replace(temp, path); !swapped) {
        failed(swapped);
        // The old database stays; the copy would only be in the next run's way.
        if (const Status removed = context.files.Delete(temp); !removed) {
            AppendDebugLine(context, "DBCOMPACT40: " + temp + " " + removed.Describe());
        }
        return RowEnd::Failed;
    }
    return RowEnd::Done;
}

// Counts the rows in a row whose engine was lost. true: the second one, and
// the run stops after one message; the databases not reached stay untouched.
bool LostTwice(DatabaseRun& run, int& lostInRow, bool lost, const Status& why) {
    lostInRow = lost ? lostInRow + 1 : 0;
    if (lostInRow < 2) return false;
    Tell(run.context.dialogs, "ATENCION!!!",
         "El Motor de Bases de Datos se Cerro Dos Veces Seguidas Mientras Trabajaba!!!\r\r"
         "Se Detuvo Aqui: las Bases de Datos que Faltaban no se Tocaron,\r"
         "y Cada Base de Datos Sigue Entera con su Nombre.\r\r" +
             EngineErrorText(why),
         Icon::Stop);
    AppendDebugLine(run.context, "DBRepair: el motor se cerro dos veces seguidas, " + why.Describe());
    return true;
}

// A compaction file an earlier run left behind. false: it is still there
// (in use, or a folder of that name) and the row must not compact into it.
bool RemoveStaleCopy(DatabaseRun& run, const std::string& temp, Status& failure) {
    FileSystem& files = run.context.files;
    switch (files.Lookup(temp)) {
        case EntryKind::None:
        case EntryKind::Unreachable:  // the engine meets it too, and says why
            return true;
        case EntryKind::Folder:
            // Win32's "access denied", what deleting a folder as a file answers.
            failure = Status::Fail(5, "Delete", "\"" + temp + "\" es una carpeta");
            return false;
        case EntryKind::File:
            failure = files.Delete(temp);
            return static_cast<bool>(failure);
    }
    return true;
}

}  // namespace

std::string EngineErrorText(const Status& status) {
    char number[16];
    // COM's own failures read as HRESULTs; the engine's errors are small numbers.
    std::snprintf(number, sizeof number, status.code > 0xFFFF ? "0x%08lX" : "%lu", status.code);
    return std::string(number) + " | " + status.text;
}

RunResult DBCOMPACT40(DatabaseRun& run, const std::string& folder, const FolderScan& scan) {
    AppContext& context = run.context;
    const int total = FoundIn(kCompactionOrder, scan);
    int place = 0;
    int lostInRow = 0;
    Summaries summaries;
    RunResult result;

    for (const DbKind kind : kCompactionOrder) {
        const std::string& path = scan.PathOf(kind);
        if (path.empty()) continue;
        const KindInfo& info = InfoOf(kind);
        const RowTexts& row = info.compactRow;
        const std::string temp = folder + info.tempFile;
        const std::string doing = PlaceInRun("Compactando", path, ++place, total);
        run.progress.SetStatus(doing);

        if (Status failure; !RemoveStaleCopy(run, temp, failure)) {
            summaries.errors += std::string(row.errorText) + "\r";
            RecordFailure(run, path, row.label, failure, temp);
            ++result.failed;
            continue;
        }
        if (TrafficLight(context, run.waiter, run.window, run.progress, path, row.label) == WaitEnd::ProgramEnding) {
            return {true, result.done, result.failed};
        }
        if (!DBPassword(context, path)) return {true, result.done, result.failed};
        // The window cannot paint while the engine works: the line goes up first.
        run.progress.SetStatus(doing);
        Status lost;
        const RowEnd end = CompactRow(run, info, path, temp, summaries, lost);
        ++(end == RowEnd::Done ? result.done : result.failed);
        if (LostTwice(run, lostInRow, end == RowEnd::EngineLost, lost)) break;
    }

    run.progress.SetStatus("");
    if (!summaries.ok.empty()) Tell(context.dialogs, kAppTitle, summaries.ok);
    if (!summaries.errors.empty()) Tell(context.dialogs, kAppTitle, summaries.errors);
    return result;
}

RunResult RepairSequence(DatabaseRun& run, const FolderScan& scan) {
    AppContext& context = run.context;
    const int total = FoundIn(kRepairOrder, scan);
    int place = 0;
    int lostInRow = 0;
    RunResult result;

    for (const DbKind kind : kRepairOrder) {
        const std::string& path = scan.PathOf(kind);
        if (path.empty()) continue;
        const RowTexts& row = InfoOf(kind).repairRow;
        const std::string doing = PlaceInRun("Reparando", path, ++place, total);
        run.progress.SetStatus(doing);
        if (TrafficLight(context, run.waiter, run.window, run.progress, path, row.label) == WaitEnd::ProgramEnding) {
            return {true, result.done, result.failed};
        }
        run.progress.SetStatus(doing);
        const EngineStatus repaired = run.engine.RepairDatabase(path);
        if (!repaired) RecordFailure(run, path, row.label, repaired.status, "");
        ++(repaired ? result.done : result.failed);
        Tell(context.dialogs, kAppTitle, repaired ? row.okText : row.errorText);
        if (LostTwice(run, lostInRow, EngineLost(repaired), repaired.status)) break;
    }
    run.progress.SetStatus("");
    return result;
}

}  // namespace corvane
