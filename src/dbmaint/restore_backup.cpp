#include "dbmaint/restore_backup.h"

#include <cstdint>
#include <string_view>

#include "app/debug_log.h"
#include "base/text.h"
#include "dbmaint/database_kinds.h"
#include "dbmaint/shared_logs.h"
#include "dbmaint/traffic_light.h"
#include "platform/file_system.h"

namespace corvane {
namespace {

constexpr const char* kLabel = "Corvane - LBLRESTOREFG_Click";
constexpr const char* kTempName = "Corvane restaurando.tmp";
constexpr const char* kReplacedFolder = "_Reemplazadas";

// The engine's header: a version number, the engine's name padded with one
// NUL, then the format's version byte.
constexpr std::string_view kSignature{"\x00\x01\x00\x00Standard Jet DB\x00", 20};
constexpr std::size_t kVersionAt = 0x14;
constexpr std::size_t kHeaderBytes = 0x20;

// Win32's numbers, so a refusal or a failure of this module's own reads
// like the system's.
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kInvalidData = 13;
constexpr unsigned long kAlreadyExists = 183;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

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

// One restore after the check and the wait. Each step that fails leaves the
// live database under its own name as it was.
class Restore {
public:
    Restore(AppContext& context, ProgressPort& progress, const std::string& backupPath, const std::string& livePath)
        : context_(context),
          files_(context.files),
          progress_(progress),
          backupPath_(backupPath),
          livePath_(livePath),
          temp_(RestoreTempPath(livePath)),
          logs_(context, livePath, "Restore") {}

    RestoreResult Run() {
        if (Status cleared = RemoveStaleTemp(); !cleared) return Failed(cleared);
        if (Status copied = CopyIntoTemp(); !copied) {
            RemoveTemp();
            return Failed(copied);
        }
        const std::string kept = KeepReplaced();
        // One rename: at every moment the database is whole under its own
        // name, the old one or the restored one, even if the program is killed.
        if (Status replaced = files_.Replace(temp_, livePath_); !replaced) {
            RemoveTemp();
            return Failed(replaced);
        }
        AppendDebugLine(context_, std::string(kLabel) + ": " + livePath_ + " restaurada desde " + backupPath_);
        return {RestoreEnd::Restored, {}, kept};
    }

private:
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

    // The database being replaced may be the only good one the venue has
    // (the backup chosen may be the wrong day's). Losing that copy is a
    // reason to say so, not to refuse the restore the technician asked for.
    //
    // A second name for the live file costs nothing and leaves the rename
    // below nothing to free; where the file system has no such names, a
    // copy. Either is made under a passing name and then renamed, so the
    // previous kept database stays until the new one is whole.
    // The kept file's path, or nothing when none could be made.
    std::string KeepReplaced() {
        const std::string kept = ReplacedCopyPath(livePath_);
        const std::string making = kept + ".nueva";
        Status keptOk = files_.CreateFolder(FolderOf(kept));
        if (!keptOk && keptOk.code == kAlreadyExists) keptOk = Status::Ok();
        if (keptOk && files_.Lookup(making) == EntryKind::File) keptOk = files_.Delete(making);
        if (keptOk && !files_.Link(livePath_, making)) keptOk = files_.Copy(livePath_, making);
        if (keptOk) keptOk = files_.Replace(making, kept);
        if (keptOk) return kept;
        Record(keptOk, kept);
        return {};
    }

    // A partial copy, or one the rename did not take, is removed now rather
    // than left for the next restore.
    void RemoveTemp() {
        if (files_.Lookup(temp_) != EntryKind::File) return;
        if (const Status removed = files_.Delete(temp_); !removed) {
            AppendDebugLine(context_, std::string(kLabel) + ": " + temp_ + " " + removed.Describe());
        }
    }

    void Record(const Status& failure, const std::string& other) {
        logs_.ToErrorLog({livePath_, kLabel, failure.Describe(), other, context_.state.computerName, kRecordEnd});
        AppendDebugLine(context_, std::string(kLabel) + ": " + livePath_ + " " + failure.where + " " +
                                      failure.Describe());
    }

    RestoreResult Failed(const Status& failure) {
        Record(failure, backupPath_);
        return {RestoreEnd::Failed, "No se Pudo Restaurar la Base\r" + livePath_ + "\r\r" + WithNumber(failure) +
                                        "\r\rLa Base Actual Quedo Como Estaba."};
    }

    AppContext& context_;
    FileSystem& files_;
    ProgressPort& progress_;
    const std::string& backupPath_;
    const std::string& livePath_;
    const std::string temp_;
    SharedLogs logs_;
};

}  // namespace

std::string RestoreTempPath(const std::string& livePath) { return JoinPath(FolderOf(livePath), kTempName); }

std::string ReplacedCopyPath(const std::string& livePath) {
    return JoinPath(JoinPath(FolderOf(livePath), kReplacedFolder), FileNameOf(livePath));
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

RestoreResult RestoreBackup(AppContext& context, Waiter& waiter, MainWindowPort& window, ProgressPort& progress,
                            const std::string& backupPath, const std::string& livePath) {
    // Nothing is waited on or touched for a file that could never be a database.
    if (const Status checked = CheckBackupFile(context.files, backupPath); !checked) {
        AppendDebugLine(context,
                        std::string(kLabel) + ": " + backupPath + " rechazada, " + OneLine(checked.Describe()));
        return {RestoreEnd::Refused, checked.text + "\r\rLa Base Actual Quedo Como Estaba."};
    }
    // The wait's first ten seconds show no line of their own.
    const RunStatus doing{RunAction::Restoring, NameInRun(livePath)};
    progress.SetStatus(doing);
    if (TrafficLight(context, waiter, window, progress, livePath, kLabel) == WaitEnd::ProgramEnding) {
        return {RestoreEnd::ProgramEnding, {}};
    }
    progress.SetStatus(doing);
    return Restore(context, progress, backupPath, livePath).Run();
}

}  // namespace corvane
