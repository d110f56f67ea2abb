#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EscapedText.h"
#include "Exception.h"

using namespace zanver;

namespace {

std::string RaisedBy(void (*call)(std::string_view), std::string_view text) {
    try {
        call(text);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "nothing raised";
}

void Unquote(std::string_view text) {
    UnquoteText(text);
}

// Every line break (CR LF, lone CR, lone LF) as CR LF.
std::string NormalizeLineBreaks(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            result += "\r\n";
        } else {
            result += text[i];
        }
    }
    return result;
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
    EXPECT_EQ(RaisedBy(Unquote, ""), "\" Expected.");
    EXPECT_EQ(RaisedBy(Unquote, "abcdefghijklmnopqrstuvwxyz"), "\" Expected: abcdefghijklmnop");
    EXPECT_EQ(RaisedBy(Unquote, " \"a\""), "\" Expected:  \"a\"");
    EXPECT_EQ(RaisedBy(Unquote, "\"abc"), "Unterminated string or extra input: \"abc");
    EXPECT_EQ(RaisedBy(Unquote, "\"a\" "), "Unterminated string or extra input: \"a\" ");
    EXPECT_EQ(RaisedBy(Unquote, "\""), "Unterminated string or extra input: \"");
    const std::string longText = "\"" + std::string(40, 'x');
    EXPECT_EQ(RaisedBy(Unquote, longText),
              "Unterminated string or extra input: " + longText.substr(0, 32));
}

TEST(EscapedText, UnquoteOfQuoteGivesTextWithCrLfBreaks) {
    std::mt19937 random(4711);
    const std::string alphabet = "ab\\\"n\r\n \x01\xff";
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 12, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        const std::string quoted = QuoteText(text);
        EXPECT_EQ(quoted.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(UnquoteText(quoted), NormalizeLineBreaks(text));
    }
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
        try {
            ParseKeyLine(line, keyName);
            ADD_FAILURE() << text;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), message) << text;
        }
        EXPECT_EQ(line, text);
        EXPECT_EQ(keyName, "old");
    }
}
