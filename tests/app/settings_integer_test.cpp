#include <gtest/gtest.h>

#include "app/settings_integer.h"

namespace ts {
namespace {

TEST(SettingsIntegerTest, AcceptsBlanksSignAndBothHexForms) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"0", 0},
        {"5", 5},
        {"   42", 42},
        {"-1", -1},
        {"+7", 7},
        {"  -5", -5},
        {"$1F", 31},
        {"$ff", 255},
        {"0x10", 16},
        {"0XfF", 255},
        {"-$10", -16},
        {"-0x10", -16},
        {"8421504", 8421504},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$7FFFFFFF", 2147483647},
        {"007", 7},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        const auto parsed = ParseSettingsInteger(text);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(*parsed, value);
    }
}

TEST(SettingsIntegerTest, RejectsAnythingElse) {
    for (const char* text :
         {"",    "   ", "-",          "+",           "$",         "0x",
          "abc", "12a", "1 ",         "1\t",         "\t1",       "1.0",
          "1e3", "--1", "+-1",        "- 1",         "$-1",       "0x-1",
          "$G",  "x10", "2147483648", "-2147483649", "$80000000", "99999999999999999999"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseSettingsInteger(text).has_value());
    }
}

}  // namespace
}  // namespace ts
