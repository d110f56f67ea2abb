#include "StrUtils.h"

#include "Exception.h"

#include <algorithm>
#include <utility>

namespace zanver {

std::string_view TrimView(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsWhiteSpace(text[begin]))
        ++begin;
    while (end > begin && IsWhiteSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string Trim(std::string_view text) {
    return std::string(TrimView(text));
}

std::string TrimLeft(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsWhiteSpace(text[begin]))
        ++begin;
    return std::string(text.substr(begin));
}

std::string TrimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsWhiteSpace(text[end - 1]))
        --end;
    return std::string(text.substr(0, end));
}

std::string UpperCaseAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string LowerCaseAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool TryStrToInt(std::string_view text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        return false;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit =
            hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            return false;
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (magnitude > 0xFFFFFFFFull)
            return false;
    }
    if (hex) {
        const auto bits = static_cast<std::uint32_t>(magnitude);
        value = static_cast<std::int32_t>(negative ? 0u - bits : bits);
        return true;
    }
    if (negative ? magnitude > 0x80000000ull : magnitude > 0x7FFFFFFFull)
        return false;
    value = negative ? static_cast<std::int32_t>(0 - static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

std::int32_t StrToInt(std::string_view text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

std::int32_t StrToIntOrZero(std::string_view text) {
    std::int32_t value = 0;
    return TryStrToInt(text, value) ? value : 0;
}

namespace {
// Reads one command-line token starting at pos (after the white space and the
// "" pairs before it) and leaves pos after it.
std::string ReadToken(std::string_view text, std::size_t& pos) {
    std::string token;
    while (pos < text.size() && !IsWhiteSpace(text[pos])) {
        if (text[pos] == '"') {
            ++pos;
            while (pos < text.size() && text[pos] != '"')
                token += text[pos++];
            if (pos < text.size())
                ++pos;  // the closing quote
        } else {
            token += text[pos++];
        }
    }
    return token;
}

// Skips white space and pairs of double quotes; returns whether a token follows.
bool SkipToToken(std::string_view text, std::size_t& pos) {
    for (;;) {
        while (pos < text.size() && IsWhiteSpace(text[pos]))
            ++pos;
        if (pos + 1 < text.size() && text[pos] == '"' && text[pos + 1] == '"')
            pos += 2;
        else
            return pos < text.size();
    }
}
}  // namespace

std::string NthToken(std::string_view text, int index) {
    if (index < 0)
        return {};
    text = text.substr(0, text.find('\0'));
    std::size_t pos = 0;
    for (int i = 0;; ++i) {
        if (!SkipToToken(text, pos))
            return {};
        std::string token = ReadToken(text, pos);
        if (i == index)
            return token;
    }
}

std::string SplitOffToken(std::string& text, std::string_view delimiters) {
    const std::size_t end = std::min(text.find_first_of(delimiters), text.size());
    std::string token = Trim(std::string_view(text).substr(0, end));
    text.erase(0, end);
    return token;
}

void ReplaceText(std::string& text, std::string_view find, std::string_view replace) {
    if (find.empty())
        return;
    std::string result;
    std::size_t from = 0;
    for (std::size_t hit = text.find(find); hit != std::string::npos; hit = text.find(find, from)) {
        result.append(text, from, hit - from);
        result.append(replace);
        from = hit + find.size();
    }
    if (from == 0)
        return;
    result.append(text, from, std::string::npos);
    text = std::move(result);
}

int LastCharPos(std::string_view text, char ch) {
    const std::size_t pos = text.rfind(ch);
    return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

std::string LeftText(std::string_view text, int count) {
    if (count <= 0)
        return {};
    return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

}  // namespace zanver
