#include "base/text_file.h"

#include <cstddef>
#include <cstdint>

#include "base/utf.h"

namespace corvane {
namespace {

bool StartsWith(const std::string& bytes, const char* mark, std::size_t length) {
    return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

std::string DecodeUtf16(const std::string& bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2 + 1);
    std::size_t i = 2;
    for (; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    if (i < bytes.size()) units += u'\xFFFD';  // half a character at the end
    return Utf16ToUtf8(units);
}

}  // namespace

std::string DecodeTextFile(const std::string& bytes, AnsiDecoder fromAnsi) {
    // What follows a UTF-8 mark is taken as UTF-8, and what is not UTF-8 in it
    // is replaced, so the text inside stays valid UTF-8 whatever the file holds.
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) return Utf16ToUtf8(Utf8ToUtf16(std::string_view(bytes).substr(3)));
    if (StartsWith(bytes, "\xFF\xFE", 2)) return DecodeUtf16(bytes, false);
    if (StartsWith(bytes, "\xFE\xFF", 2)) return DecodeUtf16(bytes, true);
    return fromAnsi(bytes);
}

}  // namespace corvane
