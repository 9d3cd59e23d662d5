#pragma once
#include <string>

namespace corvane::win32 {

// UTF-8 inside the program, UTF-16 at every ...W call.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
// The system's ANSI code page, for the text files that must be written in it.
std::string ToAnsi(const std::string& utf8);
std::string FromAnsi(const std::string& ansi);

}  // namespace corvane::win32
