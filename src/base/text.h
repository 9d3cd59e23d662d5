#pragma once
#include <string>
#include <string_view>

namespace corvane {

// Machine names and path prefixes are compared the way the suite does:
// ASCII letters upper-cased, everything else as it stands.
std::string UpperCase(std::string_view text);
bool Contains(std::string_view text, std::string_view part);
std::string Trim(std::string_view text);
std::string TwoDigits(int value);

// Joins a folder and an entry name with one backslash.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace corvane
