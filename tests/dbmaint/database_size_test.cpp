#include "dbmaint/database_size.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kGiB = 1024 * kMiB;

TEST(DatabaseSize, MegabytesToATenthWithADecimalComma) {
    struct Case {
        const char* what;
        std::optional<std::uint64_t> bytes;
        const char* text;
    } const cases[] = {
        {"no bytes", 0, "0,0 MB"},
        {"one byte is not an empty file", 1, "0,1 MB"},
        {"under 1 MB", 300 * 1024, "0,3 MB"},
        {"just under half a tenth rounds down", kMiB + 52428, "1,0 MB"},
        {"just over half a tenth rounds up", kMiB + 52429, "1,1 MB"},
        {"the example", 851863142, "812,4 MB"},
        {"the warning size", kSizeWarningBytes, "1536,0 MB"},
        {"above 2 GB", 2 * kGiB + 100 * kMiB, "2148,0 MB"},
        {"past 4 GB, beyond 32 bits", 5 * kGiB, "5120,0 MB"},
        {"not read", std::nullopt, "? MB"},
    };
    for (const Case& c : cases) EXPECT_EQ(MegabytesText(c.bytes), c.text) << c.what;
}

}  // namespace
}  // namespace corvane
