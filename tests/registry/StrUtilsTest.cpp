#include "StrUtils.h"

#include "Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace zanver {
namespace {

TEST(NthTokenTest, QuotedProgramPathWithBlankThenArgument) {
    const std::string line = "\"C:\\Program Files\\Editor\\edit.exe\" %1";
    EXPECT_EQ(NthToken(line, 0), "C:\\Program Files\\Editor\\edit.exe");
    EXPECT_EQ(NthToken(line, 1), "%1");
    EXPECT_EQ(NthToken(line, 2), "");
    EXPECT_EQ(NthToken(line, -1), "");
}

TEST(NthTokenTest, SplitsAtAnyControlCharacterOrBlank) {
    const std::string line = std::string("  a\tb\r\nc") + '\x01' + "d\x7f\xe9 ";
    EXPECT_EQ(NthToken(line, 0), "a");
    EXPECT_EQ(NthToken(line, 1), "b");
    EXPECT_EQ(NthToken(line, 2), "c");
    EXPECT_EQ(NthToken(line, 3), "d\x7f\xe9");
    EXPECT_EQ(NthToken(line, 4), "");
    EXPECT_EQ(NthToken("", 0), "");
    EXPECT_EQ(NthToken(" \t ", 0), "");
}

TEST(NthTokenTest, QuotedPartsJoinTheTokenAroundThem) {
    EXPECT_EQ(NthToken("pre\"fix with\"post next", 0), "prefix withpost");
    EXPECT_EQ(NthToken("pre\"fix with\"post next", 1), "next");
    EXPECT_EQ(NthToken("a\"\"b c", 0), "ab");  // an empty quoted part inside a token
    EXPECT_EQ(NthToken("\"a b\"\"c d\" e", 0), "a bc d");
}

TEST(NthTokenTest, PairsOfQuotesBeforeATokenAreSkipped) {
    EXPECT_EQ(NthToken("\"\" x", 0), "x");
    EXPECT_EQ(NthToken("prog \"\" \"\"\"\" x", 1), "x");
    EXPECT_EQ(NthToken("\"\"\"quoted\"", 0), "quoted");
    EXPECT_EQ(NthToken("prog \"\"", 1), "");
}

TEST(NthTokenTest, MissingClosingQuoteRunsToTheEnd) {
    EXPECT_EQ(NthToken("prog \"open ended  text", 1), "open ended  text");
    EXPECT_EQ(NthToken("prog \"open ended  text", 2), "");
    EXPECT_EQ(NthToken("\"", 0), "");
}

TEST(NthTokenTest, NulCharacterEndsTheCommandLine) {
    const std::string line("a b\0c d", 7);
    EXPECT_EQ(NthToken(line, 1), "b");
    EXPECT_EQ(NthToken(line, 2), "");
}

TEST(SplitOffTokenTest, TakesThePartBeforeTheFirstDelimiter) {
    std::string text = "a b]c";
    EXPECT_EQ(SplitOffToken(text, "]"), "a b");
    EXPECT_EQ(text, "]c");

    text = "  key name \t= value, more";
    EXPECT_EQ(SplitOffToken(text, ",="), "key name");
    EXPECT_EQ(text, "= value, more");

    text = "]starts";
    EXPECT_EQ(SplitOffToken(text, "]"), "");
    EXPECT_EQ(text, "]starts");
}

TEST(SplitOffTokenTest, WithoutDelimiterTakesEverything) {
    std::string text = "  no delimiter here ";
    EXPECT_EQ(SplitOffToken(text, "]"), "no delimiter here");
    EXPECT_EQ(text, "");

    text = "abc";
    EXPECT_EQ(SplitOffToken(text, ""), "abc");
    EXPECT_EQ(text, "");
}

TEST(ReplaceTextTest, InsertedTextIsNotSearchedAgain) {
    std::string text = "abab";
    ReplaceText(text, "ab", "abab");
    EXPECT_EQ(text, "abababab");

    text = "aaaa";
    ReplaceText(text, "aa", "a");
    EXPECT_EQ(text, "aa");
}

TEST(ReplaceTextTest, CaseCountsAndEmptyFindChangesNothing) {
    std::string text = "Path PATH path";
    ReplaceText(text, "path", "dir");
    EXPECT_EQ(text, "Path PATH dir");

    ReplaceText(text, "", "x");
    EXPECT_EQ(text, "Path PATH dir");

    ReplaceText(text, " ", "");
    EXPECT_EQ(text, "PathPATHdir");

    text = "%1 and %1";
    ReplaceText(text, "%1", "\"%1\"");
    EXPECT_EQ(text, "\"%1\" and \"%1\"");
}

TEST(StrToIntOrZeroTest, ReadsDecimalAndDollarHexOtherwiseZero) {
    EXPECT_EQ(StrToIntOrZero("42"), 42);
    EXPECT_EQ(StrToIntOrZero("-7"), -7);
    EXPECT_EQ(StrToIntOrZero("$1F"), 31);
    EXPECT_EQ(StrToIntOrZero("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToIntOrZero(""), 0);
    EXPECT_EQ(StrToIntOrZero("12a"), 0);
    EXPECT_EQ(StrToIntOrZero("$"), 0);
    EXPECT_EQ(StrToIntOrZero("2147483648"), 0);
    EXPECT_THROW(StrToInt("x"), EConvertError);
}

TEST(SmallTextHelpersTest, LastCharPosLeftTextMaxOf) {
    EXPECT_EQ(LastCharPos("a\\b\\c", '\\'), 4);
    EXPECT_EQ(LastCharPos("\\", '\\'), 1);
    EXPECT_EQ(LastCharPos("abc", '\\'), 0);
    EXPECT_EQ(LastCharPos("", '\\'), 0);

    EXPECT_EQ(LeftText("abcdef", 3), "abc");
    EXPECT_EQ(LeftText("abc", 10), "abc");
    EXPECT_EQ(LeftText("abc", 0), "");
    EXPECT_EQ(LeftText("abc", -2), "");

    EXPECT_EQ(MaxOf(3, -5), 3);
    EXPECT_EQ(MaxOf(-5, 3), 3);
    EXPECT_EQ(MaxOf(-2, -2), -2);
}

}  // namespace
}  // namespace zanver
