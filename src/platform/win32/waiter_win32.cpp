#include "platform/win32/waiter_win32.h"

#include <windows.h>

namespace corvane::win32 {
namespace {

constexpr ULONGLONG kOneSecondMs = 1000;

}  // namespace

bool Win32Waiter::WaitOneSecond() {
    // The tick count, not the time of day: a clock set back mid-wait must not
    // stretch the second. The pump handles input as it comes and returns only
    // at the deadline, or at once when it takes WM_QUIT.
    return pump_.WaitUntil(::GetTickCount64() + kOneSecondMs);
}

bool Win32Waiter::StillRunning() {
    // A deadline already passed: what is queued is handled, nothing waited for.
    return !betweenSteps_ || pump_.WaitUntil(0);
}

}  // namespace corvane::win32
