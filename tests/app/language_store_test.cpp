#include "app/language_store.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

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
