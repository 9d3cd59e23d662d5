// The bounds of the engine's calls, on a clock of the test's own: when a
// call is cancelled, how long a busy server is asked again, what the row says.
#include "platform/engine_deadline.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

constexpr long long kMinute = 60 * 1000;

TEST(EngineDeadline, EachKindOfCallHasItsBound) {
    const EngineDeadlines defaults;
    EXPECT_EQ(defaults.For(EngineCallKind::Work), 30 * kMinute) << "a compaction or a repair";
    EXPECT_EQ(defaults.For(EngineCallKind::Control), 2 * kMinute) << "creating, the version, Quit";
    EXPECT_EQ(defaults.busyMs, 10 * kMinute);
    EngineDeadlines limited;
    limited.workMs = 5 * kMinute;  // /limite:5
    EXPECT_EQ(limited.For(EngineCallKind::Work), 5 * kMinute);
    EXPECT_EQ(limited.For(EngineCallKind::Control), 2 * kMinute) << "/limite leaves the others";
}

// A call started at 1000 ms with a bound of 2 minutes and the busy bound of 10.
TEST(EngineDeadline, ACallIsCancelledAtItsBoundAndABusyServerGivenUpAtTheBusyBound) {
    struct Case {
        const char* name;
        long long at;  // ms after the start
        bool retryLater;  // the rejection's kind, for RetryDelay
        long long busyMs;
        bool expired;
        long delay;
        bool busyGaveUp;
    } const cases[] = {
        {"just started", 0, true, 10 * kMinute, false, CallDeadline::kRetryDelayMs, false},
        {"a moment before the bound", 2 * kMinute - 1, true, 10 * kMinute, false, CallDeadline::kRetryDelayMs, false},
        {"at the bound", 2 * kMinute, true, 10 * kMinute, true, -1, false},
        {"past the bound", 3 * kMinute, true, 10 * kMinute, true, -1, false},
        {"rejected for good", 0, false, 10 * kMinute, false, -1, false},
        {"busy past the busy bound", kMinute, true, kMinute, false, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CallDeadline deadline;
        deadline.Start(1000, 2 * kMinute, c.busyMs);
        EXPECT_EQ(deadline.RetryDelay(1000 + c.at, c.retryLater), c.delay);
        EXPECT_EQ(deadline.Expired(1000 + c.at), c.expired);
        EXPECT_EQ(deadline.BusyGaveUp(), c.busyGaveUp);
        deadline.Stop();
        EXPECT_EQ(deadline.Expired(1000 + 100 * kMinute), c.expired) << "a finished call expires no more";
    }
}

TEST(EngineDeadline, TheRowSaysTheBoundInMinutes) {
    struct Case {
        long long limitMs;
        bool busy;
        const char* text;
    } const cases[] = {
        {30 * kMinute, false, "el motor no respondio en 30 minutos"},
        {600 * kMinute, false, "el motor no respondio en 600 minutos"},
        {15 * 1000, false, "el motor no respondio en 1 minuto"},  // the tests' short bounds
        {2 * kMinute, true, "el motor no respondio"},
    };
    for (const Case& c : cases) {
        const EngineStatus status = NoAnswer(0x80010002, "CompactDatabase", c.limitMs, c.busy);
        EXPECT_EQ(status.fault, EngineFault::TimedOut);
        EXPECT_EQ(status.status.text, c.text);
        EXPECT_EQ(status.status.code, 0x80010002ul);
    }
}

}  // namespace
}  // namespace corvane
