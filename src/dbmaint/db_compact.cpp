#include "dbmaint/db_compact.h"

#include <array>
#include <cstdio>

#include "app/debug_log.h"
#include "app/startup.h"
#include "dbmaint/database_kinds.h"
#include "dbmaint/db_password.h"
#include "dbmaint/kept_generations.h"
#include "dbmaint/run_history.h"
#include "dbmaint/shared_logs.h"
#include "dbmaint/traffic_light.h"
#include "platform/dialogs.h"
#include "platform/clock.h"
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

constexpr const char* kClosedWhileWaiting = "el programa se cerro durante la espera";

template <std::size_t N>
int FoundIn(const std::array<DbKind, N>& order, const FolderScan& scan) {
    int found = 0;
    for (const DbKind kind : order) found += scan.PathOf(kind).empty() ? 0 : 1;
    return found;
}

RunStatus PlaceInRun(RunAction doing, const std::string& path, int place, int total) {
    return {doing, NameInRun(path), place, total};
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

// A database some machine keeps open all night (a till left on, a lock file
// recreated every minute): the run nobody watches fails its row and goes on.
Status StillInUse(int limitSeconds) {
    constexpr unsigned long kSharingViolation = 32;
    return Status::Fail(kSharingViolation, "TrafficLight",
                        "Sigue en uso tras " + std::to_string(limitSeconds / 60) + " minutos de espera");
}

// The wait before a row. A close request leaves the row skipped; a database
// still locked past the run's limit fails its row, with its records.
WaitEnd WaitForRow(DatabaseRun& run, const std::string& path, const RowTexts& row, HistoryRow& record) {
    const WaitEnd waited = TrafficLight(run.context, run.waiter, run.window, run.progress, path, row.label,
                                        run.waitLimitSeconds);
    if (waited == WaitEnd::ProgramEnding) {
        record.Skipped(kClosedWhileWaiting);
    } else if (waited == WaitEnd::TimedOut) {
        const Status stillInUse = StillInUse(run.waitLimitSeconds);
        RecordFailure(run, path, row.label, stillInUse, "");
        record.Failed(stillInUse);
    }
    return waited;
}

struct Summaries {
    std::string ok;
    std::string errors;
    bool keepRefusalRecorded = false;  // once a run
};

// A second name of the database about to be replaced, in _Reemplazadas. A
// copy of every database every night is not worth its time: where the file
// system has no such names, none is kept, and that is recorded once a run.
bool Keep(DatabaseRun& run, const std::string& label, const std::string& path, KeptGeneration& kept,
          Summaries& summaries) {
    const Status made = kept.Make(KeepBy::LinkOnly);
    if (!made && !summaries.keepRefusalRecorded) {
        summaries.keepRefusalRecorded = true;
        RecordFailure(run, path, label, made, kept.Passing());
        AppendDebugLine(run.context, "DBCOMPACT40: sin copia de las bases en " + std::string(kKeptFolder) +
                                         " en esta ejecucion");
    }
    return static_cast<bool>(made);
}

// After the swap the row has gone through whatever happens here.
void NameKept(DatabaseRun& run, const std::string& label, const std::string& path, KeptGeneration& kept) {
    if (const Status named = kept.Name(); !named) {
        RecordFailure(run, path, label, named, kept.Passing());
        return;
    }
    if (const Status pruned = PruneKeptGenerations(run.context.files, path); !pruned) {
        RecordFailure(run, path, label, pruned, kept.Dated());
    }
}

enum class CompactEnd { Done, Failed, EngineLost };

// The application's process ended during the call, gave no answer in time
// (and was ended), or could not be started again after it had: the row
// failed, and two such rows in a row stop the run.
bool EngineLost(const EngineStatus& status) {
    return status.fault == EngineFault::ServerGone || status.fault == EngineFault::Missing ||
           status.fault == EngineFault::TimedOut;
}

// A row whose engine gave no answer says so in its box, with the bound; the
// other failures keep their written line.
std::string RowErrorLine(const char* errorText, const EngineStatus& status) {
    if (status.fault != EngineFault::TimedOut) return errorText;
    return std::string(errorText) + " " + status.status.text;
}

// Whatever ending the engine's process left to say (no process found, an
// end refused) goes where the technician looks.
void RecordEngineNote(DatabaseRun& run, const EngineStatus& status) {
    if (status.note.empty()) return;
    AppendDebugLine(run.context, "DBRepair: " + status.note);
    run.history.Note(status.note);
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
// Done: compacted and in place. lost receives why, when the engine was lost.
CompactEnd CompactRow(DatabaseRun& run, const KindInfo& info, const std::string& path, const std::string& temp,
                      const std::string& password, Summaries& summaries, HistoryRow& record, Status& lost) {
    AppContext& context = run.context;
    const RowTexts& row = info.compactRow;
    const auto failed = [&](const Status& failure) {
        summaries.errors += std::string(row.errorText) + "\r";
        RecordFailure(run, path, row.label, failure, temp);
        record.Failed(failure);
        return CompactEnd::Failed;
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
        run.engine.CompactDatabase(path, temp, "MS Access;pwd=" + password);
    if (!compacted) {
        summaries.errors += RowErrorLine(row.errorText, compacted) + "\r";
        RecordFailure(run, path, row.label, compacted.status, temp);
        record.Failed(compacted.status);
        RecordEngineNote(run, compacted);
        // The engine wrote only the temporary file; the database is whole.
        if (compacted.fault == EngineFault::ServerGone || compacted.fault == EngineFault::TimedOut) {
            RemoveHalfMadeCopy(run, temp);
        }
        if (!EngineLost(compacted)) return CompactEnd::Failed;
        lost = compacted.status;
        return CompactEnd::EngineLost;
    }
    summaries.ok += std::string(row.okText) + "\r";

    // The engine drops records it finds damaged: the database as it was
    // stays in reach, kept before the swap.
    KeptGeneration kept(context.files, path, context.clock.Now());
    const bool keeping = Keep(run, row.label, path, kept, summaries);

    // Flushed, then one rename: at every moment the database is whole under
    // its own name, the old one or the compacted one, even if the program is
    // killed here or the power goes.
    Status swapped = context.files.Flush(temp);
    if (swapped) swapped = context.files.Replace(temp, path);
    if (!swapped) {
        failed(swapped);
        // The old database stays; the copy would only be in the next run's way.
        if (const Status removed = context.files.Delete(temp); !removed) {
            AppendDebugLine(context, "DBCOMPACT40: " + temp + " " + removed.Describe());
        }
        if (keeping) {
            if (const Status dropped = kept.Drop(); !dropped) {
                AppendDebugLine(context, "DBCOMPACT40: " + kept.Passing() + " " + dropped.Describe());
            }
        }
        return CompactEnd::Failed;
    }
    if (keeping) NameKept(run, row.label, path, kept);
    return CompactEnd::Done;
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

bool RepairUnsupported(const EngineStatus& firstRepair) {
    return firstRepair.fault == EngineFault::Unsupported;
}

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
        // A close request that came during the last engine call ends the run here.
        if (!run.waiter.StillRunning()) return {true, result.done, result.failed};
        const RunStatus doing = PlaceInRun(RunAction::Compacting, path, ++place, total);
        run.progress.SetStatus(doing);
        HistoryRow record(run.history, RunAction::Compacting, path);

        if (Status failure; !RemoveStaleCopy(run, temp, failure)) {
            summaries.errors += std::string(row.errorText) + "\r";
            RecordFailure(run, path, row.label, failure, temp);
            record.Failed(failure);
            ++result.failed;
            continue;
        }
        const WaitEnd waited = WaitForRow(run, path, row, record);
        if (waited == WaitEnd::ProgramEnding) return {true, result.done, result.failed};
        if (waited == WaitEnd::TimedOut) {
            summaries.errors += std::string(row.errorText) + "\r";
            ++result.failed;
            continue;
        }
        const std::optional<std::string> password = DBPassword(context, path);
        if (!password) return {true, result.done, result.failed};
        // The window cannot paint while the engine works: the line goes up first.
        run.progress.SetStatus(doing);
        record.Begin();
        Status lost;
        const CompactEnd end = CompactRow(run, info, path, temp, *password, summaries, record, lost);
        if (end == CompactEnd::Done) record.Done();
        ++(end == CompactEnd::Done ? result.done : result.failed);
        if (LostTwice(run, lostInRow, end == CompactEnd::EngineLost, lost)) break;
    }

    run.progress.SetStatus({});
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
        if (!run.waiter.StillRunning()) return {true, result.done, result.failed};
        const RunStatus doing = PlaceInRun(RunAction::Repairing, path, ++place, total);
        run.progress.SetStatus(doing);
        HistoryRow record(run.history, RunAction::Repairing, path);
        const WaitEnd waited = WaitForRow(run, path, row, record);
        if (waited == WaitEnd::ProgramEnding) return {true, result.done, result.failed};
        if (waited == WaitEnd::TimedOut) {
            ++result.failed;
            Tell(context.dialogs, kAppTitle, row.errorText);
            continue;
        }
        run.progress.SetStatus(doing);
        record.Begin();
        const EngineStatus repaired = run.engine.RepairDatabase(path);
        // Only the first answer decides: a later one of the same kind is that
        // database's failure, since earlier ones were repaired meanwhile.
        // Nothing was changed, so the row leaves no record of its own: the
        // compaction run that follows gives it one.
        if (place == 1 && RepairUnsupported(repaired)) {
            result.repairUnsupported = repaired.status;
            return result;
        }
        if (repaired) {
            record.Done();
        } else {
            RecordFailure(run, path, row.label, repaired.status, "");
            record.Failed(repaired.status);
            RecordEngineNote(run, repaired);
        }
        ++(repaired ? result.done : result.failed);
        Tell(context.dialogs, kAppTitle, repaired ? row.okText : RowErrorLine(row.errorText, repaired));
        if (LostTwice(run, lostInRow, EngineLost(repaired), repaired.status)) break;
    }
    run.progress.SetStatus({});
    return result;
}

}  // namespace corvane
