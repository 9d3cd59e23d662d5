// The held file of the mapped file system. Linux has no sharing modes: a
// hold is an exclusive flock, which another hold (in this process or any
// other) cannot take; readers are never kept out. On Windows, where only
// the core's tests use this class, holds are kept apart within the process.
#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>

#include <mutex>
#include <set>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

#include "base/text.h"
#include "platform/posix/mapped_file_system.h"
#include "platform/posix/windows_errors.h"

namespace corvane {
namespace fs = std::filesystem;
using namespace mapped;
namespace {

Status HoldFailure(int error, const char* where) {
    // The file is created when missing: a missing entry is its folder.
    if (error == ENOENT || error == ENOTDIR) return Fail(kPathNotFound, where);
    if (error == EACCES || error == EPERM || error == EISDIR || error == EROFS) return Fail(kAccessDenied, where);
    return Fail(kGenFailure, where);
}

#ifdef _WIN32
std::mutex gHeldLock;
std::set<std::string> gHeld;  // lower-cased local paths
#endif

class MappedHeldFile : public HeldFile {
public:
    MappedHeldFile(int fd, fs::path local, std::string key) : fd_(fd), local_(std::move(local)), key_(std::move(key)) {}
    MappedHeldFile(const MappedHeldFile&) = delete;
    MappedHeldFile& operator=(const MappedHeldFile&) = delete;

    ~MappedHeldFile() override {
#ifdef _WIN32
        ::_close(fd_);
        std::error_code ignored;
        fs::remove(local_, ignored);
        const std::lock_guard<std::mutex> guard(gHeldLock);
        gHeld.erase(key_);
#else
        // Removed only while the name is still this file's: with the lock
        // let go, a later holder may have put a new file there.
        struct stat named {}, mine {};
        if (::stat(local_.c_str(), &named) == 0 && ::fstat(fd_, &mine) == 0 && named.st_ino == mine.st_ino &&
            named.st_dev == mine.st_dev) {
            ::unlink(local_.c_str());
        }
        ::close(fd_);
#endif
    }

    Status Read(std::size_t count, std::string& bytes) override {
        if (Seek() < 0) return HoldFailure(errno, "SetFilePointer");
        bytes.assign(count, '\0');
        std::size_t filled = 0;
        while (filled < count) {
            const long read = Read(bytes.data() + filled, count - filled);
            if (read < 0) return HoldFailure(errno, "ReadFile");
            if (read == 0) break;
            filled += static_cast<std::size_t>(read);
        }
        bytes.resize(filled);
        return Status::Ok();
    }

    Status Rewrite(const std::string& bytes) override {
        if (Seek() < 0) return HoldFailure(errno, "SetFilePointer");
#ifdef _WIN32
        if (::_chsize(fd_, 0) != 0) return HoldFailure(errno, "SetEndOfFile");
        const long written = ::_write(fd_, bytes.data(), static_cast<unsigned>(bytes.size()));
        const bool synced = ::_commit(fd_) == 0;
#else
        if (::ftruncate(fd_, 0) != 0) return HoldFailure(errno, "SetEndOfFile");
        const long written = static_cast<long>(::write(fd_, bytes.data(), bytes.size()));
        const bool synced = ::fsync(fd_) == 0;
#endif
        if (written < 0) return HoldFailure(errno, "WriteFile");
        if (static_cast<std::size_t>(written) != bytes.size()) return Fail(kDiskFull, "WriteFile");
        if (!synced) return HoldFailure(errno, "FlushFileBuffers");
        return Status::Ok();
    }

private:
#ifdef _WIN32
    long Seek() { return ::_lseek(fd_, 0, SEEK_SET); }
    long Read(char* into, std::size_t count) { return ::_read(fd_, into, static_cast<unsigned>(count)); }
#else
    long Seek() { return static_cast<long>(::lseek(fd_, 0, SEEK_SET)); }
    long Read(char* into, std::size_t count) { return static_cast<long>(::read(fd_, into, count)); }
#endif

    int fd_;
    fs::path local_;
    std::string key_;
};

}  // namespace

Status MappedFileSystem::Hold(const std::string& path, std::unique_ptr<HeldFile>& held) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Unmapped(path, "CreateFile");
#ifdef _WIN32
    const std::u8string name = local.u8string();
    const std::string key = UpperCase(std::string(name.begin(), name.end()));
    const std::lock_guard<std::mutex> guard(gHeldLock);
    if (gHeld.count(key) != 0) return Fail(kSharingViolation, "CreateFile");
    const int fd = ::_wopen(local.c_str(), _O_RDWR | _O_CREAT | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) return HoldFailure(errno, "CreateFile");
    gHeld.insert(key);
    held = std::make_unique<MappedHeldFile>(fd, local, key);
    return Status::Ok();
#else
    // A holder letting go removes the name before it closes: a file opened
    // just then is locked in vain, and is opened again under the new name.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(local.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return HoldFailure(errno, "CreateFile");
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? Fail(kSharingViolation, "CreateFile") : HoldFailure(error, "CreateFile");
        }
        struct stat named {}, mine {};
        if (::stat(local.c_str(), &named) == 0 && ::fstat(fd, &mine) == 0 && named.st_ino == mine.st_ino &&
            named.st_dev == mine.st_dev) {
            held = std::make_unique<MappedHeldFile>(fd, local, std::string());
            return Status::Ok();
        }
        ::close(fd);
    }
    return Fail(kSharingViolation, "CreateFile");
#endif
}

}  // namespace corvane
