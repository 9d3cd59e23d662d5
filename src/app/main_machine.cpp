#include "app/main_machine.h"

#include <string_view>

#include "base/text.h"
#include "base/utf.h"

namespace corvane {

std::vector<std::string> ParseOrdItems(const std::string& text) {
    std::vector<std::string> items;
    std::size_t i = 0;
    const std::size_t n = text.size();
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    const auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };

    while (i < n) {
        while (i < n && isSpace(text[i])) ++i;
        if (i < n && isLineEnd(text[i])) {  // blank line or line end after a comma
            ++i;
            continue;
        }
        if (i >= n) break;

        std::string item;
        if (text[i] == '"') {
            // A machine name never spans lines: a quote left open closes at
            // the line end, so the next line still gives its own item.
            std::size_t end = i + 1;
            while (end < n && text[end] != '"' && !isLineEnd(text[end])) ++end;
            item = text.substr(i + 1, end - i - 1);
            i = end < n && text[end] == '"' ? end + 1 : end;
            // Whatever stands between the closing quote and the separator is dropped.
            while (i < n && text[i] != ',' && !isLineEnd(text[i])) ++i;
        } else {
            const std::size_t start = i;
            while (i < n && text[i] != ',' && !isLineEnd(text[i])) ++i;
            item = Trim(text.substr(start, i - start));
        }
        items.push_back(item);
        if (i < n && text[i] == ',') {
            ++i;
            // "A,B," ends the file with a separator, not with an empty item.
            std::size_t rest = i;
            while (rest < n && isSpace(text[rest])) ++rest;
            if (rest < n && text[rest] == ',') continue;
        } else if (i < n) {
            ++i;  // the line end
            if (text[i - 1] == '\r' && i < n && text[i] == '\n') ++i;
        }
    }
    return items;
}

bool IsComputerName(const std::string& name) {
    constexpr std::size_t kLongest = 63;
    const std::string trimmed = Trim(name);
    if (trimmed.empty() || trimmed.front() == '.' || trimmed.back() == '.') return false;
    if (Utf8ToUtf16(name).size() > kLongest) return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return false;
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) return false;
    }
    return true;
}

std::string ShownName(const std::string& name) {
    std::u16string chars = Utf8ToUtf16(name);
    if (chars.size() > kShownNameChars) {
        // A character of two units stays whole or goes whole.
        const bool split = chars[kShownNameChars - 1] >= 0xD800 && chars[kShownNameChars - 1] <= 0xDBFF;
        chars.resize(split ? kShownNameChars - 1 : kShownNameChars);
    }
    for (char16_t& c : chars) {
        if (c < 0x20 || c == 0x7F) c = u'?';
    }
    return Utf16ToUtf8(chars);
}

std::string DecipherOrdItem(const std::string& item) { return item; }

}  // namespace corvane
