#include "base/text.h"

namespace corvane {

std::string UpperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

namespace {

std::string TrimOf(std::string_view text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

}  // namespace

std::string Trim(std::string_view text) { return TrimOf(text, " \t"); }

std::string TrimLines(std::string_view text) { return TrimOf(text, " \t\r\n"); }

std::string TwoDigits(int value) {
    std::string digits = std::to_string(value);
    return digits.size() == 1 ? "0" + digits : digits;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += name;
    return path;
}

std::string FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string FileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace corvane
