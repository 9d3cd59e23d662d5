#include "platform/win32/message_pump.h"

#include <algorithm>

namespace corvane::win32 {

int MessagePump::AddPreview(Preview preview) {
    previews_.push_back({nextId_, std::move(preview)});
    return nextId_++;
}

void MessagePump::RemovePreview(int id) {
    std::erase_if(previews_, [id](const Entry& entry) { return entry.id == id; });
}

void MessagePump::AddDialogWindow(HWND window) { dialogWindows_.push_back(window); }

void MessagePump::RemoveDialogWindow(HWND window) { std::erase(dialogWindows_, window); }

void MessagePump::Dispatch(MSG& message) {
    // A preview may remove itself or add another while it runs.
    const std::vector<Entry> previews = previews_;
    for (const Entry& entry : previews) {
        if (entry.preview(message)) return;
    }
    for (HWND window : dialogWindows_) {
        if ((message.hwnd == window || ::IsChild(window, message.hwnd)) && ::IsDialogMessageW(window, &message)) {
            return;
        }
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

int MessagePump::Run() {
    MSG message{};
    for (;;) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        Dispatch(message);
    }
    return static_cast<int>(message.wParam);
}

bool MessagePump::WaitUntil(ULONGLONG deadline) {
    for (;;) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            Dispatch(message);
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return true;
        const ULONGLONG left = deadline - now;
        // MWMO_INPUTAVAILABLE: input that arrived before the call but was only
        // peeked at still wakes it.
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace corvane::win32
