#include "platform/posix/windows_errors.h"

#include <cerrno>

namespace corvane::mapped {
namespace fs = std::filesystem;

namespace {

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

}  // namespace

Status Fail(unsigned long code, const char* where) { return Status::Fail(code, where, SystemText(code)); }

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

Status Unmapped(const std::string& path, const char* where) {
    return Fail(path.rfind("\\\\", 0) == 0 ? kBadNetPath : kPathNotFound, where);
}

}  // namespace corvane::mapped
