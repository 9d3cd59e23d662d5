#pragma once
#include <windows.h>

#include <functional>
#include <vector>

namespace corvane::win32 {

// The program's one message loop. The main loop and every wait drain the queue
// through it, so a window's key preview, the dialog keys (Tab, Enter, Esc) of
// whichever window is active and WM_QUIT behave the same everywhere. Views
// register what they need; the pump knows nothing of them.
class MessagePump {
public:
    // Sees every message first; true when it handled the message.
    using Preview = std::function<bool(const MSG&)>;

    MessagePump() = default;
    MessagePump(const MessagePump&) = delete;
    MessagePump& operator=(const MessagePump&) = delete;

    int AddPreview(Preview preview);
    void RemovePreview(int id);
    // Messages for this window or its children get the dialog keys.
    void AddDialogWindow(HWND window);
    void RemoveDialogWindow(HWND window);

    // Until WM_QUIT; answers its exit code.
    int Run();
    // Handles every queued message, then blocks until more input arrives or
    // the deadline (GetTickCount64) passes, never spinning. False when WM_QUIT
    // came: it is posted again, so the main loop ends too.
    bool WaitUntil(ULONGLONG deadline);

private:
    void Dispatch(MSG& message);

    struct Entry {
        int id;
        Preview preview;
    };
    std::vector<Entry> previews_;
    std::vector<HWND> dialogWindows_;
    int nextId_ = 1;
};

}  // namespace corvane::win32
