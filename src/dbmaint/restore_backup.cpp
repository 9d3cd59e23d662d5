#include "dbmaint/restore_backup.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "app/debug_log.h"
#include "base/text.h"
#include "dbmaint/database_kinds.h"
#include "dbmaint/database_size.h"
#include "dbmaint/kept_generations.h"
#include "dbmaint/restore_discovery.h"
#include "dbmaint/safe_swap.h"
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

// Win32's number, so a refusal of this module's own reads like the system's.
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
          swap_(context, swapRun_, livePath, temp_, kLabel),
          logs_(context, livePath, "Restore") {
        swapRun_.record = [this](const std::string& text) { notes_.push_back(text); };
    }

    RestoreResult Run() {
        RestoreResult result = Steps();
        result.notes = std::move(notes_);
        return result;
    }

private:
    RestoreResult Steps() {
        if (Status cleared = RemoveStaleTemp(files_, temp_); !cleared) return Failed(cleared);
        if (Status room = swap_.Room(DatabaseSize(files_, backupPath_).value_or(0), SwapAction::Restore); !room) {
            return Failed(room);
        }
        // The database being replaced may be the only good one the venue has
        // (the backup chosen may be the wrong day's): no restore without it.
        if (Status kept = swap_.Keep(KeepBy::LinkOrCopy); !kept) {
            return Failed(kept, "No se Pudo Guardar la Base Actual en " + std::string(kKeptFolder));
        }
        Status swapped = CopyIntoTemp();
        if (swapped) swapped = swap_.Swap();
        if (!swapped) {
            swap_.Abandon();
            return Failed(swapped);
        }
        const std::string& dated = swap_.Kept().Dated();
        AppendDebugLine(context_, std::string(kLabel) + ": " + livePath_ + " restaurada desde " + backupPath_ +
                                      ", la anterior en " + dated);
        std::string note = NameAndPrune();
        // Where the replaced database stands now, for the run's history.
        const std::string keptPath = note.empty() ? dated : swap_.Kept().Passing();
        return {RestoreEnd::Restored, std::move(note), keptPath};
    }

    // After the swap nothing may undo the restore: a kept file that keeps its
    // passing name is still kept, and the user is told where.
    std::string NameAndPrune() {
        std::string other;
        const Status settled = swap_.Settle(other);
        if (settled) return "";
        Record(settled);
        if (other != swap_.Kept().Passing()) return "";
        return "La Base Anterior Quedo Guardada como\r" + other + "\r\r" + WithNumber(settled);
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

    // Every failure record names the backup: what the technician would try
    // again, whichever step failed.
    void Record(const Status& failure) {
        logs_.ToErrorLog(
            {livePath_, kLabel, failure.Describe(), backupPath_, context_.state.computerName, kRecordEnd});
        AppendDebugLine(context_, std::string(kLabel) + ": " + livePath_ + " " + failure.where + " " +
                                      failure.Describe());
    }

    RestoreResult Failed(const Status& failure, const std::string& what = "No se Pudo Restaurar la Base") {
        Record(failure);
        return {RestoreEnd::Failed, what + "\r" + livePath_ + "\r\r" + WithNumber(failure) +
                                        "\r\rLa Base Actual Quedo Como Estaba."};
    }

    AppContext& context_;
    FileSystem& files_;
    ProgressPort& progress_;
    const std::string& backupPath_;
    const std::string& livePath_;
    const std::string temp_;
    std::vector<std::string> notes_;
    SwapRun swapRun_;
    SafeSwap swap_;
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
