#pragma once
#include <cerrno>
#include <cstddef>
#include <filesystem>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace corvane::mapped {

// File descriptors, for the calls streams do not offer: one write of a whole
// record, a lock while it is written, and a flush to the disk.
class Fd {
public:
    Fd(const std::filesystem::path& path, int flags) {
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

inline bool HeldByAnother(int error) { return error == EWOULDBLOCK || error == EAGAIN; }

}  // namespace corvane::mapped
