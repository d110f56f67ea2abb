#include "EscapedText.h"

#include "Exception.h"
#include "StrUtils.h"

namespace zanver {

namespace {
constexpr char kQuote = '"';
constexpr char kBackslash = '\\';
constexpr std::size_t kStartQuote = 16;
constexpr std::size_t kEndQuote = 32;
}  // namespace

std::string EscapeText(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 8 + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '\r':
                if (i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
                result += "\\n";
                break;
            case '\n':
                result += "\\n";
                break;
            case kQuote:
            case kBackslash:
                result += kBackslash;
                result += c;
                break;
            default:
                result += c;
        }
    }
    return result;
}

std::string QuoteText(std::string_view text) {
    return kQuote + EscapeText(text) + kQuote;
}

std::string UnquoteText(std::string_view text) {
    if (text.empty())
        throw Exception(std::string(1, kQuote) + " Expected.");
    if (text.front() != kQuote)
        throw Exception(std::string(1, kQuote) +
                        " Expected: " + std::string(text.substr(0, kStartQuote)));
    // A lone double quote opens a string that never ends.
    if (text.size() < 2 || text.back() != kQuote)
        throw Exception("Unterminated string or extra input: " +
                        std::string(text.substr(0, kEndQuote)));
    const std::string_view inner = text.substr(1, text.size() - 2);
    std::string result;
    result.reserve(inner.size());
    for (std::size_t i = 0; i < inner.size(); ++i) {
        const char c = inner[i];
        if (c != kBackslash || i + 1 == inner.size()) {
            result += c;
            continue;
        }
        const char next = inner[i + 1];
        if (next == kQuote || next == kBackslash) {
            result += next;
        } else if (next == 'n') {
            result += "\r\n";
        } else {
            result += c;
            result += next;
        }
        ++i;
    }
    return result;
}

std::string FormatKeyLine(std::string_view keyName) {
    return "[" + std::string(keyName) + "]";
}

void ParseKeyLine(std::string& line, std::string& keyName) {
    std::string_view rest = line;
    while (!rest.empty() && IsWhiteSpace(rest.front()))
        rest.remove_prefix(1);
    if (rest.empty() || rest.front() != '[')
        throw Exception("[ expected.");
    rest.remove_prefix(1);
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos)
        throw Exception("] Expected");
    const std::string name = Trim(rest.substr(0, close));
    if (name.empty())
        throw Exception("Key name expected.");
    std::string newLine = Trim(rest.substr(close + 1));
    keyName = name;
    line = std::move(newLine);
}

}  // namespace zanver
