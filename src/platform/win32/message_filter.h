#pragma once
#include <windows.h>
#include <ole2.h>

namespace corvane::win32 {

// While a call to the engine's process runs, COM's own loop waits for its
// answer and handles few of this thread's messages. This filter keeps the
// program alive in that loop as far as COM lets it: windows repaint, a close
// request (WM_CLOSE, the close command, Alt+F4) reaches its window and so
// ends the program, and a call the server is too busy to take now is tried
// again until it is taken, never given up on by the program.
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

    // How often COM asked, for the tests and for what Wine is seen to allow.
    int pendingCalls = 0;
    int closesLetThrough = 0;
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
