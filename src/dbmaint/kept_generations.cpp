#include "dbmaint/kept_generations.h"

#include <algorithm>
#include <cctype>

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

// The stamp of a generation's path, known to be one.
std::string StampIn(const std::string& path) {
    const std::string name = FileNameOf(path);
    return name.substr(PartsOf(name).stem.size() - kStampLength, kStampLength);
}

// One second after a stamp; two-digit years are this century's.
DateTime AfterStamp(const std::string& stamp) {
    const auto number = [&](std::size_t at) { return std::stoi(stamp.substr(at, 2)); };
    return NormalisedDateTime(2000 + number(0), number(2), number(4), number(7), number(9), number(11) + 1);
}

std::string KeptFolderOf(const std::string& livePath) { return JoinPath(FolderOf(livePath), kKeptFolder); }

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
    DateTime start = moment_;
    std::vector<std::string> existing;
    if (ListKeptGenerations(files_, livePath_, existing) && !existing.empty()) {
        const std::string newest = StampIn(existing.front());
        if (newest >= StampOf(start)) start = AfterStamp(newest);
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
    const Status linked = files_.Link(livePath_, passing_);
    if (linked || how == KeepBy::LinkOnly) return linked;
    // No second names here (a FAT disk, some network shares): a copy, on
    // the disk before the swap, or the replaced database could be lost with
    // the power.
    if (Status copied = files_.Copy(livePath_, passing_); !copied) return Undone(files_, passing_, copied);
    if (Status flushed = files_.Flush(passing_); !flushed) return Undone(files_, passing_, flushed);
    return Status::Ok();
}

Status KeptGeneration::Name() { return files_.Replace(passing_, dated_); }

Status KeptGeneration::Drop() {
    if (files_.Lookup(passing_) != EntryKind::File) return Status::Ok();
    return files_.Delete(passing_);
}

Status ListKeptGenerations(FileSystem& files, const std::string& livePath, std::vector<std::string>& paths) {
    paths.clear();
    std::vector<FileEntry> entries;
    if (Status listed = files.ListFiles(KeptFolderOf(livePath), entries); !listed) return listed;
    const NameParts live = PartsOf(FileNameOf(livePath));
    const std::string stem = UpperCase(live.stem + " ");
    const std::string extension = UpperCase(live.extension);
    std::vector<std::pair<std::string, std::string>> found;  // stamp, path
    for (const FileEntry& entry : entries) {
        // Names ignore letter case on Windows: "KEYSTONE ... .MDB" is the same database.
        const std::string name = UpperCase(entry.name);
        if (name.size() != stem.size() + kStampLength + extension.size()) continue;
        if (name.compare(0, stem.size(), stem) != 0) continue;
        if (name.compare(name.size() - extension.size(), extension.size(), extension) != 0) continue;
        const std::string stamp = name.substr(stem.size(), kStampLength);
        if (IsStamp(stamp)) found.emplace_back(stamp, entry.path);
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (auto& [stamp, path] : found) paths.push_back(std::move(path));
    return Status::Ok();
}

Status PruneKeptGenerations(FileSystem& files, const std::string& livePath) {
    std::vector<std::string> paths;
    if (Status listed = ListKeptGenerations(files, livePath, paths); !listed) return listed;
    Status first = Status::Ok();
    for (std::size_t i = kKeptGenerations; i < paths.size(); ++i) {
        if (Status removed = files.Delete(paths[i]); !removed && first) first = removed;
    }
    return first;
}

}  // namespace corvane
