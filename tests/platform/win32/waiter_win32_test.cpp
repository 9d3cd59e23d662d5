#include "platform/win32/waiter_win32.h"

#include <gtest/gtest.h>

#include "platform/win32/handles.h"

namespace corvane::win32 {
namespace {

constexpr UINT kPosted = WM_APP + 1;

// What reached the window during a wait: its timer fires once, mid-wait, and
// posts either a message to the window or WM_QUIT.
struct {
    bool quit = false;
    int posted = 0;
    ULONGLONG postedAt = 0;
} windowLog;

LRESULT CALLBACK TimedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        ::KillTimer(window, 1);
        if (windowLog.quit) {
            ::PostQuitMessage(7);
        } else {
            ::PostMessageW(window, kPosted, 0, 0);
        }
        return 0;
    }
    if (message != kPosted) return ::DefWindowProcW(window, message, wParam, lParam);
    ++windowLog.posted;
    windowLog.postedAt = ::GetTickCount64();
    return 0;
}

// A message-only window whose timer fires 150 ms into the wait.
UniqueWindow TimedWindow(bool quit) {
    windowLog = {quit};
    static const ATOM atom = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = TimedProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CorvaneWaiterTest";
        return ::RegisterClassW(&windowClass);
    }();
    UniqueWindow window(::CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr));
    if (window) ::SetTimer(window.Get(), 1, 150, nullptr);
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
    const UniqueWindow window = TimedWindow(false);
    ASSERT_TRUE(window);
    MessagePump pump;
    Win32Waiter waiter(pump);
    const ULONGLONG cpuBefore = ThreadCpuMs();
    const ULONGLONG start = ::GetTickCount64();

    EXPECT_TRUE(waiter.WaitOneSecond());

    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_GE(elapsed, 990u);
    EXPECT_LT(elapsed, 3000u);
    EXPECT_EQ(windowLog.posted, 1);
    EXPECT_LT(windowLog.postedAt - start, 700u) << "handled only when the second was over";
    EXPECT_LT(ThreadCpuMs() - cpuBefore, 100u) << "the wait kept the processor busy";
}

TEST(Win32Waiter, QuitEndsTheWaitAtOnceAndStaysForTheMainLoop) {
    const UniqueWindow window = TimedWindow(true);
    ASSERT_TRUE(window);
    MessagePump pump;
    Win32Waiter waiter(pump);
    const ULONGLONG start = ::GetTickCount64();

    EXPECT_FALSE(waiter.WaitOneSecond());

    EXPECT_LT(::GetTickCount64() - start, 900u);
    MSG quit{};
    ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
}

}  // namespace
}  // namespace corvane::win32
