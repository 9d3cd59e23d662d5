#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace corvane {

// Access refuses to write past 2 GB, and a database that cannot be written
// cannot be compacted either. Three quarters of it leaves the venue time to
// act before the day it stops.
constexpr std::uint64_t kMegabyte = 1024 * 1024;
constexpr std::uint64_t kSizeWarningBytes = 1536 * kMegabyte;

// The file's size, or nothing when it cannot be opened (held without
// sharing, gone, unreachable).
std::optional<std::uint64_t> DatabaseSize(FileSystem& files, const std::string& path);

// "812,4 MB": megabytes of 1,048,576 bytes, as Windows counts them, to the
// nearest tenth with a decimal comma. A file that is not empty never reads
// "0,0 MB": that is kept for the empty file, the sign of a copy gone wrong.
// "? MB" for a size that could not be read.
std::string MegabytesText(std::optional<std::uint64_t> bytes);

// "-21 %", "+3 %", "0 %": the change from before to after, to the nearest
// whole percent. Empty when there was nothing before to compare with.
std::string ChangeText(std::uint64_t before, std::uint64_t after);

inline bool NearSizeLimit(std::uint64_t bytes) { return bytes > kSizeWarningBytes; }

}  // namespace corvane
