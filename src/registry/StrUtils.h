#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Small text helpers shared by the whole program.
namespace zanver {

// White space is every character with a code of 32 or less.
inline bool IsWhiteSpace(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string UpperCaseAscii(std::string_view text);
std::string LowerCaseAscii(std::string_view text);
// The value of a hexadecimal digit (either letter case), or -1.
int HexDigit(char c);

// The integer reader: an optional sign, then decimal digits, or hexadecimal
// digits after "$" (or "0x"), as a signed 32-bit number; hexadecimal numbers up
// to FFFFFFFF are taken as their bit pattern. Leading blanks are allowed,
// anything else is not. StrToInt raises EConvertError
// "'<text>' is not a valid integer value"; TryStrToInt returns false instead.
bool TryStrToInt(std::string_view text, std::int32_t& value);
std::int32_t StrToInt(std::string_view text);

// The integer read as by StrToInt, or 0 when the text is not a valid integer.
std::int32_t StrToIntOrZero(std::string_view text);

// The token at index (from 0) of a command line, split by the platform's rules
// for program arguments: tokens are separated by white space (codes 1 to 32);
// before a token, pairs of double quotes ("") are skipped; inside a token a
// double-quoted part may contain white space and its quotes are removed; a
// missing closing quote ends the token at the end of the text. A character
// with code 0 ends the command line, as it ends the platform's C string.
// Empty when there are fewer tokens (or index is negative).
std::string NthToken(std::string_view text, int index);

// Takes off the front of text everything before the first character that is
// one of delimiters: text then begins with that delimiter (or is empty when
// there is none). Returns the part taken off, trimmed of white space.
std::string SplitOffToken(std::string& text, std::string_view delimiters);

// Replaces every occurrence of find (letter case counts) from left to right;
// the search goes on after each inserted replacement, so a replacement is
// never searched again. An empty find changes nothing.
void ReplaceText(std::string& text, std::string_view find, std::string_view replace);

// The 1-based position of the last ch in text, 0 when there is none.
int LastCharPos(std::string_view text, char ch);

// The first count characters of text (all of it when it is shorter, none when
// count is not positive).
std::string LeftText(std::string_view text, int count);

inline int MaxOf(int a, int b) {
    return a > b ? a : b;
}

}  // namespace zanver
