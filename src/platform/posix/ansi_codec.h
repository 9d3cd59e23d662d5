#pragma once
#include <string>

namespace corvane {

// Windows-1252, the ANSI code page of the suite's Western European sites:
// what files written "in the ANSI code page" hold on disk. Characters it
// cannot hold become '?', as the Windows conversion does.
std::string Utf8ToCp1252(const std::string& utf8);
std::string Cp1252ToUtf8(const std::string& bytes);

}  // namespace corvane
