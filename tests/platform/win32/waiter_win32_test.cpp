#include "platform/win32/waiter_win32.h"

#include <gtest/gtest.h>

#include "platform/win32/handles.h"

namespace corvane::win32 {
namespace {

constexpr UINT kPosted = WM_APP + 1;
constexpr UINT_PTR kTimer = 1;
constexpr UINT kTimerMs = 150;

// What the window does when its timer fires during a wait, and what reached it.
enum class OnTimer { PostMessage, Quit };
struct WindowLog {
    OnTimer onTimer = OnTimer::PostMessage;
    int posted = 0;
    ULONGLONG postedAt = 0;
};
WindowLog windowLog;

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        ::KillTimer(window, kTimer);
        if (windowLog.onTimer == OnTimer::Quit) {
            ::PostQuitMessage(7);
        } else {
            ::PostMessageW(window, kPosted, 0, 0);
        }
        return 0;
    }
    if (message == kPosted) {
        ++windowLog.posted;
        windowLog.postedAt = ::GetTickCount64();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window whose timer fires once, mid-wait.
UniqueWindow TimedWindow(OnTimer onTimer) {
    windowLog = WindowLog{onTimer};
    static const ATOM atom = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = LoggingProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CorvaneWaiterTest";
        return ::RegisterClassW(&windowClass);
    }();
    UniqueWindow window(::CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr));
    if (window) ::SetTimer(window.Get(), kTimer, kTimerMs, nullptr);
    return window;
}

ULONGLONG ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& t) { return ((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000; };
    return ms(kernel) + ms(user);
}

// Input mid-wait is handled when it comes, yet does not cut the second short,
// and the thread sleeps in between instead of polling.
TEST(Win32Waiter, LastsOneSecondHandlingMessagesAsTheyCome) {
    const UniqueWindow window = TimedWindow(OnTimer::PostMessage);
    ASSERT_TRUE(window);
    MessagePump pump;
    Win32Waiter waiter(pump);
    const ULONGLONG cpuBefore = ThreadCpuMs();
    const ULONGLONG start = ::GetTickCount64();

    const bool alive = waiter.WaitOneSecond();

    const ULONGLONG elapsed = ::GetTickCount64() - start;
    const ULONGLONG cpu = ThreadCpuMs() - cpuBefore;
    EXPECT_TRUE(alive);
    EXPECT_GE(elapsed, 990u);
    EXPECT_LT(elapsed, 3000u);
    EXPECT_EQ(windowLog.posted, 1);
    EXPECT_LT(windowLog.postedAt - start, 700u) << "handled only when the second was over";
    EXPECT_LT(cpu, 100u) << "the wait kept the processor busy";
}

TEST(Win32Waiter, QuitEndsTheWaitAtOnceAndStaysForTheMainLoop) {
    for (const bool duringTheWait : {false, true}) {
        SCOPED_TRACE(duringTheWait ? "DuringTheWait" : "BeforeTheWait");
        const UniqueWindow window = TimedWindow(OnTimer::Quit);
        ASSERT_TRUE(window);
        if (!duringTheWait) {
            ::KillTimer(window.Get(), kTimer);
            ::PostQuitMessage(7);
        }
        MessagePump pump;
        Win32Waiter waiter(pump);
        const ULONGLONG start = ::GetTickCount64();

        const bool alive = waiter.WaitOneSecond();

        const ULONGLONG elapsed = ::GetTickCount64() - start;
        MSG quit{};
        const bool quitQueued = ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        EXPECT_FALSE(alive);
        EXPECT_LT(elapsed, 900u);
        ASSERT_TRUE(quitQueued);
        EXPECT_EQ(quit.wParam, 7u);
    }
}

}  // namespace
}  // namespace corvane::win32
