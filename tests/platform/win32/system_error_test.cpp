#include "platform/win32/system_error.h"

#include <gtest/gtest.h>

namespace corvane::win32 {
namespace {

// The shared logs put the text at the end of a record line: FormatMessage's
// CR LF would end the line twice.
TEST(SystemErrorText, EndsWithoutTheLineEnd) {
    for (const unsigned long code : {2ul, 3ul, 5ul, 32ul, 53ul, 112ul, 183ul}) {
        const std::string text = SystemErrorText(code);
        ASSERT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find_last_not_of("\r\n "), text.size() - 1) << code << ": " << text;
    }
}

// A record always has something after "Error: N | ".
TEST(SystemErrorText, AnUnknownNumberStillGetsAText) { EXPECT_FALSE(SystemErrorText(0x2FFFFFFFul).empty()); }

}  // namespace
}  // namespace corvane::win32
