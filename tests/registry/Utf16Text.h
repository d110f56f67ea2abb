#pragma once

#include <string>

// Text as UTF-16LE with a byte order mark, as registry files of version 5.00
// are written.
inline std::string Utf16(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}
