#include "StrUtils.h"

#include "Exception.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zanver {
namespace {

// Each line with all its tokens; the token after the last is empty.
TEST(NthTokenTest, TokensOfCommandLines) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"\"C:\\Program Files\\Editor\\edit.exe\" %1",
         {"C:\\Program Files\\Editor\\edit.exe", "%1"}},
        // Any control character or blank splits.
        {"  a\tb\r\nc\x01"
         "d\x7f\xe9 ",
         {"a", "b", "c", "d\x7f\xe9"}},
        {" \t ", {}},
        // Quoted parts join the token around them.
        {"pre\"fix with\"post next", {"prefix withpost", "next"}},
        {"a\"\"b c", {"ab", "c"}},
        {"\"a b\"\"c d\" e", {"a bc d", "e"}},
        // Pairs of quotes before a token are skipped.
        {"\"\" x", {"x"}},
        {"prog \"\" \"\"\"\" x", {"prog", "x"}},
        {"\"\"\"quoted\"", {"quoted"}},
        {"prog \"\"", {"prog"}},
        // A missing closing quote runs to the end; a zero character ends the line.
        {"prog \"open ended  text", {"prog", "open ended  text"}},
        {"\"", {}},
        {std::string("a b\0c d", 7), {"a", "b"}},
    };
    for (const auto& [line, tokens] : cases) {
        for (std::size_t i = 0; i <= tokens.size(); ++i)
            EXPECT_EQ(NthToken(line, static_cast<int>(i)), i < tokens.size() ? tokens[i] : "")
                << line << " " << i;
    }
    EXPECT_EQ(NthToken("prog x", -1), "");
}

// The trimmed part before the first delimiter is taken; the rest starts at it.
TEST(SplitOffTokenTest, TakesThePartBeforeTheFirstDelimiter) {
    const struct {
        std::string text, delimiters, token, rest;
    } cases[] = {
        {"a b]c", "]", "a b", "]c"},
        {"  key name \t= value, more", ",=", "key name", "= value, more"},
        {"]starts", "]", "", "]starts"},
        {"  no delimiter here ", "]", "no delimiter here", ""},
        {"abc", "", "abc", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(SplitOffToken(text, c.delimiters), c.token) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
    }
}

// Inserted text is not searched again; letter case counts.
TEST(ReplaceTextTest, ReplacesEveryOccurrenceOnce) {
    const struct {
        std::string text, find, replacement, result;
    } cases[] = {
        {"abab", "ab", "abab", "abababab"},
        {"aaaa", "aa", "a", "aa"},
        {"Path PATH path", "path", "dir", "Path PATH dir"},
        {"Path PATH", "", "x", "Path PATH"},
        {"a b c", " ", "", "abc"},
        {"%1 and %1", "%1", "\"%1\"", "\"%1\" and \"%1\""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        ReplaceText(text, c.find, c.replacement);
        EXPECT_EQ(text, c.result) << c.text;
    }
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

TEST(SmallTextHelpersTest, LastCharPosAndLeftText) {
    EXPECT_EQ(LastCharPos("a\\b\\c", '\\'), 4);
    EXPECT_EQ(LastCharPos("\\", '\\'), 1);
    EXPECT_EQ(LastCharPos("abc", '\\'), 0);
    EXPECT_EQ(LastCharPos("", '\\'), 0);

    EXPECT_EQ(LeftText("abcdef", 3), "abc");
    EXPECT_EQ(LeftText("abc", 10), "abc");
    EXPECT_EQ(LeftText("abc", 0), "");
    EXPECT_EQ(LeftText("abc", -2), "");
}

}  // namespace
}  // namespace zanver
