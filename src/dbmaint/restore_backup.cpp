#include "dbmaint/restore_backup.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "app/debug_log.h"
#include "base/text.h"
#include "dbmaint/database_kinds.h"
#include "dbmaint/kept_generations.h"
#include "dbmaint/restore_discovery.h"
#include "dbmaint/shared_logs.h"
#include "dbmaint/traffic_light.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace corvane {
namespace {

constexpr const char* kLabel = "Corvane - LBLRESTOREFG_Click";
constexpr const char* kTempName = "Corvane restaurando ";

// The engine's header: a version number, the engine's name padded with one
// NUL, then the format's version byte.
constexpr std::string_view kSignature{"\x00\x01\x00\x00Standard Jet DB\x00", 20};
constexpr std::size_t kVersionAt = 0x14;
constexpr std::size_t kHeaderBytes = 0x20;

// Win32's numbers, so a refusal or a failure of this module's own reads
// like the system's.
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kInvalidData = 13;

const char* CaptionOf(int kindIndex) { return RestorableKinds()[kindIndex].caption; }

Status Refusal(const std::string& reason) { return Status::Fail(kInvalidData, "CheckBackupFile", reason); }

// The debug log keeps one record a line.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

std::string WithNumber(const Status& failure) {
    return failure.text + " (Error " + std::to_string(failure.code) + ")";
}

// Whole percents only, never backwards: the bar moves when there is
// something to show, and a system that reports a chunk twice does not
// make it jump.
class PercentShown {
public:
    explicit PercentShown(ProgressPort& progress) : progress_(progress) {}

    void Show(std::uint64_t copied, std::uint64_t total) {
        const int percent = total == 0 || copied >= total ? 100 : static_cast<int>(copied * 100 / total);
        if (percent <= shown_) return;
        shown_ = percent;
        progress_.SetCopyProgress(percent);
    }

private:
    ProgressPort& progress_;
    int shown_ = -1;
};

// One restore after the checks and the wait. Each step that fails leaves
// the live database under its own name as it was, and every kept one too.
class Restore {
public:
    Restore(AppContext& context, ProgressPort& progress, const std::string& backupPath, const std::string& livePath)
        : context_(context),
          files_(context.files),
          progress_(progress),
          backupPath_(backupPath),
          livePath_(livePath),
          temp_(RestoreTempPath(livePath, context.state.computerName)),
          kept_(context.files, livePath, context.clock.Now()),
          logs_(context, livePath, "Restore") {}

    RestoreResult Run() {
        if (Status cleared = RemoveStaleTemp(); !cleared) return Failed(cleared, backupPath_);
        // The database being replaced may be the only good one the venue has
        // (the backup chosen may be the wrong day's): no restore without it.
        if (Status kept = kept_.Make(KeepBy::LinkOrCopy); !kept) {
            return Failed(kept, kept_.Dated(), "No se Pudo Guardar la Base Actual en " + std::string(kKeptFolder));
        }
        Status swapped = CopyIntoTemp();
        if (swapped) swapped = files_.Flush(temp_);
        // One rename: at every moment the database is whole under its own
        // name, the old one or the restored one, even if the program is killed.
        if (swapped) swapped = files_.Replace(temp_, livePath_);
        if (!swapped) {
            RemoveTemp();
            if (const Status dropped = kept_.Drop(); !dropped) Note(kept_.Passing() + " " + dropped.Describe());
            return Failed(swapped, backupPath_);
        }
        AppendDebugLine(context_, std::string(kLabel) + ": " + livePath_ + " restaurada desde " + backupPath_ +
                                      ", la anterior en " + kept_.Dated());
        std::string note = NameAndPrune();
        // Where the replaced database stands now, for the run's history.
        const std::string keptPath = note.empty() ? kept_.Dated() : kept_.Passing();
        return {RestoreEnd::Restored, std::move(note), keptPath};
    }

private:
    // After the swap nothing may undo the restore: a kept file that keeps its
    // passing name is still kept, and the user is told where.
    std::string NameAndPrune() {
        if (const Status named = kept_.Name(); !named) {
            Record(named, kept_.Dated());
            return "La Base Anterior Quedo Guardada como\r" + kept_.Passing() + "\r\r" + WithNumber(named);
        }
        // Older generations go only once the new one has its name.
        if (const Status pruned = PruneKeptGenerations(files_, livePath_); !pruned) Record(pruned, kept_.Dated());
        return "";
    }

    // An interrupted restore's leftover. A folder of that name cannot be
    // copied over, and is not this program's to remove.
    Status RemoveStaleTemp() {
        switch (files_.Lookup(temp_)) {
            case EntryKind::None:
            case EntryKind::Unreachable:  // the copy meets it too, and says why
                return Status::Ok();
            case EntryKind::Folder:
                return Status::Fail(kAccessDenied, "Delete", temp_ + " es una carpeta");
            case EntryKind::File:
                return files_.Delete(temp_);
        }
        return Status::Ok();
    }

    Status CopyIntoTemp() {
        PercentShown percent(progress_);
        // Under Wine the system never reports a copy's progress: the bar at
        // least shows the copy begun and done.
        percent.Show(0, 1);
        const Status copied = files_.Copy(backupPath_, temp_, [&percent](std::uint64_t done, std::uint64_t total) {
            percent.Show(done, total);
        });
        if (copied) percent.Show(1, 1);
        return copied;
    }

    // A partial copy, or one the rename did not take, is removed now rather
    // than left for the next restore.
    void RemoveTemp() {
        if (files_.Lookup(temp_) != EntryKind::File) return;
        if (const Status removed = files_.Delete(temp_); !removed) Note(temp_ + " " + removed.Describe());
    }

    void Note(const std::string& text) { AppendDebugLine(context_, std::string(kLabel) + ": " + text); }

    void Record(const Status& failure, const std::string& other) {
        logs_.ToErrorLog({livePath_, kLabel, failure.Describe(), other, context_.state.computerName, kRecordEnd});
        Note(livePath_ + " " + failure.where + " " + failure.Describe());
    }

    RestoreResult Failed(const Status& failure, const std::string& other,
                         const std::string& what = "No se Pudo Restaurar la Base") {
        Record(failure, other);
        return {RestoreEnd::Failed, what + "\r" + livePath_ + "\r\r" + WithNumber(failure) +
                                        "\r\rLa Base Actual Quedo Como Estaba."};
    }

    AppContext& context_;
    FileSystem& files_;
    ProgressPort& progress_;
    const std::string& backupPath_;
    const std::string& livePath_;
    const std::string temp_;
    KeptGeneration kept_;
    SharedLogs logs_;
};

// A backup that names another kind than the one chosen: under Pantry the
// list shows Backlog's backups too, and a row shows only a date.
Status CheckBackupKind(int kindIndex, const std::string& backupPath) {
    const std::optional<int> named = RestorableIndexOfBackup(FileNameOf(backupPath));
    if (!named || *named == kindIndex) return Status::Ok();
    return Refusal("La Copia es de '" + std::string(CaptionOf(*named)) + "', no de '" + CaptionOf(kindIndex) +
                   "':\r" + backupPath);
}

}  // namespace

std::string RestoreTempPath(const std::string& livePath, const std::string& computer) {
    return JoinPath(FolderOf(livePath), kTempName + computer + ".tmp");
}

Status CheckBackupFile(FileSystem& files, const std::string& backupPath) {
    std::string head;
    std::uint64_t size = 0;
    if (const Status read = files.ReadHead(backupPath, kHeaderBytes, head, size); !read) {
        return Status::Fail(read.code, read.where,
                            "No se Pudo Leer la Copia: " + backupPath + "\r" + WithNumber(read));
    }
    if (size == 0) return Refusal("La Copia esta Vacia: " + backupPath);
    // A file shorter than the signature that starts like it is a database
    // cut short; anything else that differs is some other file.
    if (std::string_view(head).substr(0, kSignature.size()) != kSignature.substr(0, head.size())) {
        return Refusal("La Copia no es una Base de Datos: " + backupPath);
    }
    if (head.size() <= kVersionAt) {
        return Refusal("La Copia esta Incompleta (" + std::to_string(size) + " bytes): " + backupPath);
    }
    const auto version = static_cast<unsigned char>(head[kVersionAt]);
    if (version > 1) {
        return Refusal("La Copia tiene un formato desconocido (version " + std::to_string(version) +
                       "): " + backupPath);
    }
    const std::uint64_t page = version == 0 ? 2048 : 4096;
    if (size % page != 0) {
        return Refusal("La Copia esta Incompleta (" + std::to_string(size) +
                       " bytes no es un numero entero de paginas de " + std::to_string(page) + "): " + backupPath);
    }
    return Status::Ok();
}

RestoreResult RestoreBackup(DatabaseRun& run, int kindIndex, const std::string& backupPath,
                            const std::string& livePath) {
    AppContext& context = run.context;
    ProgressPort& progress = run.progress;
    // Nothing is waited on or touched for another kind's backup, or a file
    // that could never be a database.
    Status checked = CheckBackupKind(kindIndex, backupPath);
    if (checked) checked = CheckBackupFile(context.files, backupPath);
    if (!checked) {
        SharedLogs(context, livePath, "Restore")
            .ToErrorLog({livePath, kLabel, OneLine(checked.Describe()), backupPath, context.state.computerName,
                         kRecordEnd});
        AppendDebugLine(context,
                        std::string(kLabel) + ": " + backupPath + " rechazada, " + OneLine(checked.Describe()));
        return {RestoreEnd::Refused, checked.text + "\r\rLa Base Actual Quedo Como Estaba."};
    }
    // The wait's first ten seconds show no line of their own.
    const RunStatus doing{RunAction::Restoring, NameInRun(livePath)};
    progress.SetStatus(doing);
    if (TrafficLight(run, livePath, kLabel).end == WaitEnd::ProgramEnding) {
        return {RestoreEnd::ProgramEnding, {}};
    }
    progress.SetStatus(doing);
    return Restore(context, progress, backupPath, livePath).Run();
}

}  // namespace corvane
