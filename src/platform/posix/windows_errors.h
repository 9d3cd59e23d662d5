#pragma once
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/file_system.h"
#include "platform/status.h"

// The failures of the mapped file system, as the Win32 one answers them
// under Wine: Windows' numbers with an English system text.
namespace corvane::mapped {

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

Status Fail(unsigned long code, const char* where);
// What Windows answers for the same fault. A missing entry is "file not
// found" when its folder exists and "path not found" when it does not.
Status Fail(const std::error_code& ec, const std::filesystem::path& local, const char* where);
// The same, for errno after a call on a file descriptor.
Status FailErrno(const std::filesystem::path& local, const char* where);
// A drive letter with no folder is a path that is not there; a server with
// none is a network path that cannot be found.
Status Unmapped(const std::string& path, const char* where);

}  // namespace corvane::mapped
