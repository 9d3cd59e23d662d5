#include "platform/write_all.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace corvane {
namespace {

// A write call that takes at most `chunk` bytes a call, and nothing at all
// once `stallAfter` bytes are in.
struct Writer {
    std::size_t chunk;
    std::size_t stallAfter;
    std::string written;
    int calls = 0;

    WriteStep operator()(const char* data, std::size_t size) {
        ++calls;
        const std::size_t room = stallAfter > written.size() ? stallAfter - written.size() : 0;
        const std::size_t taken = std::min({size, chunk, room});
        written.append(data, taken);
        return {true, taken, {}};
    }
};

TEST(WriteAll, OffersTheRestUntilEveryByteIsTakenAndFailsWhenAWriteTakesNothing) {
    struct Case {
        const char* what;
        std::size_t chunk;
        std::size_t stallAfter;
        bool ok;
        std::size_t written;
    } const cases[] = {
        {"one call", 100, 100, true, 10},
        {"three bytes a call", 3, 100, true, 10},
        {"a disk that takes nothing after four bytes", 3, 4, false, 4},
    };
    const std::string bytes = "0123456789";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Writer writer{c.chunk, c.stallAfter};
        const Status status = WriteAll(bytes.data(), bytes.size(), std::ref(writer), "WriteFile");
        EXPECT_EQ(static_cast<bool>(status), c.ok);
        if (!c.ok) {
            EXPECT_EQ(status.code, 112u);
        }
        EXPECT_EQ(writer.written, bytes.substr(0, c.written));
        EXPECT_LT(writer.calls, 10);
    }
}

}  // namespace
}  // namespace corvane
