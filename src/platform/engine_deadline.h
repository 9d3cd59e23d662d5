#pragma once
#include <string>

#include "platform/db_engine.h"

namespace corvane {

// Which bound an engine call runs under: the work on a database may take
// long on a large file; starting the application, reading its version and
// asking it to quit take seconds when the engine is well.
enum class EngineCallKind { Work, Control };

// How long the program lets the engine's process take before it gives up on
// a call, in milliseconds. A hung engine must never hold the night: past its
// bound the call is cancelled and the process ended.
struct EngineDeadlines {
    long long workMs = 30LL * 60 * 1000;
    long long controlMs = 2LL * 60 * 1000;
    // A server that keeps answering "busy, try later" is asked again for at
    // most this long in all, then the call is given up.
    long long busyMs = 10LL * 60 * 1000;

    long long For(EngineCallKind kind) const { return kind == EngineCallKind::Work ? workMs : controlMs; }
};

// The bound shown to people, in whole minutes; a shorter one (only the
// tests' engines get one) still reads as one minute rather than none.
inline long long DeadlineMinutes(long long limitMs) {
    const long long minutes = (limitMs + 60 * 1000 - 1) / (60 * 1000);
    return minutes < 1 ? 1 : minutes;
}

// What the row says when the engine gave no answer in time, or stayed busy
// past the busy bound.
inline EngineStatus NoAnswer(unsigned long code, const char* where, long long limitMs, bool busy) {
    std::string text = "el motor no respondio";
    if (!busy) {
        const long long minutes = DeadlineMinutes(limitMs);
        text += " en " + std::to_string(minutes) + (minutes == 1 ? " minuto" : " minutos");
    }
    return EngineStatus::Fail(EngineFault::TimedOut, code, where, std::move(text));
}

// One outgoing call's clock, on any monotonic milliseconds: when the call
// is to be cancelled, and how a rejected call is retried.
class CallDeadline {
public:
    // A busy server is asked again this often.
    static constexpr long kRetryDelayMs = 250;

    void Start(long long nowMs, long long limitMs, long long busyLimitMs) {
        start_ = nowMs;
        limit_ = limitMs;
        busyLimit_ = busyLimitMs;
        expired_ = false;
        busyGaveUp_ = false;
        running_ = true;
    }
    void Stop() { running_ = false; }

    // True once the call has run its whole bound; it stays so for the call.
    bool Expired(long long nowMs) {
        if (running_ && nowMs - start_ >= limit_) expired_ = true;
        return expired_;
    }
    // The delay before asking a server that rejected the call again, or -1
    // to give up: a rejection for good, the busy bound spent, or the call's
    // own bound passed meanwhile.
    long RetryDelay(long long nowMs, bool retryLater) {
        if (!retryLater) return -1;
        if (running_ && nowMs - start_ >= busyLimit_) {
            busyGaveUp_ = true;
            return -1;
        }
        return Expired(nowMs) ? -1 : kRetryDelayMs;
    }
    bool ExpiredSeen() const { return expired_; }
    bool BusyGaveUp() const { return busyGaveUp_; }

private:
    long long start_ = 0;
    long long limit_ = 0;
    long long busyLimit_ = 0;
    bool expired_ = false;
    bool busyGaveUp_ = false;
    bool running_ = false;
};

}  // namespace corvane
