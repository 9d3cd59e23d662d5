#include "platform/win32/waiter_win32.h"

#include <windows.h>

namespace corvane::win32 {
namespace {

constexpr ULONGLONG kOneSecondMs = 1000;

}  // namespace

bool Win32Waiter::WaitOneSecond() {
    // The tick count, not the time of day: a clock set back mid-wait must not
    // stretch the second.
    const ULONGLONG deadline = ::GetTickCount64() + kOneSecondMs;
    do {
        // The pump may come back before the deadline when input arrives.
        if (!pump_.WaitUntil(deadline)) return false;
    } while (::GetTickCount64() < deadline);
    return true;
}

bool Win32Waiter::StillRunning() {
    // A deadline already passed: what is queued is handled, nothing waited for.
    return !betweenSteps_ || pump_.WaitUntil(0);
}

}  // namespace corvane::win32
