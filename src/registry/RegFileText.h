#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "StrUtils.h"

// Text handling of registry files: UTF-16LE conversion, lines, string escapes
// and hex byte lists. Used by the reader and the writer only.
namespace zanver::regfile {

inline constexpr std::string_view kHeader4 = "REGEDIT4";
inline constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

// The store's 8-bit text is UTF-8, except on Windows, where the registry holds
// it in the ANSI code page (unless that code page is UTF-8).

// A place in converted text where UTF-16 could not be converted faithfully.
struct BadText {
    enum Kind { Invalid, Unrepresentable };
    std::size_t offset;  // in the output, where the replacement starts
    Kind kind;           // an unpaired surrogate or an odd final byte, or a
                         // character the ANSI code page lacks (Windows only)
};

// Appends the store's text to out as UTF-16LE bytes.
void AppendUtf16Le(std::string_view text, std::string& out);
// The number of UTF-16 code units AppendUtf16Le writes for text.
std::size_t Utf16Length(std::string_view text);
// Appends UTF-16LE bytes to out as the store's text. Every character that
// could not be converted is written as a replacement and added to bad.
// Returns true when nothing was bad.
bool AppendFromUtf16Le(std::string_view utf16le, std::string& out,
                       std::vector<BadText>* bad = nullptr);

// The UTF-8 forms of the three above.
// Appends text (read as UTF-8) to out as UTF-16LE bytes. Bytes that are not
// part of a valid UTF-8 sequence become U+DC00 + byte (U+DC80..U+DCFF).
void AppendUtf16LeFromUtf8(std::string_view text, std::string& out);
// Whether text is valid UTF-8 throughout.
bool IsValidUtf8(std::string_view text);
std::size_t Utf16LengthOfUtf8(std::string_view text);
// Appends UTF-16LE bytes to out as UTF-8, the surrogates U+DC80..U+DCFF as the
// single bytes they stand for. Any other unpaired surrogate is written as
// U+FFFD and is bad, and so is an odd final byte (which is dropped).
bool AppendUtf8FromUtf16Le(std::string_view utf16le, std::string& out,
                           std::vector<BadText>* bad = nullptr);

// Splits text into lines at CR LF, lone CR and lone LF; the last line may
// lack its line end.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    // The next line without its end; false at the end of the text.
    bool Next(std::string_view& line);
    // The number (from 1) of the line Next returned last.
    std::size_t LineNumber() const { return lineNumber_; }
    // The offset in the text of the line Next returned last.
    std::size_t LineOffset() const { return lineOffset_; }
    std::size_t Position() const { return pos_; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t lineNumber_ = 0;
    std::size_t lineOffset_ = 0;
};

// Appends text escaped for a quoted name or string: \\, \", \n, \r and \0.
void AppendEscaped(std::string_view text, std::string& out);

// Reads a quoted string at the start of text (which begins with the double
// quote) and resolves its escapes; unknown escapes keep both characters.
// Returns the number of characters used, or 0 when the closing quote is
// missing.
std::size_t ReadQuoted(std::string_view text, std::string& out);

// True when the rest of a line holds nothing but blanks and a ; comment.
bool OnlyComment(std::string_view rest);

}  // namespace zanver::regfile
