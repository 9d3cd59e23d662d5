#pragma once
#include <string>
#include <string_view>

namespace corvane {

// Names are measured the way Windows measures them, in UTF-16 code units, so
// a rule of "exactly N characters" holds for "Ñ" as for "N". Bytes that are
// not UTF-8 (or unpaired surrogates) become U+FFFD; nothing throws.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace corvane
