#include "base/text_file.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

std::string AnsiMarker(const std::string& bytes) { return "ansi:" + bytes; }

TEST(TextFile, TheByteOrderMarkChoosesTheDecoding) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    } const cases[] = {
        {"no mark", "POS1", "ansi:POS1"},
        {"empty", "", "ansi:"},
        {"a lone first byte of a mark", "\xEF\xBB", "ansi:\xEF\xBB"},
        {"UTF-8 mark", "\xEF\xBB\xBFPOS \xC3\x91", "POS \xC3\x91"},
        {"UTF-8 mark only", "\xEF\xBB\xBF", ""},
        {"UTF-16 LE", std::string("\xFF\xFEP\0\xD1\0", 6), "P\xC3\x91"},
        {"UTF-16 BE", std::string("\xFE\xFF\0P\0\xD1", 6), "P\xC3\x91"},
        {"UTF-16 pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeTextFile(c.bytes, AnsiMarker), c.text) << c.name;
}

// A file cut short or written by a broken tool must still read as text.
TEST(TextFile, BrokenUnicodeBecomesReplacementCharacters) {
    const std::string replacement = "\xEF\xBF\xBD";
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    } const cases[] = {
        {"odd byte count", std::string("\xFF\xFEP\0Q", 5), "P" + replacement},
        {"mark and half a unit", "\xFF\xFEP", replacement},
        {"lone high surrogate at the end", std::string("\xFF\xFEP\0\x3D\xD8", 6), "P" + replacement},
        {"lone low surrogate", std::string("\xFF\xFE\x00\xDEP\0", 6), replacement + "P"},
        {"high surrogate before a letter", std::string("\xFF\xFE\x3D\xD8P\0", 6), replacement + "P"},
        {"not UTF-8 after its mark", "\xEF\xBB\xBF" "a\xFF" "b", "a" + replacement + "b"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeTextFile(c.bytes, AnsiMarker), c.text) << c.name;
}

}  // namespace
}  // namespace corvane
