#include "platform/posix/mapped_file_system.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <system_error>
#include <vector>

#include "base/text.h"
#include "platform/posix/windows_errors.h"

#ifndef _WIN32
#include <sys/statvfs.h>
#endif

// The mapping of Windows paths onto folders, and the calls on folders and
// their entries; the contents of files are in mapped_file_content.cpp.
namespace corvane {
namespace fs = std::filesystem;
using namespace mapped;
namespace {

fs::path U8Path(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string U8Name(const fs::path& path) {
    const std::u8string name = path.filename().u8string();
    return std::string(name.begin(), name.end());
}

std::vector<std::string> SplitComponents(const std::string& rest) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : rest) {
        if (c == '\\' || c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The entry of folder whose name equals name but for letter case.
fs::path MatchEntry(const fs::path& folder, const std::string& name) {
    const fs::path exact = folder / U8Path(name);
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (UpperCase(U8Name(entry.path())) == UpperCase(name)) return entry.path();
    }
    return exact;
}

FileTime TicksOf(fs::file_time_type time) {
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    constexpr FileTime kUnixEpoch = 116'444'736'000'000'000;  // 1970-01-01 in ticks since 1601
    return kUnixEpoch + std::chrono::duration_cast<Ticks>(std::chrono::file_clock::to_sys(time).time_since_epoch()).count();
}

// Wine and NTFS order a folder by names compared through upper case, so "_x"
// comes after "A" and before "b"; names equal but for case keep a fixed order.
bool ListedBefore(const FileEntry& a, const FileEntry& b) {
    const std::string upperA = UpperCase(a.name), upperB = UpperCase(b.name);
    return upperA != upperB ? upperA < upperB : a.name < b.name;
}

}  // namespace

MappedFileSystem::MappedFileSystem(fs::path root) : root_(std::move(root)) {}

fs::path MappedFileSystem::Resolve(const std::string& path) const {
    fs::path base;
    std::vector<std::string> parts;
    if (path.size() >= 2 && path[1] == ':') {
        base = root_ / U8Path(Lower(path.substr(0, 1)));
        parts = SplitComponents(path.substr(2));
    } else if (path.rfind("\\\\", 0) == 0) {
        parts = SplitComponents(path.substr(2));
        if (parts.empty()) return {};
        base = root_ / "unc" / U8Path(Lower(parts.front()));
        parts.erase(parts.begin());
    } else {
        return {};
    }
    std::error_code ec;
    if (!fs::is_directory(base, ec)) return {};
    fs::path resolved = base;
    for (const std::string& part : parts) resolved = MatchEntry(resolved, part);
    return resolved;
}

EntryKind MappedFileSystem::Lookup(const std::string& path) {
    const fs::path local = Resolve(path);
    if (local.empty()) return EntryKind::Unreachable;
    std::error_code ec;
    const fs::file_status status = fs::status(local, ec);
    if (fs::is_directory(status)) return EntryKind::Folder;
    if (fs::exists(status)) return EntryKind::File;
    return EntryKind::None;
}

Status MappedFileSystem::ListFiles(const std::string& folder, std::vector<FileEntry>& files) {
    files.clear();
    const fs::path local = Resolve(folder);
    if (local.empty()) return Unmapped(folder, "FindFirstFileEx");
    std::error_code ec;
    fs::directory_iterator entries(local, ec);
    // As for the pattern folder\* on Windows: a missing folder is a missing path.
    if (ec) return Fail(ec, local / "*", "FindFirstFileEx");
    for (const fs::directory_entry& entry : entries) {
        if (entry.is_directory(ec)) continue;
        const std::string name = U8Name(entry.path());
        const fs::file_time_type written = fs::last_write_time(entry.path(), ec);
        if (ec) continue;  // deleted since the folder was read, as a lock file may be
        files.push_back({name, JoinPath(folder, name), TicksOf(written)});
    }
    std::sort(files.begin(), files.end(), ListedBefore);
    return Status::Ok();
}

Status MappedFileSystem::CreationTime(const std::string& path, FileTime& created) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Unmapped(path, "GetFileAttributesEx");
    std::error_code ec;
    const fs::file_time_type written = fs::last_write_time(local, ec);
    if (ec) return Fail(ec, local, "GetFileAttributesEx");
    created = TicksOf(written);
    return Status::Ok();
}

Status MappedFileSystem::Delete(const std::string& path) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Unmapped(path, "DeleteFile");
    std::error_code ec;
    if (fs::is_directory(local, ec)) return Fail(kAccessDenied, "DeleteFile");
    if (fs::remove(local, ec)) return Status::Ok();
    return Fail(ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory), local, "DeleteFile");
}

Status MappedFileSystem::CreateFolder(const std::string& path) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Unmapped(path, "CreateDirectory");
    std::error_code ec;
    if (fs::create_directory(local, ec)) return Status::Ok();
    return Fail(ec ? ec : std::make_error_code(std::errc::file_exists), local, "CreateDirectory");
}

Status MappedFileSystem::Replace(const std::string& from, const std::string& to) {
    const fs::path source = Resolve(from);
    if (source.empty()) return Unmapped(from, "MoveFileEx");
    const fs::path target = Resolve(to);
    if (target.empty()) return Unmapped(to, "MoveFileEx");
    std::error_code ec;
    if (!fs::exists(source, ec)) return Fail(std::make_error_code(std::errc::no_such_file_or_directory), source, "MoveFileEx");
    if (fs::is_directory(target, ec)) return Fail(kAccessDenied, "MoveFileEx");
    fs::rename(source, target, ec);
    return ec ? Fail(ec, target, "MoveFileEx") : Status::Ok();
}

Status MappedFileSystem::Link(const std::string& existing, const std::string& newName) {
    const fs::path source = Resolve(existing);
    if (source.empty()) return Unmapped(existing, "CreateHardLink");
    const fs::path target = Resolve(newName);
    if (target.empty()) return Unmapped(newName, "CreateHardLink");
    std::error_code ec;
    fs::create_hard_link(source, target, ec);
    return ec ? Fail(ec, target, "CreateHardLink") : Status::Ok();
}

Status MappedFileSystem::FreeSpace(const std::string& path, std::uint64_t& bytes) {
    fs::path local = Resolve(path);
    if (local.empty()) return Unmapped(path, "GetDiskFreeSpaceEx");
    std::error_code ec;
    if (!fs::is_directory(local, ec)) local = local.parent_path();
    if (!fs::is_directory(local, ec)) return Fail(kPathNotFound, "GetDiskFreeSpaceEx");
#ifndef _WIN32
    // The blocks an unprivileged writer may still take, as Windows answers
    // the caller's share of the volume.
    struct statvfs volume {};
    if (::statvfs(local.c_str(), &volume) != 0) {
        return FailErrno(local, "GetDiskFreeSpaceEx");
    }
    bytes = static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
#else
    const fs::space_info space = fs::space(local, ec);
    if (ec) return Fail(ec, local, "GetDiskFreeSpaceEx");
    bytes = space.available;
#endif
    return Status::Ok();
}

}  // namespace corvane
