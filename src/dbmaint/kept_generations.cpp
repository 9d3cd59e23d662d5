#include "dbmaint/kept_generations.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>

#include "base/text.h"

namespace corvane {
namespace {

constexpr const char* kPassingSuffix = ".nueva";
constexpr std::size_t kStampLength = 13;  // YYMMDD-HHMMSS
// Two restores of one database within one second take the next free second
// rather than one name; a minute of them would be no venue's doing.
constexpr int kNameTries = 60;

struct NameParts {
    std::string stem;
    std::string extension;  // with its dot, or ""
};

NameParts PartsOf(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos) return {fileName, ""};
    return {fileName.substr(0, dot), fileName.substr(dot)};
}

std::string StampOf(const DateTime& t) {
    return TwoDigits(t.year % 100) + TwoDigits(t.month) + TwoDigits(t.day) + "-" + TwoDigits(t.hour) +
           TwoDigits(t.minute) + TwoDigits(t.second);
}

bool IsStamp(std::string_view text) {
    if (text.size() != kStampLength) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (i == 6 ? text[i] != '-' : !digit) return false;
    }
    return true;
}

// A stamp's moment, its two-digit year in the century of now: a year more
// than one ahead of now's was written in the century before.
DateTime DateOfStamp(const std::string& stamp, const DateTime& now) {
    const auto number = [&](std::size_t at) { return std::stoi(stamp.substr(at, 2)); };
    int year = now.year / 100 * 100 + number(0);
    if (year > now.year + 1) year -= 100;
    return NormalisedDateTime(year, number(2), number(4), number(7), number(9), number(11));
}

// The stamp of a generation's path, known to be one.
std::string StampIn(const std::string& path) {
    const std::string name = FileNameOf(path);
    return name.substr(PartsOf(name).stem.size() - kStampLength, kStampLength);
}

bool Before(const DateTime& a, const DateTime& b) { return SecondsBetween(a, b) > 0; }

// "<stem> <stamp><extension>": its database's name in upper case and its
// stamp, or nothing for any other name.
bool SplitGeneration(const std::string& fileName, std::string& database, std::string& stamp) {
    const NameParts parts = PartsOf(fileName);
    if (parts.stem.size() <= kStampLength + 1) return false;
    const std::size_t at = parts.stem.size() - kStampLength;
    if (parts.stem[at - 1] != ' ' || !IsStamp(std::string_view(parts.stem).substr(at))) return false;
    stamp = parts.stem.substr(at);
    database = UpperCase(parts.stem.substr(0, at - 1) + parts.extension);
    return true;
}

bool SameBytes(FileSystem& files, const std::string& a, const std::string& b) {
    std::string head, bytesA, bytesB;
    std::uint64_t sizeA = 0, sizeB = 0;
    if (!files.ReadHead(a, 0, head, sizeA) || !files.ReadHead(b, 0, head, sizeB) || sizeA != sizeB) return false;
    // A file too big to read whole counts as different: it is kept.
    return files.ReadBytes(a, bytesA) && files.ReadBytes(b, bytesB) && bytesA == bytesB;
}

bool Taken(FileSystem& files, const std::string& path) {
    const EntryKind kind = files.Lookup(path);
    return kind == EntryKind::File || kind == EntryKind::Folder;
}

// The passing file is removed when making it failed half-way: a copy cut
// short is no kept database.
Status Undone(FileSystem& files, const std::string& passing, const Status& failure) {
    if (files.Lookup(passing) == EntryKind::File) (void)files.Delete(passing);
    return failure;
}

}  // namespace

std::string KeptFolderOf(const std::string& livePath) { return JoinPath(FolderOf(livePath), kKeptFolder); }

std::string KeptGenerationPath(const std::string& livePath, const DateTime& moment) {
    const NameParts parts = PartsOf(FileNameOf(livePath));
    return JoinPath(KeptFolderOf(livePath), parts.stem + " " + StampOf(moment) + parts.extension);
}

KeptGeneration::KeptGeneration(FileSystem& files, std::string livePath, const DateTime& moment)
    : files_(files), livePath_(std::move(livePath)), moment_(moment) {}

Status KeptGeneration::ChooseFreeNames() {
    // The new generation must be the newest by its name, or the pruning
    // after it would take it first: a clock set back (the hour repeated in
    // autumn, a time service correcting it) stamps it after the newest one.
    // A stamp more than a day ahead is a clock that was wrong, not an hour
    // repeated: following it would stamp every later generation after it.
    DateTime start = moment_;
    const DateTime tomorrow = AddDays(moment_, 1);
    std::vector<std::string> existing;
    if (ListKeptGenerations(files_, livePath_, moment_, existing)) {
        for (const std::string& path : existing) {
            const DateTime stamped = DateOfStamp(StampIn(path), moment_);
            if (Before(tomorrow, stamped)) continue;
            if (!Before(stamped, start)) start = NormalisedDateTime(stamped.year, stamped.month, stamped.day,
                                                                    stamped.hour, stamped.minute, stamped.second + 1);
            break;
        }
    }
    for (int i = 0; i < kNameTries; ++i) {
        const DateTime t =
            NormalisedDateTime(start.year, start.month, start.day, start.hour, start.minute, start.second + i);
        dated_ = KeptGenerationPath(livePath_, t);
        passing_ = dated_ + kPassingSuffix;
        if (!Taken(files_, dated_) && !Taken(files_, passing_)) return Status::Ok();
    }
    return Status::Fail(kAlreadyExists, "KeptGeneration", dated_ + " ya existe");
}

Status KeptGeneration::Make(KeepBy how) {
    if (Status folder = files_.CreateFolder(KeptFolderOf(livePath_)); !folder && folder.code != kAlreadyExists) {
        return folder;
    }
    if (Status names = ChooseFreeNames(); !names) return names;
    if (how != KeepBy::CopyOnly) {
        const Status linked = files_.Link(livePath_, passing_);
        if (linked || how == KeepBy::LinkOnly) return linked;
    }
    // No second names here (a FAT disk, some network shares), or a repair
    // about to write the file itself: a copy, on the disk before the file
    // changes, or the database as it was could be lost with the power.
    if (Status copied = files_.Copy(livePath_, passing_); !copied) return Undone(files_, passing_, copied);
    if (Status flushed = files_.Flush(passing_); !flushed) return Undone(files_, passing_, flushed);
    return Status::Ok();
}

Status KeptGeneration::Name() { return files_.Replace(passing_, dated_); }

Status KeptGeneration::Drop() {
    if (files_.Lookup(passing_) != EntryKind::File) return Status::Ok();
    return files_.Delete(passing_);
}

Status ListKeptFolder(FileSystem& files, const std::string& keptFolder, const DateTime& now,
                      std::vector<KeptFile>& kept) {
    kept.clear();
    std::vector<FileEntry> entries;
    if (Status listed = files.ListFiles(keptFolder, entries); !listed) return listed;
    for (const FileEntry& entry : entries) {
        std::string database, stamp;
        if (SplitGeneration(entry.name, database, stamp)) {
            kept.push_back({entry.path, std::move(database), DateOfStamp(stamp, now)});
        }
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const KeptFile& a, const KeptFile& b) { return Before(a.stamped, b.stamped); });
    return Status::Ok();
}

Status ListKeptGenerations(FileSystem& files, const std::string& livePath, const DateTime& now,
                           std::vector<std::string>& paths) {
    paths.clear();
    std::vector<KeptFile> kept;
    if (Status listed = ListKeptFolder(files, KeptFolderOf(livePath), now, kept); !listed) return listed;
    // Names ignore letter case on Windows: "KEYSTONE ... .MDB" is the same database.
    const std::string database = UpperCase(FileNameOf(livePath));
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
        if (it->database == database) paths.push_back(std::move(it->path));
    }
    return Status::Ok();
}

Status PruneKeptGenerations(FileSystem& files, const std::string& livePath, const DateTime& now) {
    std::vector<std::string> paths;
    if (Status listed = ListKeptGenerations(files, livePath, now, paths); !listed) return listed;
    Status first = Status::Ok();
    for (std::size_t i = kKeptGenerations; i < paths.size(); ++i) {
        if (Status removed = files.Delete(paths[i]); !removed && first) first = removed;
    }
    return first;
}

Status SettleLeftovers(FileSystem& files, const std::string& livePath, const DateTime& now,
                       std::vector<std::string>& records) {
    std::vector<FileEntry> entries;
    if (Status listed = files.ListFiles(KeptFolderOf(livePath), entries); !listed) {
        return listed.code == 2 || listed.code == 3 ? Status::Ok() : listed;  // no kept folder yet
    }
    const std::string database = UpperCase(FileNameOf(livePath));
    const std::string suffix = UpperCase(kPassingSuffix);
    std::vector<std::string> generations;
    (void)ListKeptGenerations(files, livePath, now, generations);
    Status first = Status::Ok();
    for (const FileEntry& entry : entries) {
        const std::string name = UpperCase(entry.name);
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        std::string of, stamp;
        const std::string datedName = entry.name.substr(0, entry.name.size() - suffix.size());
        if (!SplitGeneration(datedName, of, stamp) || of != database) continue;
        const auto same = std::find_if(generations.begin(), generations.end(),
                                       [&](const std::string& kept) { return SameBytes(files, entry.path, kept); });
        const std::string dated = JoinPath(FolderOf(entry.path), datedName);
        Status done = Status::Ok();
        if (same != generations.end()) {
            done = files.Delete(entry.path);
            if (done) records.push_back(entry.path + " quitada, igual a " + *same);
        } else if (Taken(files, dated)) {
            done = Status::Fail(kAlreadyExists, "KeptGeneration", dated + " ya existe");
        } else {
            done = files.Replace(entry.path, dated);
            if (done) records.push_back(entry.path + " guardada como " + dated);
        }
        if (!done && first) first = done;
    }
    return first;
}

}  // namespace corvane
