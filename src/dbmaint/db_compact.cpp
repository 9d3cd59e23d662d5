#include "dbmaint/db_compact.h"

#include <array>
#include <cstdio>
#include <functional>
#include <span>
#include <vector>

#include "app/debug_log.h"
#include "app/program.h"
#include "dbmaint/database_kinds.h"
#include "dbmaint/database_size.h"
#include "dbmaint/db_password.h"
#include "dbmaint/kept_generations.h"
#include "dbmaint/run_frame.h"
#include "dbmaint/run_history.h"
#include "dbmaint/safe_swap.h"
#include "dbmaint/shared_logs.h"
#include "dbmaint/traffic_light.h"
#include "platform/dialogs.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace corvane {
namespace {

constexpr const char* kClosedWhileWaiting = "el programa se cerro durante la espera";

template <typename Order>
int FoundIn(const Order& order, const FolderScan& scan) {
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
    const LockWait wait = TrafficLight(run, path, row.label);
    const WaitEnd waited = wait.end;
    record.Waited(wait.seconds, wait.holders);
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
void Keep(DatabaseRun& run, const std::string& label, const std::string& path, SafeSwap& swap,
          Summaries& summaries) {
    const Status made = swap.Keep(KeepBy::LinkOnly);
    if (!made && !summaries.keepRefusalRecorded) {
        summaries.keepRefusalRecorded = true;
        RecordFailure(run, path, label, made, swap.Kept().Passing());
        AppendDebugLine(run.context, "DBCOMPACT40: sin copia de las bases en " + std::string(kKeptFolder) +
                                         " en esta ejecucion");
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

// An engine that is not there or repairs nothing has written nothing.
bool WroteNothing(const EngineStatus& status) {
    return status.fault == EngineFault::Unsupported || status.fault == EngineFault::Missing;
}

// A repair writes the database in place, and a repair cut short (a hang, a
// server gone) can leave it worse than it found it: a real copy is kept
// first, never a second name of the file being written, or it is not
// repaired. The copy keeps its passing name until the repair has answered,
// so an engine that repairs nothing leaves no generation behind (a run
// killed meanwhile leaves it to be named by the next).
EngineStatus RepairWithCopy(DatabaseRun& run, const std::string& path, const char* label,
                            const std::function<EngineStatus()>& repair) {
    SafeSwap copy(run.context, run.swaps, path, "", label);
    if (Status kept = copy.Keep(KeepBy::CopyOnly); !kept) return {EngineFault::Failed, kept};
    const EngineStatus repaired = repair();
    if (WroteNothing(repaired)) {
        copy.Abandon();
        return repaired;
    }
    std::string other;
    if (const Status settled = copy.Settle(other); !settled) {
        AppendDebugLine(run.context, std::string(label) + ": " + other + " " + settled.Describe());
    }
    return repaired;
}

// One compaction row, after the wait: the extra repair of KeystoneSolo, the
// room check, the compaction into the temporary file and the swap.
// Done: compacted and in place. lost receives why, when the engine was lost.
CompactEnd CompactRow(DatabaseRun& run, const KindInfo& info, const std::string& path, const std::string& temp,
                      const std::string& password, Summaries& summaries, HistoryRow& record, Status& lost) {
    AppContext& context = run.context;
    const RowTexts& row = info.compactRow;
    SafeSwap swap(context, run.swaps, path, temp, "DBCOMPACT40");
    const auto failedWith = [&](const std::string& line, const Status& failure) {
        // Whatever failed, the engine's half-made file too is ours to remove.
        swap.Abandon();
        summaries.errors += line + "\r";
        // No room is something the venue can act on: the box says how much.
        if (failure.where == "FreeSpace") summaries.errors += failure.text + "\r";
        RecordFailure(run, path, row.label, failure, temp);
        record.Failed(failure);
        return CompactEnd::Failed;
    };
    const auto failed = [&](const Status& failure) { return failedWith(row.errorText, failure); };

    if (info.kind == DbKind::KeystoneSolo) {
        // DAO 3.6 documents RepairDatabase as gone; the compaction repairs
        // too, so an engine without it must not fail this row every night.
        const EngineStatus repaired =
            RepairWithCopy(run, path, row.label, [&run, &path] { return run.engine.SecondRepairDatabase(path); });
        if (!repaired) {
            if (!WroteNothing(repaired)) return failed(repaired.status);
            AppendDebugLine(context, "DBCOMPACT40: KeystoneSolo sin reparacion previa, " +
                                         EngineErrorText(repaired.status));
        }
    }
    // The compacted file is at most the database's size, and after the swap
    // the kept second name holds the whole old database: none of it is freed.
    if (Status room = swap.Room(DatabaseSize(context.files, path).value_or(0), SwapAction::Compact); !room) {
        return failed(room);
    }
    const EngineStatus compacted =
        run.engine.CompactDatabase(path, temp, "MS Access;pwd=" + password);
    if (!compacted) {
        RecordEngineNote(run, compacted);
        failedWith(RowErrorLine(row.errorText, compacted), compacted.status);
        if (!EngineLost(compacted)) return CompactEnd::Failed;
        lost = compacted.status;
        return CompactEnd::EngineLost;
    }
    summaries.ok += std::string(row.okText) + "\r";

    // The engine drops records it finds damaged: the database as it was
    // stays in reach, kept before the swap.
    Keep(run, row.label, path, swap, summaries);
    if (Status swapped = swap.Swap(); !swapped) return failed(swapped);
    // After the swap the row has gone through whatever happens here.
    std::string other;
    if (const Status settled = swap.Settle(other); !settled) RecordFailure(run, path, row.label, settled, other);
    return CompactEnd::Done;
}

// Counts the rows in a row whose engine was lost. true: the second one, and
// the run stops after one message; the databases not reached stay untouched.
// beforeMessage shows what must come before that message, once the lock is
// let go.
bool LostTwice(DatabaseRun& run, int& lostInRow, bool lost, const Status& why,
               const std::function<void()>& beforeMessage = {}) {
    lostInRow = lost ? lostInRow + 1 : 0;
    if (lostInRow < 2) return false;
    run.frame.ReleaseLock();  // the run stops here
    if (beforeMessage) beforeMessage();
    Tell(run.context.dialogs, "ATENCION!!!",
         "El Motor de Bases de Datos se Cerro Dos Veces Seguidas Mientras Trabajaba!!!\r\r"
         "Se Detuvo Aqui: las Bases de Datos que Faltaban no se Tocaron,\r"
         "y Cada Base de Datos Sigue Entera con su Nombre.\r\r" +
             EngineErrorText(why),
         Icon::Stop);
    AppendDebugLine(run.context, "DBRepair: el motor se cerro dos veces seguidas, " + why.Describe());
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

RunResult DBCOMPACT40(DatabaseRun& run, const std::string& folder, const FolderScan& scan, CompactionRows rows) {
    AppContext& context = run.context;
    const std::span<const DbKind> order =
        rows == CompactionRows::Written ? std::span<const DbKind>(kCompactionOrder) : kFallbackCompactionOrder;
    const int total = FoundIn(order, scan);
    int place = 0;
    int lostInRow = 0;
    Summaries summaries;
    RunResult result;

    for (const DbKind kind : order) {
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

        // A compaction file an earlier run left behind must not be compacted into.
        if (Status failure = RemoveStaleTemp(context.files, temp); !failure) {
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
    if (!summaries.ok.empty()) result.closingBoxes.push_back(summaries.ok);
    if (!summaries.errors.empty()) result.closingBoxes.push_back(summaries.errors);
    return result;
}

RunResult RepairSequence(DatabaseRun& run, const FolderScan& scan) {
    AppContext& context = run.context;
    const int total = FoundIn(kRepairOrder, scan);
    int place = 0;
    int lostInRow = 0;
    RunResult result;
    // Until the engine first answers, whether this run repairs at all is
    // open: the boxes of the rows that failed before then wait, and go
    // unshown when the answer turns the run into a compaction, which gives
    // those databases their rows. Their records stay: they did fail.
    // Once it has answered, a row's box shows as the next row begins, and
    // the last row's among the run's closing boxes, after the run lock is
    // let go: a box left open there keeps no other run out.
    bool answered = false;
    std::vector<std::string> heldBoxes;
    const auto showHeld = [&] {
        for (const std::string& text : heldBoxes) Tell(context.dialogs, kAppTitle, text);
        heldBoxes.clear();
    };
    const auto rowBox = [&](const std::string& text) { heldBoxes.push_back(text); };

    for (const DbKind kind : kRepairOrder) {
        const std::string& path = scan.PathOf(kind);
        if (path.empty()) continue;
        const RowTexts& row = InfoOf(kind).repairRow;
        if (answered) showHeld();
        if (!run.waiter.StillRunning()) return {true, result.done, result.failed};
        const RunStatus doing = PlaceInRun(RunAction::Repairing, path, ++place, total);
        run.progress.SetStatus(doing);
        HistoryRow record(run.history, RunAction::Repairing, path);
        const WaitEnd waited = WaitForRow(run, path, row, record);
        if (waited == WaitEnd::ProgramEnding) return {true, result.done, result.failed};
        if (waited == WaitEnd::TimedOut) {
            ++result.failed;
            rowBox(row.errorText);
            continue;
        }
        run.progress.SetStatus(doing);
        record.Begin();
        const EngineStatus repaired =
            RepairWithCopy(run, path, row.label, [&run, &path] { return run.engine.RepairDatabase(path); });
        // Only the first answer decides: a later one of the same kind is that
        // database's failure, since earlier ones were repaired meanwhile. A
        // call that lost the engine is no answer: nothing was repaired.
        // Nothing was changed, so the deciding row leaves no record of its
        // own: the compaction run that follows gives it one.
        if (!answered && !EngineLost(repaired)) {
            if (RepairUnsupported(repaired)) {
                result.repairUnsupported = repaired.status;
                return result;
            }
            answered = true;
            showHeld();
        }
        if (repaired) {
            record.Done();
        } else {
            RecordFailure(run, path, row.label, repaired.status, "");
            record.Failed(repaired.status);
            RecordEngineNote(run, repaired);
        }
        ++(repaired ? result.done : result.failed);
        rowBox(repaired ? std::string(row.okText) : RowErrorLine(row.errorText, repaired));
        // A second loss in a row ends the run: the rows' boxes come before
        // the message that says so, both once the lock is let go.
        if (LostTwice(run, lostInRow, EngineLost(repaired), repaired.status, showHeld)) break;
    }
    run.progress.SetStatus({});
    result.closingBoxes = std::move(heldBoxes);
    return result;
}

}  // namespace corvane
