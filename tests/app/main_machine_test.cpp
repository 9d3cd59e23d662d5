#include "app/main_machine.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using Items = std::vector<std::string>;

TEST(OrdItems, SplitOnCommasAndLineEndsTrimmedAndUnquoted) {
    struct Case {
        const char* text;
        Items items;
    } const cases[] = {
        {"", {}},
        {"Monitor", {"Monitor"}},
        {"  Monitor  \r\n", {"Monitor"}},
        {"A,B,C", {"A", "B", "C"}},
        {"A\r\nB\nC\r\n", {"A", "B", "C"}},
        {"\"Caja 1\", \"Bar, Sala\" ,X", {"Caja 1", "Bar, Sala", "X"}},
        {"\"  padded  \"", {"  padded  "}},
        {"A,,B", {"A", "", "B"}},
        {"A,\r\n\r\nB,", {"A", "B"}},
        {"\"unterminated", {"unterminated"}},
        {"\"quoted\" trailing,Z", {"quoted", "Z"}},
        {"\"Caja\r\nMonitor", {"Caja", "Monitor"}},  // an open quote ends at the line end
    };
    for (const Case& c : cases) EXPECT_EQ(ParseOrdItems(c.text), c.items) << '[' << c.text << ']';
}

}  // namespace
}  // namespace corvane
