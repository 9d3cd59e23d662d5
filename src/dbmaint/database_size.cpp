#include "dbmaint/database_size.h"

namespace corvane {

std::optional<std::uint64_t> DatabaseSize(FileSystem& files, const std::string& path) {
    std::string none;
    std::uint64_t size = 0;
    if (!files.ReadHead(path, 0, none, size)) return std::nullopt;
    return size;
}

std::string MegabytesText(std::optional<std::uint64_t> bytes) {
    if (!bytes) return "? MB";
    // Split so that no size a file system can hold overflows on the way.
    std::uint64_t tenths = *bytes / kMegabyte * 10 + (*bytes % kMegabyte * 10 + kMegabyte / 2) / kMegabyte;
    if (tenths == 0 && *bytes > 0) tenths = 1;
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " MB";
}

std::string ChangeText(std::uint64_t before, std::uint64_t after) {
    if (before == 0) return {};
    const std::uint64_t difference = after > before ? after - before : before - after;
    const std::uint64_t percent = (difference * 100 + before / 2) / before;
    if (percent == 0) return "0 %";
    return (after > before ? "+" : "-") + std::to_string(percent) + " %";
}

}  // namespace corvane
