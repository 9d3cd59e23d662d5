#pragma once
#include <windows.h>

#include "platform/instance.h"
#include "platform/process.h"
#include "platform/win32/handles.h"

namespace corvane::win32 {

// Local: one copy per session, which is what the venue's machines run.
inline constexpr wchar_t kSingleInstanceMutexName[] = L"Local\\Corvane.SingleInstance";

// Each running copy keeps a hidden top-level application window of class
// "ThunderRT6Main" captioned with the application title, and owns its main
// window with it, so that a later copy finds the window and, just above it in
// z-order, the main window to raise. A named mutex tells that a copy runs.
class Win32Instance : public Instance {
public:
    // The mutex name is a parameter so that tests can use a name of their own.
    Win32Instance(HINSTANCE module, const wchar_t* appTitle, const wchar_t* mutexName = kSingleInstanceMutexName);

    bool AnotherIsRunning() override { return anotherRunning_; }
    bool ActivatePrevious(const std::string& appTitle) override;

    HWND AppWindow() const { return appWindow_.Get(); }
    // What a close request to the hidden window ends the program through,
    // so that it ends as every other close does; ExitProcess until set.
    void SetCloseEnd(Process& process);

private:
    UniqueHandle mutex_;
    bool anotherRunning_ = false;
    UniqueWindow appWindow_;
};

class Win32Process : public Process {
public:
    void End(int exitCode) override;
};

}  // namespace corvane::win32
