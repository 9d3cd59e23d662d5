// What the parts of the automation driver share: its output, its deadlines,
// its options and the search for windows. Each command is one function of the
// parsed options that answers the process's exit code.

#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace driver {

// ---------------------------------------------------------------- output (output.cpp)

void WriteRaw(DWORD which, const std::string& bytes);
void Emit(const char* key, const std::wstring& value);
void Emit(const char* key, long long value);
void Fail(const std::wstring& message);
std::wstring Hex(HWND window);
std::wstring Lower(std::wstring text);

// ---------------------------------------------------------------- time (output.cpp)

long long UnixNanoseconds();

class Deadline {
 public:
  explicit Deadline(double seconds) : end_(GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000.0)) {}
  bool Passed() const { return GetTickCount64() >= end_; }

 private:
  ULONGLONG end_;
};

// ---------------------------------------------------------------- options (driver.cpp)

struct Options {
  std::optional<std::wstring> className;
  std::optional<std::wstring> title;
  std::optional<std::wstring> titlePart;
  bool includeHidden = false;
  double timeoutSeconds = 20.0;
  DWORD pollMs = 50;
  std::wstring button;
  std::optional<std::wstring> child;
  bool doubleClick = false;
  bool announce = false;
  std::vector<std::wstring> positional;
};

// ---------------------------------------------------------------- windows (windows.cpp)

std::wstring ClassOf(HWND window);
std::wstring CaptionOf(HWND window);
std::wstring ControlText(HWND control);
DWORD ProcessOf(HWND window);
bool Matches(HWND window, const Options& options);
std::vector<HWND> FindAll(const Options& options);
std::wstring Describe(const Options& options);
HWND WaitFor(const Options& options);
void EmitWindow(HWND window);
bool BringToForeground(HWND window, const Deadline& deadline);

// ---------------------------------------------------------------- commands

// window_commands.cpp
int CmdList(const Options& options);
int CmdChildren(const Options& options);
int CmdWaitWindow(const Options& options);
int CmdWaitGone(const Options& options);
int CmdCount(const Options& options);
int CmdState(const Options& options);
int CmdWaitForeground(const Options& options);
int CmdAbove(const Options& options);
int CmdRect(const Options& options);
int CmdActivate(const Options& options);
int CmdClose(const Options& options);
int CmdKill(const Options& options);
int CmdRetitle(const Options& options);
int CmdMinimize(const Options& options);
int CmdRestore(const Options& options);
int CmdComputerName();

// message_boxes.cpp
int CmdBox(const Options& options);
int CmdAnswer(const Options& options);

// input.cpp
int CmdKeys(const Options& options);
int CmdClick(const Options& options);

}  // namespace driver
