#pragma once
#include <string>
#include <string_view>

namespace corvane {

// Machine names and path prefixes are compared the way the suite does:
// ASCII letters upper-cased, everything else as it stands.
std::string UpperCase(std::string_view text);
bool Contains(std::string_view text, std::string_view part);
// Without the spaces and tabs at its ends.
std::string Trim(std::string_view text);
// Without the spaces, tabs, CRs and LFs at its ends: the system's and the
// engine's error texts end in CR LF.
std::string TrimLines(std::string_view text);
std::string TwoDigits(int value);

// Joins a folder and an entry name with one backslash.
std::string JoinPath(std::string_view folder, std::string_view name);
// What stands before a path's last backslash ("" when it has none), and after it.
std::string FolderOf(std::string_view path);
std::string FileNameOf(std::string_view path);

}  // namespace corvane
