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

// The integer reader: an optional sign, then decimal digits, or hexadecimal
// digits after "$" (or "0x"), as a signed 32-bit number; hexadecimal numbers up
// to FFFFFFFF are taken as their bit pattern. Leading blanks are allowed,
// anything else is not. StrToInt raises EConvertError
// "'<text>' is not a valid integer value"; TryStrToInt returns false instead.
bool TryStrToInt(std::string_view text, std::int32_t& value);
std::int32_t StrToInt(std::string_view text);

}  // namespace zanver
