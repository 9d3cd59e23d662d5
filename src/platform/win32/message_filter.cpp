#include "platform/win32/message_filter.h"

#include <utility>

namespace corvane::win32 {
namespace {

// A busy server is asked again this often (milliseconds).
constexpr DWORD kRetryDelayMs = CallDeadline::kRetryDelayMs;
constexpr UINT kTickMessage = WM_APP + 1;
constexpr DWORD kTickMs = 1000;
constexpr wchar_t kTickerClass[] = L"CorvaneCallTicker";

// Paint messages handled per visit, so a window that never validates
// cannot hold COM's loop.
constexpr int kPaintsPerVisit = 16;

// Removes and dispatches the first queued message of this kind when accept
// says it is one to let through.
template <typename Accept>
bool DispatchFirst(UINT message, Accept accept) {
    MSG queued{};
    if (!::PeekMessageW(&queued, nullptr, message, message, PM_NOREMOVE | PM_NOYIELD) || !accept(queued)) return false;
    if (!::PeekMessageW(&queued, queued.hwnd, message, message, PM_REMOVE | PM_NOYIELD)) return false;
    ::TranslateMessage(&queued);
    ::DispatchMessageW(&queued);
    return true;
}

bool IsCloseCommand(const MSG& message) { return (message.wParam & 0xFFF0) == SC_CLOSE; }
// Alt+F4, which the window's default handling turns into the close command.
bool IsAltF4(const MSG& message) { return message.wParam == VK_F4; }
bool Any(const MSG&) { return true; }

}  // namespace

HRESULT CallMessageFilter::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
        *object = static_cast<IMessageFilter*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// Nothing calls into this program; were something to, it would be served.
DWORD CallMessageFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) { return SERVERCALL_ISHANDLED; }

// A server busy with something else (the real application while its own
// window is modal, or while it starts) takes the call later; one that
// rejects it for good (SERVERCALL_REJECTED) has answered.
DWORD CallMessageFilter::RetryRejectedCall(HTASK, DWORD, DWORD rejectType) {
    const bool later = rejectType == SERVERCALL_RETRYLATER;
    if (deadline_ == nullptr) return later ? kRetryDelayMs : static_cast<DWORD>(-1);
    const long delay = deadline_->RetryDelay(TickNow(), later);
    return delay < 0 ? static_cast<DWORD>(-1) : static_cast<DWORD>(delay);
}

DWORD CallMessageFilter::MessagePending(HTASK, DWORD, DWORD) {
    ++pendingCalls;
    // The ticks only wake this loop; left queued, no new one would come.
    MSG tick{};
    while (ticks_ != nullptr && ::PeekMessageW(&tick, ticks_, kTickMessage, kTickMessage, PM_REMOVE | PM_NOYIELD)) {
    }
    if (deadline_ != nullptr && deadline_->Expired(TickNow())) {
        if (atDeadline_) std::exchange(atDeadline_, nullptr)();
        ++cancels;
        return PENDINGMSG_CANCELCALL;
    }
    for (int i = 0; i < kPaintsPerVisit && DispatchFirst(WM_PAINT, Any); ++i) {
    }
    const bool closed = DispatchFirst(WM_CLOSE, Any) || DispatchFirst(WM_SYSCOMMAND, IsCloseCommand) ||
                        DispatchFirst(WM_SYSKEYDOWN, IsAltF4);
    if (closed) ++closesLetThrough;
    // Everything else waits for the call's end, where the program's own loop
    // takes it; the call itself goes on.
    return PENDINGMSG_WAITDEFPROCESS;
}

CallTicker::CallTicker() {
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW type{sizeof type};
    type.lpfnWndProc = ::DefWindowProcW;
    type.hInstance = module;
    type.lpszClassName = kTickerClass;
    // A second registration fails as already done, which is as good.
    ::RegisterClassExW(&type);
    window_.Reset(::CreateWindowExW(0, kTickerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr));
    stop_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (window_ && stop_) thread_.Reset(::CreateThread(nullptr, 0, &CallTicker::Tick, this, 0, nullptr));
}

CallTicker::~CallTicker() {
    if (!thread_) return;
    ::SetEvent(stop_.Get());
    ::WaitForSingleObject(thread_.Get(), INFINITE);
}

DWORD WINAPI CallTicker::Tick(void* self) {
    const auto* ticker = static_cast<const CallTicker*>(self);
    while (::WaitForSingleObject(ticker->stop_.Get(), kTickMs) == WAIT_TIMEOUT) {
        ::PostMessageW(ticker->window_.Get(), kTickMessage, 0, 0);
    }
    return 0;
}

ScopedMessageFilter::ScopedMessageFilter(CallMessageFilter& filter)
    : result_(::CoRegisterMessageFilter(&filter, &previous_)) {}

ScopedMessageFilter::~ScopedMessageFilter() {
    if (FAILED(result_)) return;
    ::CoRegisterMessageFilter(previous_, nullptr);
    if (previous_ != nullptr) previous_->Release();
}

}  // namespace corvane::win32
