// The small text helpers every layer leans on: the numbers the store and the
// dialog read, the blanks they trim, the lines the readers cut.
#include "settings/unitAdd_Ins.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

TEST(ParseInt32, AcceptsASignAndDigitsWithinTheRangeOnly) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases = {
        {"0", 0},
        {"514", 514},
        {"+7", 7},
        {"-7", -7},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"2147483648", std::nullopt},  // one past the top
        {"-2147483649", std::nullopt}, // one past the bottom
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {" 1", std::nullopt}, // blanks are not part of a number
        {"1 ", std::nullopt},
        {"0x10", std::nullopt},
        {"1e3", std::nullopt},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseInt32(text), value) << '"' << text << '"';
}

TEST(TextHelpers, BlanksAreTheBytesUpToCode32) {
    EXPECT_EQ(Trim(std::string_view("\t\x01 a b \r\n\0", 10)), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("\xB6x\xB6"), "\xB6x\xB6"); // high bytes are letters, not blanks
    EXPECT_EQ(StripBlanks(" 10 . 0 .\t0 . 1 "), "10.0.0.1");
    EXPECT_TRUE(HasBlankOrComma("a,b"));
    EXPECT_TRUE(HasBlankOrComma(std::string_view("a\0b", 3)));
    EXPECT_FALSE(HasBlankOrComma("Router-1"));
    EXPECT_TRUE(SameText("ROUTER", "router"));
    EXPECT_FALSE(SameText("\xC4", "\xE4")); // only ASCII letters fold
    EXPECT_FALSE(SameText("a", "ab"));
    EXPECT_EQ(NotAnIntegerMessage("abc"), "'abc' is not a valid integer value");
}

TEST(SplitLines, EveryLineEndAndNoLineAfterTheLastBreak) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("\n\n"), (Lines{"", ""}));
    EXPECT_EQ(SplitLines("\r\r\n"), (Lines{"", ""})); // a lone CR, then CR LF
    EXPECT_EQ(SplitLines(""), Lines{});
}

} // namespace
