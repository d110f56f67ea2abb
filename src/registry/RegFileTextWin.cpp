// Windows forms of the conversions between the store's text and UTF-16: the
// registry's 8-bit functions hold names and strings in the ANSI code page.
#include "RegFileText.h"

#include "Exception.h"

// After our own headers: windows.h defines macros that clash with their names.
#include <windows.h>

#include <climits>

namespace zanver::regfile {

namespace {

// Text is converted in pieces of about this many bytes or code units, well
// within the int lengths of the conversion functions.
constexpr std::size_t kPiece = std::size_t{1} << 20;

bool AnsiIsUtf8() {
    return GetACP() == CP_UTF8;
}

int IntSize(std::size_t size) {
    if (size > INT_MAX)
        throw Exception("Text too long to convert.");
    return static_cast<int>(size);
}

// Converts ANSI text to UTF-16, piece by piece. A piece ends after a byte
// below 0x40, which is never the second byte of a double-byte character.
template <typename Sink>
void ForEachWidePiece(std::string_view text, Sink sink) {
    std::wstring wide;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.size();
        if (end - pos > kPiece) {
            end = pos + kPiece;
            std::size_t cut = end;
            while (cut > pos && static_cast<unsigned char>(text[cut - 1]) >= 0x40)
                --cut;
            if (cut > pos)
                end = cut;
        }
        const char* piece = text.data() + pos;
        const int length = IntSize(end - pos);
        const int units = MultiByteToWideChar(CP_ACP, 0, piece, length, nullptr, 0);
        wide.resize(static_cast<std::size_t>(units));
        if (units > 0)
            MultiByteToWideChar(CP_ACP, 0, piece, length, wide.data(), units);
        sink(std::wstring_view(wide));
        pos = end;
    }
}

bool IsSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Converts units (one character: a unit or a surrogate pair) to ANSI text;
// true when the code page holds the character.
bool AppendOne(const wchar_t* units, int count, std::string& out) {
    char buffer[8];
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, count, buffer,
                                           sizeof buffer, nullptr, &usedDefault);
    if (length <= 0) {
        out.push_back('?');
        return false;
    }
    out.append(buffer, static_cast<std::size_t>(length));
    return !usedDefault;
}

// Converts one piece of UTF-16 to ANSI text. Whole pieces go in one call; a
// piece with surrogates or characters the code page lacks is converted again
// character by character to find the bad ones.
bool AppendAnsiPiece(std::wstring_view wide, std::string& out, std::vector<BadText>* bad) {
    bool plain = true;
    for (const wchar_t unit : wide)
        if (IsSurrogate(unit)) {
            plain = false;
            break;
        }
    if (plain) {
        const int count = IntSize(wide.size());
        BOOL usedDefault = FALSE;
        const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), count,
                                               nullptr, 0, nullptr, &usedDefault);
        if (length > 0 && !usedDefault) {
            const std::size_t start = out.size();
            out.resize(start + static_cast<std::size_t>(length));
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), count,
                                out.data() + start, length, nullptr, nullptr);
            return true;
        }
    }
    bool good = true;
    const auto markBad = [&](std::size_t offset, BadText::Kind kind) {
        good = false;
        if (bad)
            bad->push_back({offset, kind});
    };
    for (std::size_t k = 0; k < wide.size(); ++k) {
        const wchar_t unit = wide[k];
        const std::size_t offset = out.size();
        if (unit >= 0xD800 && unit <= 0xDBFF && k + 1 < wide.size() && wide[k + 1] >= 0xDC00 &&
            wide[k + 1] <= 0xDFFF) {
            if (!AppendOne(&wide[k], 2, out))
                markBad(offset, BadText::Unrepresentable);
            ++k;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            // A byte that another system's UTF-8 could not decode, written
            // by our export there: the byte itself.
            out.push_back(static_cast<char>(unit - 0xDC00));
        } else if (IsSurrogate(unit)) {
            out.push_back('?');
            markBad(offset, BadText::Invalid);
        } else if (!AppendOne(&wide[k], 1, out)) {
            markBad(offset, BadText::Unrepresentable);
        }
    }
    return good;
}

}  // namespace

void AppendUtf16Le(std::string_view text, std::string& out) {
    if (AnsiIsUtf8())
        return AppendUtf16LeFromUtf8(text, out);
    ForEachWidePiece(text, [&out](std::wstring_view wide) {
        const std::size_t start = out.size();
        out.resize(start + wide.size() * 2);
        char* p = out.data() + start;
        for (const wchar_t unit : wide) {
            *p++ = static_cast<char>(unit & 0xFF);
            *p++ = static_cast<char>((unit >> 8) & 0xFF);
        }
    });
}

std::size_t Utf16Length(std::string_view text) {
    if (AnsiIsUtf8())
        return Utf16LengthOfUtf8(text);
    std::size_t units = 0;
    ForEachWidePiece(text, [&units](std::wstring_view wide) { units += wide.size(); });
    return units;
}

bool AppendFromUtf16Le(std::string_view utf16le, std::string& out, std::vector<BadText>* bad) {
    if (AnsiIsUtf8())
        return AppendUtf8FromUtf16Le(utf16le, out, bad);
    bool good = true;
    const std::size_t units = utf16le.size() / 2;
    std::wstring wide;
    std::size_t k = 0;
    while (k < units) {
        std::size_t end = units - k > kPiece ? k + kPiece : units;
        wide.resize(end - k);
        for (std::size_t i = 0; i < wide.size(); ++i)
            wide[i] =
                static_cast<wchar_t>(static_cast<unsigned char>(utf16le[2 * (k + i)]) |
                                     (static_cast<unsigned char>(utf16le[2 * (k + i) + 1]) << 8));
        // Keep a surrogate pair together in one piece.
        if (end < units && wide.back() >= 0xD800 && wide.back() <= 0xDBFF) {
            wide.pop_back();
            --end;
        }
        good = AppendAnsiPiece(wide, out, bad) && good;
        k = end;
    }
    if (utf16le.size() % 2 != 0) {
        good = false;
        if (bad)
            bad->push_back({out.size(), BadText::Invalid});
        out.push_back('?');
    }
    return good;
}

}  // namespace zanver::regfile
