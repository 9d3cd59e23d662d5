#include "engine_config.h"

#include <cwchar>

#include "platform/win32/handles.h"

namespace test_engine {
namespace {

using corvane::win32::UniqueFile;

HMODULE gConfigModule = nullptr;

// The module's own folder, with its trailing backslash.
std::wstring ConfigFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(gConfigModule, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

void JournalLineTo(const wchar_t* fileName, const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) {
        if (!line.empty()) line += '\t';
        line += field;
    }
    line += "\r\n";
    UniqueFile file(CreateFileW((ConfigFolder() + fileName).c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    FlushFileBuffers(file.Get());
}

}  // namespace

void SetConfigModule(HMODULE module) { gConfigModule = module; }

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::wstring Trim(std::wstring_view text) {
    const auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return std::wstring(text.substr(begin, end - begin));
}

bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::optional<long> ParseNumber(const std::wstring& text) {
    if (text.empty()) return std::nullopt;
    wchar_t* end = nullptr;
    const long value = std::wcstol(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size()) return std::nullopt;
    return value;
}

std::wstring FileNamePart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderPart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find(L'\n', start);
        const size_t stop = end == std::wstring::npos ? text.size() : end;
        std::wstring line = text.substr(start, stop - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return lines;
}

bool ConfigExists(const wchar_t* name) {
    return GetFileAttributesW((ConfigFolder() + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::wstring> ReadConfig(const wchar_t* name) {
    UniqueFile file(CreateFileW((ConfigFolder() + name).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    return Wide(bytes);
}

std::optional<DWORD> ConfigMilliseconds(const wchar_t* name) {
    const std::optional<std::wstring> text = ReadConfig(name);
    if (!text) return std::nullopt;
    const std::optional<long> number = ParseNumber(Trim(*text));
    if (!number || *number < 0) return std::nullopt;
    return static_cast<DWORD>(*number);
}

bool ConfigNamesFile(const wchar_t* name, const std::wstring& path) {
    const std::optional<std::wstring> text = ReadConfig(name);
    if (!text) return false;
    const std::wstring fileName = FileNamePart(path);
    for (const std::wstring& line : Lines(*text)) {
        if (SameTextIgnoringCase(Trim(line), fileName)) return true;
    }
    return false;
}

void JournalLine(const std::vector<std::string>& fields) { JournalLineTo(L"journal.txt", fields); }

long long NowUnixMs() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const long long ticks = (static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return ticks / 10000 - 11644473600000LL;
}

void TimingLine(const char* member, long long started) {
    JournalLineTo(L"timings.txt", {member, std::to_string(started), std::to_string(NowUnixMs())});
}

}  // namespace test_engine
