// The contents of the mapped file system's files: copies, flushes, text
// written in the ANSI code page, reads.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <system_error>
#include <thread>
#include <vector>

#include "base/text_file.h"
#include "platform/posix/ansi_codec.h"
#include "platform/posix/fd.h"
#include "platform/posix/mapped_file_system.h"
#include "platform/posix/windows_errors.h"
#include "platform/write_all.h"

namespace corvane {
namespace fs = std::filesystem;
using namespace mapped;
namespace {

// How long an appender waits for another one to finish its record, as the
// Win32 file system does.
constexpr std::chrono::milliseconds kAppendPatience{500};
constexpr std::chrono::milliseconds kAppendRetry{10};

}  // namespace

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

Status MappedFileSystem::ReadText(const std::string& path, std::size_t count, std::string& text) {
    std::string bytes;
    std::uint64_t size = 0;
    if (Status read = ReadHead(path, count, bytes, size); !read) return read;
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
