#include "app/language_store.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

TEST(LanguageStore, OnlyTheThreeCodesCount) {
    struct Case {
        const char* bytes;
        const char* code;
    } const cases[] = {
        {"1", "1"}, {"2\r\n", "2"}, {" 3 \n", "3"}, {"4", ""}, {"", ""}, {"13", ""}, {"English", ""},
    };
    for (const Case& c : cases) {
        testing::Harness h;
        h.drives.WriteFile("E:\\Corvane\\Corvane.lng", c.bytes);
        EXPECT_EQ(LoadUiLanguageCode(h.context), c.code) << '[' << c.bytes << ']';
    }
}

TEST(LanguageStore, MissingFileIsNoCodeAndSavedCodeReadsBack) {
    testing::Harness h;
    EXPECT_EQ(LoadUiLanguageCode(h.context), "");
    EXPECT_TRUE(SaveUiLanguageCode(h.context, "3"));
    EXPECT_EQ(h.drives.ReadFile("E:\\Corvane\\Corvane.lng"), "3\r\n");
    EXPECT_EQ(LoadUiLanguageCode(h.context), "3");
    EXPECT_FALSE(SaveUiLanguageCode(h.context, "9"));
    EXPECT_EQ(LoadUiLanguageCode(h.context), "3");
}

}  // namespace
}  // namespace corvane
