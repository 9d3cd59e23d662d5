// The test engine's configuration files and journal, read and written in the
// folder of the module that serves the objects (the DLL, or the local server
// beside it): each scenario installs its own copy, so both travel with it.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace test_engine {

// The module whose folder holds the configuration: set once by the host
// (DllMain, or the server's entry point) before any object exists.
void SetConfigModule(HMODULE module);

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view text);
std::wstring Trim(std::wstring_view text);
bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b);
// A whole decimal number, nothing else.
std::optional<long> ParseNumber(const std::wstring& text);
std::wstring FileNamePart(const std::wstring& path);
std::wstring FolderPart(const std::wstring& path);
std::vector<std::wstring> Lines(const std::wstring& text);

bool ConfigExists(const wchar_t* name);
// The file's text (UTF-8, a byte order mark dropped), or nothing when the
// file is not there. Read anew at every call: tests rewrite it mid-run.
std::optional<std::wstring> ReadConfig(const wchar_t* name);
// A file of milliseconds: nothing when it is missing or holds no number.
std::optional<DWORD> ConfigMilliseconds(const wchar_t* name);
// Whether a line of the file names this file (its name part, any case).
bool ConfigNamesFile(const wchar_t* name, const std::wstring& path);

// One line of TAB-separated fields appended to journal.txt, flushed at once:
// a test may read the journal while the program runs, or after it was killed.
void JournalLine(const std::vector<std::string>& fields);
// timings.txt: "<member> TAB <start ms> TAB <end ms>" for every repair and
// compaction, on the host's realtime clock (the compaction benchmark).
long long NowUnixMs();
void TimingLine(const char* member, long long started);

}  // namespace test_engine
