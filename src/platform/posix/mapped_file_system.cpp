#include "platform/posix/mapped_file_system.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

#include "base/text.h"
#include "base/text_file.h"
#include "platform/posix/ansi_codec.h"
#include "platform/write_all.h"

namespace corvane {
namespace fs = std::filesystem;
namespace {

// The Windows error numbers the Win32 file system answers with.
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kNotSameDevice = 17;
constexpr unsigned long kGenFailure = 31;
constexpr unsigned long kSharingViolation = 32;
constexpr unsigned long kBadNetPath = 53;
constexpr unsigned long kDiskFull = 112;
constexpr unsigned long kDirNotEmpty = 145;
constexpr unsigned long kAlreadyExists = 183;

// How long an appender waits for another one to finish its record, as the
// Win32 file system does.
constexpr std::chrono::milliseconds kAppendPatience{500};
constexpr std::chrono::milliseconds kAppendRetry{10};

const char* SystemText(unsigned long code) {
    switch (code) {
        case kFileNotFound: return "The system cannot find the file specified.";
        case kPathNotFound: return "The system cannot find the path specified.";
        case kAccessDenied: return "Access is denied.";
        case kNotSameDevice: return "The system cannot move the file to a different disk drive.";
        case kSharingViolation:
            return "The process cannot access the file because it is being used by another process.";
        case kBadNetPath: return "The network path was not found.";
        case kDiskFull: return "There is not enough space on the disk.";
        case kDirNotEmpty: return "The directory is not empty.";
        case kAlreadyExists: return "Cannot create a file when that file already exists.";
        default: return "A device attached to the system is not functioning.";
    }
}

Status Fail(unsigned long code, const char* where) { return Status::Fail(code, where, SystemText(code)); }

// What Windows answers for the same fault. A missing entry is "file not
// found" when its folder exists and "path not found" when it does not.
Status Fail(const std::error_code& ec, const fs::path& local, const char* where) {
    std::error_code ignored;
    if (ec == std::errc::no_such_file_or_directory) {
        return Fail(fs::is_directory(local.parent_path(), ignored) ? kFileNotFound : kPathNotFound, where);
    }
    if (ec == std::errc::not_a_directory) return Fail(kPathNotFound, where);
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
        ec == std::errc::is_a_directory || ec == std::errc::read_only_file_system) {
        return Fail(kAccessDenied, where);
    }
    if (ec == std::errc::file_exists) return Fail(kAlreadyExists, where);
    if (ec == std::errc::no_space_on_device) return Fail(kDiskFull, where);
    if (ec == std::errc::cross_device_link) return Fail(kNotSameDevice, where);
    if (ec == std::errc::directory_not_empty) return Fail(kDirNotEmpty, where);
    if (ec == std::errc::device_or_resource_busy || ec == std::errc::text_file_busy) {
        return Fail(kSharingViolation, where);
    }
    return Fail(kGenFailure, where);
}

Status FailErrno(const fs::path& local, const char* where) {
    return Fail(std::error_code(errno, std::generic_category()), local, where);
}

// A drive letter with no folder is a path that is not there; a server with
// none is a network path that cannot be found.
Status Unmapped(const std::string& path, const char* where) {
    return Fail(path.rfind("\\\\", 0) == 0 ? kBadNetPath : kPathNotFound, where);
}

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

// File descriptors, for the calls streams do not offer: one write of a whole
// record, a lock while it is written, and a flush to the disk.
class Fd {
public:
    Fd(const fs::path& path, int flags) {
#ifdef _WIN32
        fd_ = ::_wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
#else
        fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
#endif
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
#ifdef _WIN32
        if (fd_ >= 0) ::_close(fd_);
#else
        if (fd_ >= 0) ::close(fd_);
#endif
    }
    explicit operator bool() const { return fd_ >= 0; }

    long Read(char* buffer, unsigned size) {
#ifdef _WIN32
        return ::_read(fd_, buffer, size);
#else
        return static_cast<long>(::read(fd_, buffer, size));
#endif
    }
    long Write(const char* data, std::size_t size) {
#ifdef _WIN32
        return ::_write(fd_, data, static_cast<unsigned>(size));
#else
        return static_cast<long>(::write(fd_, data, size));
#endif
    }
    bool Sync() {
#ifdef _WIN32
        return ::_commit(fd_) == 0;
#else
        return ::fsync(fd_) == 0;
#endif
    }
    // Mirrors the Win32 appender's missing write sharing: true when this is
    // now the only writer, false with errno set when another one holds it.
    bool TryLockExclusive() {
#ifdef _WIN32
        // Only the core's tests use this class on Windows, one writer at a time.
        return true;
#else
        return ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
#endif
    }

private:
    int fd_ = -1;
};

bool HeldByAnother(int error) { return error == EWOULDBLOCK || error == EAGAIN; }

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

Status MappedFileSystem::Copy(const std::string& from, const std::string& to, const CopyProgress& progress) {
    const fs::path source = Resolve(from);
    if (source.empty()) return Unmapped(from, "CopyFileEx");
    const fs::path target = Resolve(to);
    if (target.empty()) return Unmapped(to, "CopyFileEx");
    std::error_code ec;
    if (fs::is_directory(source, ec)) return Fail(kAccessDenied, "CopyFileEx");
    // Windows keeps the source open without write sharing while it copies.
    if (fs::equivalent(source, target, ec)) return Fail(kSharingViolation, "CopyFileEx");

    Fd in(source, O_RDONLY);
    if (!in) return FailErrno(source, "CopyFileEx");
    Fd out(target, O_WRONLY | O_CREAT | O_TRUNC);
    if (!out) return FailErrno(target, "CopyFileEx");
    std::vector<char> buffer(1 << 16);
    std::uint64_t copied = 0;
    for (;;) {
        const long read = in.Read(buffer.data(), static_cast<unsigned>(buffer.size()));
        if (read < 0) return FailErrno(source, "CopyFileEx");
        if (read == 0) break;
        const Status wrote = WriteAll(buffer.data(), static_cast<std::size_t>(read), [&](const char* data, std::size_t size) {
            const long written = out.Write(data, size);
            if (written < 0) return WriteStep{false, 0, FailErrno(target, "CopyFileEx")};
            return WriteStep{true, static_cast<std::size_t>(written), {}};
        }, "CopyFileEx");
        if (!wrote) return wrote;
        copied += static_cast<std::uint64_t>(read);
    }
    if (progress) progress(copied, copied);
    return Status::Ok();
}

Status MappedFileSystem::Flush(const std::string& path) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Unmapped(path, "CreateFile");
    std::error_code ec;
    if (fs::is_directory(local, ec)) return Fail(kAccessDenied, "CreateFile");
    Fd file(local, O_WRONLY);
    if (!file) return FailErrno(local, "CreateFile");
    if (!file.Sync()) return FailErrno(local, "FlushFileBuffers");
    return Status::Ok();
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

Status MappedFileSystem::WriteText(const std::string& path, const std::string& text) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Unmapped(path, "CreateFile");
    std::error_code ec;
    if (fs::is_directory(local, ec)) return Fail(kAccessDenied, "CreateFile");
    std::ofstream out(local, std::ios::binary | std::ios::trunc);
    if (!out) return Fail(fs::is_directory(local.parent_path(), ec) ? kAccessDenied : kPathNotFound, "CreateFile");
    out << Utf8ToCp1252(text);
    out.flush();
    return out ? Status::Ok() : Fail(kDiskFull, "WriteFile");
}

Status MappedFileSystem::AppendText(const std::string& path, const std::string& text) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Unmapped(path, "CreateFile");
    Fd file(local, O_WRONLY | O_APPEND | O_CREAT);
    if (!file) return FailErrno(local, "CreateFile");
    // As on Windows: another writer holding the log is waited for a short while.
    const auto deadline = std::chrono::steady_clock::now() + kAppendPatience;
    while (!file.TryLockExclusive()) {
        if (!HeldByAnother(errno)) return FailErrno(local, "CreateFile");
        if (std::chrono::steady_clock::now() >= deadline) return Fail(kSharingViolation, "CreateFile");
        std::this_thread::sleep_for(kAppendRetry);
    }
    const std::string record = Utf8ToCp1252(text);
    const long written = file.Write(record.data(), record.size());
    if (written < 0) return FailErrno(local, "WriteFile");
    if (static_cast<std::size_t>(written) != record.size()) return Fail(kDiskFull, "WriteFile");
    return Status::Ok();
}

Status MappedFileSystem::ReadText(const std::string& path, std::string& text) {
    std::string bytes;
    if (Status read = ReadBytes(path, bytes); !read) return read;
    text = DecodeTextFile(bytes, Cp1252ToUtf8);
    return Status::Ok();
}

Status MappedFileSystem::ReadBytes(const std::string& path, std::string& bytes) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Unmapped(path, "CreateFile");
    Fd file(local, O_RDONLY);
    if (!file) return FailErrno(local, "CreateFile");
    bytes.clear();
    char buffer[1 << 16];
    for (;;) {
        const long read = file.Read(buffer, sizeof buffer);
        if (read < 0) return FailErrno(local, "ReadFile");  // a folder answers "access denied" here
        if (read == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(read));
    }
    return Status::Ok();
}

Status MappedFileSystem::ReadHead(const std::string& path, std::size_t count, std::string& bytes, std::uint64_t& size) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Unmapped(path, "CreateFile");
    Fd file(local, O_RDONLY);
    if (!file) return FailErrno(local, "CreateFile");
    std::error_code ec;
    const std::uintmax_t length = fs::file_size(local, ec);
    if (ec) return Fail(ec, local, "GetFileSizeEx");  // a folder answers "access denied" here
    size = length;
    bytes.assign(static_cast<std::size_t>(std::min<std::uintmax_t>(count, length)), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const long read = file.Read(bytes.data() + filled, static_cast<unsigned>(bytes.size() - filled));
        if (read < 0) return FailErrno(local, "ReadFile");
        if (read == 0) break;
        filled += static_cast<std::size_t>(read);
    }
    bytes.resize(filled);
    return Status::Ok();
}

}  // namespace corvane
