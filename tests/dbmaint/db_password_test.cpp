#include "dbmaint/db_password.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(DBPassword, FindsTheNumberFieldByThePrefixSearch) {
    struct Case {
        const char* name;
        std::optional<std::string> field;
    } const cases[] = {
        {"G:\\Shared\\Keystone abc 0123456789.mdb", "0123456789"},
        {"keystone abc 0123456789.MDB", "0123456789"},  // any letter case
        {"Pantry Backlog abc 1111111111.mdb", "1111111111"},  // never read as a Pantry
        {"Pantry abc 2222222222.mdb", "2222222222"},
        {"Chronicle abc 3333333333.mdb", "3333333333"},
        {"4444444444", "4444444444"},  // a bare number is its own field
        {"Keystone abc 01234.mdb", "01234.mdb"},  // cut short
        {"Keystone abc", ""},
        {"5555555555 x Sweeper.mdb", "5555555555"},
        {"0123456789abcdef 6666666666 SWEEPER.MDB", "6666666666"},  // from the eighteenth character
        {"KeystoneSolo abc 7777777777.mdb", "7777777777"},
        {"Keystone Sol 8888888888.mdb", "8888888888"},  // "Keystone " comes first
        {"Unknown abc 0123456789.mdb", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(PasswordNumberField(c.name), c.field) << c.name;
}

TEST(DBPassword, BuildsThePasswordFromTheDifference) {
    struct Case {
        const char* field;
        const char* key;
        const char* password;
    } const cases[] = {
        // 9876543210 - 0123456789 = 9753086421: marker, tenth and ninth characters.
        {"0123456789", "9876543210", "9753086421Z12"},
        // A difference of nine digits has no tenth character.
        {"9000000000", "9876543210", "876543210Z0"},
        // Shorter still: neither.
        {"9876543200", "9876543210", "10Z"},
        // A negative difference keeps its sign and its characters count with it.
        {"9999999999", "0123456789", "-9876543210Z12"},
        // Above 2^31: a 32-bit number would overflow here.
        {"4294967296", "4294967297", "1Z"},
        {"0000000000", "9999999999", "9999999999Z99"},
        // Only the first ten characters count.
        {"0123456789.mdb", "9876543210", "9753086421Z12"},
        // Short or not a number: the fallback.
        {"012345678", "9876543210", "Kelm"},
        {"", "9876543210", "Kelm"},
        {"01234x6789", "9876543210", "Kelm"},
    };
    for (const Case& c : cases) EXPECT_EQ(PasswordFromNumberField(c.field, c.key, 'Z'), c.password) << c.field;
}

}  // namespace
}  // namespace corvane
