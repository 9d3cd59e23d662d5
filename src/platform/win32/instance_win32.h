#pragma once
#include <windows.h>

#include <string>

#include "platform/instance.h"
#include "platform/process.h"
#include "platform/win32/handles.h"

namespace corvane::win32 {

// Global: one copy per computer, as written. A copy in another session
// counts, though its window cannot be raised from here: the later copy then
// goes on, and the run lock keeps their work apart.
inline constexpr wchar_t kSingleInstanceMutexName[] = L"Global\\Corvane.SingleInstance";
// The hidden window's caption in the run nobody watches: never the title a
// later copy searches for.
inline constexpr wchar_t kUnattendedWindowTitle[] = L"Corvane /reparar";

// Each running copy keeps a hidden top-level application window of class
// "ThunderRT6Main" captioned with the application title, and owns its main
// window with it, so that a later copy finds the window and, just above it in
// z-order, the main window to raise. A named mutex tells that a copy runs.
class Win32Instance : public Instance {
public:
    // What a close request to the hidden window does; the window holds it in
    // its user data, so the instance stays where it was made.
    struct CloseRequest {
        Process* end = nullptr;  // the interactive program's orderly end, once set
        bool unattended = false;
    };

    // The mutex name is a parameter so that tests can use a name of their own.
    Win32Instance(HINSTANCE module, const wchar_t* appTitle, const wchar_t* mutexName = kSingleInstanceMutexName);
    Win32Instance(const Win32Instance&) = delete;
    Win32Instance& operator=(const Win32Instance&) = delete;

    bool AnotherIsRunning() override { return anotherRunning_; }
    bool ActivatePrevious(const std::string& appTitle) override;

    // This copy is the run nobody watches (its hidden window was made with
    // another caption, so a copy started by hand finds no window to hand
    // over to and goes on): a close request (a task ended, a shutdown) ends the run
    // after the step under way, through the message pump, instead of the
    // process at once.
    void MarkUnattended();

    HWND AppWindow() const { return appWindow_.Get(); }
    // What a close request to the hidden window ends the program through,
    // so that it ends as every other close does; ExitProcess until set.
    void SetCloseEnd(Process& process);

private:
    UniqueHandle mutex_;
    bool anotherRunning_ = false;
    CloseRequest close_;
    UniqueWindow appWindow_;
};

class Win32Process : public Process {
public:
    void End(int exitCode) override;
};

}  // namespace corvane::win32
