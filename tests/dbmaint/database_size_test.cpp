#include "dbmaint/database_size.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kGiB = 1024 * kMiB;

}  // namespace
}  // namespace corvane
