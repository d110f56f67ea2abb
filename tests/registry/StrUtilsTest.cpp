#include "StrUtils.h"

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

}  // namespace
}  // namespace zanver
