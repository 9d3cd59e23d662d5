// The driver's output and clock: one "key<TAB>value" line per fact, escaped
// as driver.cpp describes, and the host's realtime clock for benchmarks.

#include "driver.h"

#include <cstdint>
#include <cwctype>
#include <string>

namespace driver {

// ---------------------------------------------------------------- output

namespace {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::string Escape(const std::wstring& text) {
  std::string out;
  for (const char c : ToUtf8(text)) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (u < 0x20 || u == 0x7F) {
      out += "\\0";
      out += static_cast<char>('0' + (u >> 6));
      out += static_cast<char>('0' + ((u >> 3) & 7));
      out += static_cast<char>('0' + (u & 7));
    } else out += c;
  }
  return out;
}

}  // namespace

// WriteFile, not the C runtime: its text mode would turn \n into CR LF.
void WriteRaw(DWORD which, const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Emit(const char* key, const std::wstring& value) {
  WriteRaw(STD_OUTPUT_HANDLE, std::string(key) + "\t" + Escape(value) + "\n");
}

void Emit(const char* key, long long value) { Emit(key, std::to_wstring(value)); }

void Fail(const std::wstring& message) { WriteRaw(STD_ERROR_HANDLE, "driver: " + ToUtf8(message) + "\n"); }

std::wstring Hex(HWND window) {
  wchar_t buf[32];
  wsprintfW(buf, L"0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
  return buf;
}

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

// ---------------------------------------------------------------- time

// The same clock as `date +%s%N` on the host: Wine reads CLOCK_REALTIME.
long long UnixNanoseconds() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  const long long ticks = (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (ticks - 116444736000000000LL) * 100;
}

}  // namespace driver
