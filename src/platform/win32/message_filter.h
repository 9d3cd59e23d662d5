#pragma once
#include <windows.h>
#include <ole2.h>

#include <functional>

#include "platform/engine_deadline.h"
#include "platform/win32/handles.h"

namespace corvane::win32 {

// The clock calls are bounded on: monotonic milliseconds.
inline long long TickNow() { return static_cast<long long>(::GetTickCount64()); }

// While a call to the engine's process runs, COM's own loop waits for its
// answer and handles few of this thread's messages. This filter keeps the
// program alive in that loop as far as COM lets it: windows repaint, a close
// request (WM_CLOSE, the close command, Alt+F4) reaches its window and so
// ends the program, and a call the server is too busy to take now is tried
// again. A bounded call (Bound) is cancelled at its deadline, and a busy
// server is given up on past the busy bound.
class CallMessageFilter final : public IMessageFilter {
public:
    CallMessageFilter() = default;
    CallMessageFilter(const CallMessageFilter&) = delete;
    CallMessageFilter& operator=(const CallMessageFilter&) = delete;

    // Outlives its registration (see ScopedMessageFilter): counting is moot.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount,
                                               LPINTERFACEINFO info) override;
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount, DWORD rejectType) override;
    DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) override;

    // The call under way is held to deadline (on GetTickCount64) until
    // Unbound; ticks is the window whose messages wake COM's loop meanwhile.
    // atDeadline runs once when the deadline passes, before the call is
    // cancelled: under Wine 8 the cancel is not honoured (measured), and only
    // the server's end brings the call back.
    void Bound(CallDeadline& deadline, HWND ticks, std::function<void()> atDeadline = {}) {
        deadline_ = &deadline;
        ticks_ = ticks;
        atDeadline_ = std::move(atDeadline);
    }
    void Unbound() {
        deadline_ = nullptr;
        ticks_ = nullptr;
        atDeadline_ = nullptr;
    }

    // How often COM asked, for the tests and for what Wine is seen to allow.
    int pendingCalls = 0;
    int closesLetThrough = 0;
    int cancels = 0;

private:
    CallDeadline* deadline_ = nullptr;
    HWND ticks_ = nullptr;
    std::function<void()> atDeadline_;
};

// A message-only window that a thread of its own posts a message to every
// second for the guard's life: COM's loop calls MessagePending for each
// posted message, so a call whose server never answers still meets its
// deadline. (A WM_TIMER does not wake that loop under Wine 8: measured.)
class CallTicker {
public:
    CallTicker();
    CallTicker(const CallTicker&) = delete;
    CallTicker& operator=(const CallTicker&) = delete;
    ~CallTicker();

    HWND Window() const { return window_.Get(); }

private:
    static DWORD WINAPI Tick(void* self);

    UniqueWindow window_;
    UniqueHandle stop_;
    UniqueHandle thread_;
};

// The filter registered for this thread's apartment for the guard's life,
// the previous one (usually none) put back after.
class ScopedMessageFilter {
public:
    explicit ScopedMessageFilter(CallMessageFilter& filter);
    ScopedMessageFilter(const ScopedMessageFilter&) = delete;
    ScopedMessageFilter& operator=(const ScopedMessageFilter&) = delete;
    ~ScopedMessageFilter();

    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
    IMessageFilter* previous_ = nullptr;
};

}  // namespace corvane::win32
