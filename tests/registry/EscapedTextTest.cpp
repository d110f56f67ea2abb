#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ErrorOf.h"
#include "EscapedText.h"
#include "Exception.h"

using namespace zanver;

namespace {

std::string UnquoteError(std::string_view text) {
    return ErrorOf([&] { UnquoteText(text); });
}

}  // namespace

TEST(EscapedText, EscapeLineBreaksQuotesAndBackslashes) {
    EXPECT_EQ(EscapeText("a\r\nb"), "a\\nb");
    EXPECT_EQ(EscapeText("a\rb\nc"), "a\\nb\\nc");
    EXPECT_EQ(EscapeText("\r\r\n\n\n\r"), "\\n\\n\\n\\n\\n");
    EXPECT_EQ(EscapeText("say \"hi\""), "say \\\"hi\\\"");
    EXPECT_EQ(EscapeText("C:\\dir\\"), "C:\\\\dir\\\\");
    EXPECT_EQ(EscapeText("plain\ttext %1"), "plain\ttext %1");
    EXPECT_EQ(EscapeText(""), "");
    EXPECT_EQ(QuoteText("a\\b\r\n"), "\"a\\\\b\\n\"");
    EXPECT_EQ(QuoteText(""), "\"\"");
}

TEST(EscapedText, UnquoteResolvesEscapes) {
    EXPECT_EQ(UnquoteText("\"a\\\\b\\n\""), "a\\b\r\n");
    EXPECT_EQ(UnquoteText("\"\\\"quoted\\\"\""), "\"quoted\"");
    EXPECT_EQ(UnquoteText("\"\""), "");
    // Unknown escapes and a final backslash stay as they are.
    EXPECT_EQ(UnquoteText("\"\\q\\N\\t\""), "\\q\\N\\t");
    EXPECT_EQ(UnquoteText("\"a\\\""), "a\\");
    // A doubled backslash is one unit: the n after it is a plain n.
    EXPECT_EQ(UnquoteText("\"\\\\n\""), "\\n");
    // Inner double quotes are taken as they are.
    EXPECT_EQ(UnquoteText("\"a\"b\""), "a\"b");
}

TEST(EscapedText, UnquoteErrors) {
    EXPECT_EQ(UnquoteError(""), "\" Expected.");
    EXPECT_EQ(UnquoteError("abcdefghijklmnopqrstuvwxyz"), "\" Expected: abcdefghijklmnop");
    EXPECT_EQ(UnquoteError(" \"a\""), "\" Expected:  \"a\"");
    EXPECT_EQ(UnquoteError("\"abc"), "Unterminated string or extra input: \"abc");
    EXPECT_EQ(UnquoteError("\"a\" "), "Unterminated string or extra input: \"a\" ");
    EXPECT_EQ(UnquoteError("\""), "Unterminated string or extra input: \"");
    const std::string longText = "\"" + std::string(40, 'x');
    EXPECT_EQ(UnquoteError(longText),
              "Unterminated string or extra input: " + longText.substr(0, 32));
}

TEST(KeyLine, FormatAndParse) {
    EXPECT_EQ(FormatKeyLine("HKEY_CLASSES_ROOT\\.txt"), "[HKEY_CLASSES_ROOT\\.txt]");

    struct Case {
        std::string line;
        std::string keyName;
        std::string rest;
    };
    const std::vector<Case> cases = {
        {"[ x ] rest", "x", "rest"},
        {" \t[HKEY_USERS\\a b]", "HKEY_USERS\\a b", ""},
        {"[a]]b", "a", "]b"},
        {"[[a]  tail  ", "[a", "tail"},
    };
    for (const Case& c : cases) {
        std::string line = c.line;
        std::string keyName = "old";
        ParseKeyLine(line, keyName);
        EXPECT_EQ(keyName, c.keyName) << c.line;
        EXPECT_EQ(line, c.rest) << c.line;
    }
}

TEST(KeyLine, ParseErrorsLeaveLineUnchanged) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "[ expected."},
        {"   ", "[ expected."},
        {"x[a]", "[ expected."},
        {"[abc", "] Expected"},
        {"[", "] Expected"},
        {"[]", "Key name expected."},
        {"[ \t ] rest", "Key name expected."},
    };
    for (const auto& [text, message] : cases) {
        std::string line = text;
        std::string keyName = "old";
        EXPECT_EQ(ErrorOf([&] { ParseKeyLine(line, keyName); }), message) << text;
        EXPECT_EQ(line, text);
        EXPECT_EQ(keyName, "old");
    }
}
