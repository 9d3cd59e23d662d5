#pragma once
#include <string>

#include "platform/clock.h"
#include "platform/win32/handles.h"

namespace corvane::win32 {

class Win32Clock : public Clock {
public:
    DateTime Now() override;
    std::optional<TimeOfDayRecord> RemoteTimeOfDay(const std::string& server) override;
};

// True under Wine, whose network time-of-day call is a stub that raises an
// exception instead of failing.
bool RunningUnderWine();

// The full path of a DLL in the system folder, or "" when the folder cannot
// be read. A DLL loaded at run time by its bare name is searched for in the
// program's folder first, where anyone who can write there can plant one.
std::wstring SystemLibraryPath(const wchar_t* fileName);

// A system DLL loaded by that path, with no LoadLibraryExW flag that older
// Windows lacks; empty when it cannot be loaded.
UniqueModule LoadSystemLibrary(const wchar_t* fileName);

}  // namespace corvane::win32
