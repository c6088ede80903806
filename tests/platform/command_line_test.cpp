#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace ts {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLineTest, SplitsTheReenumerationLinesIntoThreeArguments) {
    EXPECT_EQ(SplitCommandLine(R"(devcon.exe disable "@USB\VID_0403&PID_6001\TS 01")"),
              (Args{"devcon.exe", "disable", R"(@USB\VID_0403&PID_6001\TS 01)"}));
    // With no serial the closing quote is escaped by the last backslash.
    EXPECT_EQ(SplitCommandLine(R"(devcon.exe enable "@USB\VID_0403&PID_6001\")"),
              (Args{"devcon.exe", "enable", R"(@USB\VID_0403&PID_6001")"}));
}

TEST(CommandLineTest, FollowsTheWindowsRulesForQuotesAndBackslashes) {
    const std::pair<const char*, Args> cases[] = {
        {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
        {R"(p "ab\"c" "\\" d)", {"p", "ab\"c", "\\", "d"}},
        {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
        {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
        {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
        {R"(p a"b"" c d)", {"p", R"(ab" c d)"}},
        {"p \"\" x", {"p", "", "x"}},
        {"p\ta\t\tb  ", {"p", "a", "b"}},
        {"  p", {"p"}},
        {R"(p a\)", {"p", R"(a\)"}},
        // The program name: quotes group, backslashes stay.
        {R"("C:\Program Files\tool.exe" x)", {R"(C:\Program Files\tool.exe)", "x"}},
        {R"(dir\"a b" c)", {R"(dir\a b)", "c"}},
    };
    for (const auto& [line, args] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(SplitCommandLine(line), args);
    }
    EXPECT_TRUE(SplitCommandLine("").empty());
    EXPECT_TRUE(SplitCommandLine(" \t ").empty());
}

}  // namespace
}  // namespace ts
