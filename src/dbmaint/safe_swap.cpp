#include "dbmaint/safe_swap.h"

#include <algorithm>
#include <map>

#include "app/debug_log.h"
#include "base/text.h"
#include "dbmaint/database_kinds.h"
#include "platform/clock.h"

namespace corvane {
namespace {

// Win32's numbers, so a refusal of the swap's own reads like the system's.
constexpr unsigned long kSwapAccessDenied = 5;
constexpr unsigned long kSwapDiskFull = 112;

const char* VerbOf(SwapAction action) {
    switch (action) {
        case SwapAction::Compact: return "compactar";
        case SwapAction::Restore: return "restaurar";
        case SwapAction::KeepCopy: return "guardar una copia de";
    }
    return "";
}

bool SamePath(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }

// "G:" or "\\Monitor\G": the drive or share path starts with.
std::string VolumeOf(const std::string& path) {
    if (path.rfind("\\\\", 0) != 0) return path.substr(0, std::min<std::size_t>(path.find('\\'), path.size()));
    const std::size_t server = path.find('\\', 2);
    if (server == std::string::npos) return path;
    return path.substr(0, std::min<std::size_t>(path.find('\\', server + 1), path.size()));
}

}  // namespace

Status RemoveStaleTemp(FileSystem& files, const std::string& temp) {
    switch (files.Lookup(temp)) {
        case EntryKind::None:
        case EntryKind::Unreachable:  // the engine or the copy meets it too, and says why
            return Status::Ok();
        case EntryKind::Folder:
            // What deleting a folder as a file answers.
            return Status::Fail(kSwapAccessDenied, "Delete", temp + " es una carpeta");
        case EntryKind::File:
            return files.Delete(temp);
    }
    return Status::Ok();
}

SafeSwap::SafeSwap(AppContext& context, SwapRun& run, std::string livePath, std::string temp, std::string label)
    : context_(context),
      files_(context.files),
      run_(run),
      livePath_(std::move(livePath)),
      temp_(std::move(temp)),
      label_(std::move(label)),
      kept_(context.files, livePath_, context.clock.Now()) {}

Status SafeSwap::Room(std::uint64_t bytes, SwapAction action) {
    if (!settled_) {
        // A generation a killed run left under its passing name is named
        // first: it counts, and can go, as any other.
        settled_ = true;
        std::vector<std::string> records;
        if (const Status left = SettleLeftovers(files_, livePath_, context_.clock.Now(), records); !left) {
            Note(std::string(kKeptFolder) + ": " + left.Describe());
        }
        for (const std::string& record : records) Note(record);
    }
    const std::uint64_t need = pending_ + bytes + kRoomReserveBytes;
    std::uint64_t free = 0;
    if (Status asked = files_.FreeSpace(FolderOf(livePath_), free); !asked) return asked;
    if (free < need) {
        if (Status pruned = Pruned(need, free); !pruned) return pruned;
    }
    if (free < need) {
        return Status::Fail(kSwapDiskFull, "FreeSpace",
                            "Falta espacio en " + VolumeOf(livePath_) + " para " + VerbOf(action) + " " +
                                NameInRun(livePath_) + ": hacen falta " + MegabytesText(need) + ", hay " +
                                MegabytesText(free) + " libres");
    }
    // A kept copy is written at once; the others wait for the engine or the copy.
    if (action != SwapAction::KeepCopy) pending_ += bytes;
    return Status::Ok();
}

// Oldest first across every database kept beside this one, but never the
// newest of a database (the one way back it has) nor one this run made.
Status SafeSwap::Pruned(std::uint64_t need, std::uint64_t& free) {
    const DateTime now = context_.clock.Now();
    std::vector<KeptFile> kept;
    if (Status listed = ListKeptFolder(files_, KeptFolderOf(livePath_), now, kept); !listed) {
        return listed.code == 2 || listed.code == 3 ? Status::Ok() : listed;
    }
    std::map<std::string, std::string> newest;  // database, path; the list is oldest first
    for (const KeptFile& file : kept) newest[file.database] = file.path;
    for (const KeptFile& file : kept) {
        if (free >= need) break;
        if (newest[file.database] == file.path) continue;
        const auto& made = run_.madeThisRun;
        if (std::any_of(made.begin(), made.end(), [&](const std::string& m) { return SamePath(m, file.path); })) {
            continue;
        }
        const std::optional<std::uint64_t> size = DatabaseSize(files_, file.path);
        if (const Status removed = files_.Delete(file.path); !removed) {
            Debug(file.path + " " + removed.Describe());
            continue;
        }
        if (Status asked = files_.FreeSpace(FolderOf(livePath_), free); !asked) return asked;
        Note(file.path + " (" + MegabytesText(size) + ") quitada para hacer sitio; hay " + MegabytesText(free) +
             " libres");
    }
    return Status::Ok();
}

Status SafeSwap::Keep(KeepBy how) {
    Status made = Status::Ok();
    if (how != KeepBy::CopyOnly) made = kept_.Make(KeepBy::LinkOnly);
    if (how == KeepBy::CopyOnly || (!made && how == KeepBy::LinkOrCopy)) {
        const std::optional<std::uint64_t> size = DatabaseSize(files_, livePath_);
        if (!size) return Status::Fail(2, "KeptGeneration", livePath_);
        made = Room(*size, SwapAction::KeepCopy);
        if (made) made = kept_.Make(KeepBy::CopyOnly);
    }
    keeping_ = static_cast<bool>(made);
    if (keeping_) run_.madeThisRun.push_back(kept_.Dated());
    return made;
}

Status SafeSwap::Swap() {
    // Flushed, then one rename: at every moment the database is whole under
    // its own name, the old one or the new one, even if the program is
    // killed here or the power goes.
    Status swapped = files_.Flush(temp_);
    if (swapped) swapped = files_.Replace(temp_, livePath_);
    return swapped;
}

Status SafeSwap::Settle(std::string& other) {
    if (!keeping_) return Status::Ok();
    if (const Status named = kept_.Name(); !named) {
        other = kept_.Passing();
        return named;
    }
    // Older generations go only once the new one has its name.
    if (const Status pruned = PruneKeptGenerations(files_, livePath_, context_.clock.Now()); !pruned) {
        other = kept_.Dated();
        return pruned;
    }
    return Status::Ok();
}

void SafeSwap::Abandon() {
    // Whatever the failure (the engine's too), a temporary file is of no
    // use to the next run, and would be in its way.
    if (!temp_.empty() && files_.Lookup(temp_) == EntryKind::File) {
        if (const Status removed = files_.Delete(temp_); !removed) Debug(temp_ + " " + removed.Describe());
    }
    if (keeping_) {
        if (const Status dropped = kept_.Drop(); !dropped) Debug(kept_.Passing() + " " + dropped.Describe());
        auto& made = run_.madeThisRun;
        made.erase(std::remove(made.begin(), made.end(), kept_.Dated()), made.end());
        keeping_ = false;
    }
}

void SafeSwap::Debug(const std::string& text) { AppendDebugLine(context_, label_ + ": " + text); }

void SafeSwap::Note(const std::string& text) {
    Debug(text);
    if (run_.record) run_.record(std::string(kKeptFolder) + ": " + text);
}

}  // namespace corvane
