#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ErrorOf.h"
#include "EscapedText.h"
#include "Exception.h"

using namespace zanver;

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
    // Unknown escapes and a final backslash stay as they are.
    EXPECT_EQ(UnquoteText("\"\\q\\N\\t\""), "\\q\\N\\t");
    EXPECT_EQ(UnquoteText("\"a\\\""), "a\\");
    // A doubled backslash is one unit: the n after it is a plain n.
    EXPECT_EQ(UnquoteText("\"\\\\n\""), "\\n");
    // Inner double quotes are taken as they are.
    EXPECT_EQ(UnquoteText("\"a\"b\""), "a\"b");
}

TEST(EscapedText, UnquoteErrors) {
    const std::string longText = "\"" + std::string(40, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"", "\" Expected."},
        {"abcdefghijklmnopqrstuvwxyz", "\" Expected: abcdefghijklmnop"},
        {" \"a\"", "\" Expected:  \"a\""},
        {"\"abc", "Unterminated string or extra input: \"abc"},
        {"\"a\" ", "Unterminated string or extra input: \"a\" "},
        {"\"", "Unterminated string or extra input: \""},
        {longText, "Unterminated string or extra input: " + longText.substr(0, 32)},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(ErrorOf([&] { UnquoteText(text); }), message) << text;
}

// The key name and the rest of the line, or the error.
TEST(KeyLine, FormatAndParse) {
    EXPECT_EQ(FormatKeyLine("HKEY_CLASSES_ROOT\\.txt"), "[HKEY_CLASSES_ROOT\\.txt]");
    const std::pair<std::string, std::string> cases[] = {
        {"[ x ] rest", "x|rest"},
        {" \t[HKEY_USERS\\a b]", "HKEY_USERS\\a b|"},
        {"[a]]b", "a|]b"},
        {"[[a]  tail  ", "[a|tail"},
        {"", "[ expected."},
        {"   ", "[ expected."},
        {"x[a]", "[ expected."},
        {"[abc", "] Expected"},
        {"[", "] Expected"},
        {"[]", "Key name expected."},
        {"[ \t ] rest", "Key name expected."},
    };
    for (const auto& [text, expected] : cases) {
        std::string line = text;
        std::string keyName;
        const std::string error = ErrorOf([&] { ParseKeyLine(line, keyName); });
        EXPECT_EQ(error == "no error" ? keyName + "|" + line : error, expected) << text;
    }
}
