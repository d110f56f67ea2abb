#include "RegFileText.h"

#include "StrUtils.h"

namespace zanver::regfile {

namespace {

// Decodes one UTF-8 sequence at text[i]: its code point and length, or length
// 0 when the bytes there do not form a valid sequence (overlong forms,
// surrogates and values above U+10FFFF are invalid).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char b0 = byte(0);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            low = 0xA0;
        else if (b0 == 0xED)
            high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            low = 0x90;
        else if (b0 == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char b = byte(k);
        if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF))
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return length;
}

void PutUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

void AppendUtf16LeFromUtf8(std::string_view text, std::string& out) {
    // At most two bytes of output for each byte of text: written through a
    // pointer, then cut to size.
    const std::size_t start = out.size();
    out.resize(start + text.size() * 2);
    char* p = out.data() + start;
    const auto put = [&p](char32_t unit) {
        *p++ = static_cast<char>(unit & 0xFF);
        *p++ = static_cast<char>(unit >> 8);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            *p++ = static_cast<char>(b);
            *p++ = '\0';
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0) {
            put(0xDC00 + b);
            ++i;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
            i += length;
        } else {
            put(cp);
            i += length;
        }
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
}

bool IsValidUtf8(std::string_view text) {
    char32_t cp = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::size_t Utf16LengthOfUtf8(std::string_view text) {
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(text, i, cp);
        units += length == 4 ? 2 : 1;
        i += length == 0 ? 1 : length;
    }
    return units;
}

bool AppendUtf8FromUtf16Le(std::string_view utf16le, std::string& out, std::vector<BadText>* bad) {
    bool good = true;
    const auto markBad = [&] {
        good = false;
        if (bad)
            bad->push_back({out.size(), BadText::Invalid});
        PutUtf8(0xFFFD, out);
    };
    const std::size_t units = utf16le.size() / 2;
    const auto unitAt = [&](std::size_t k) {
        return static_cast<char16_t>(static_cast<unsigned char>(utf16le[2 * k]) |
                                     (static_cast<unsigned char>(utf16le[2 * k + 1]) << 8));
    };
    out.reserve(out.size() + units);
    for (std::size_t k = 0; k < units; ++k) {
        const char16_t unit = unitAt(k);
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
        } else if (unit >= 0xD800 && unit <= 0xDBFF) {
            const char16_t next = k + 1 < units ? unitAt(k + 1) : 0;
            if (next >= 0xDC00 && next <= 0xDFFF) {
                PutUtf8(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (next - 0xDC00), out);
                ++k;
            } else {
                markBad();
            }
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            out.push_back(static_cast<char>(unit - 0xDC00));
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            markBad();
        } else {
            PutUtf8(unit, out);
        }
    }
    if (utf16le.size() % 2 != 0)
        markBad();
    return good;
}

#ifndef _WIN32
// Elsewhere the store's text is UTF-8; Windows has its own forms of these in
// RegFileTextWin.cpp.
void AppendUtf16Le(std::string_view text, std::string& out) {
    AppendUtf16LeFromUtf8(text, out);
}

std::size_t Utf16Length(std::string_view text) {
    return Utf16LengthOfUtf8(text);
}

bool AppendFromUtf16Le(std::string_view utf16le, std::string& out, std::vector<BadText>* bad) {
    return AppendUtf8FromUtf16Le(utf16le, out, bad);
}
#endif

bool LineReader::Next(std::string_view& line) {
    if (pos_ >= text_.size())
        return false;
    const std::size_t end = text_.find_first_of("\r\n", pos_);
    lineOffset_ = pos_;
    ++lineNumber_;
    if (end == std::string_view::npos) {
        line = text_.substr(pos_);
        pos_ = text_.size();
        return true;
    }
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n')
        ++pos_;
    return true;
}

void AppendEscaped(std::string_view text, std::string& out) {
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out.push_back(c);
        }
    }
}

std::size_t ReadQuoted(std::string_view text, std::string& out) {
    std::size_t i = 1;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"')
            return i + 1;
        if (c == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            switch (next) {
                case '\\':
                case '"':
                    out.push_back(next);
                    break;
                case 'n':
                    out.push_back('\n');
                    break;
                case 'r':
                    out.push_back('\r');
                    break;
                case '0':
                    out.push_back('\0');
                    break;
                default:
                    out.push_back(c);
                    out.push_back(next);
            }
            i += 2;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return 0;
}

bool OnlyComment(std::string_view rest) {
    for (const char c : rest) {
        if (c == ';')
            return true;
        if (!IsWhiteSpace(c))
            return false;
    }
    return true;
}

}  // namespace zanver::regfile
