#pragma once

#include <cstdint>

namespace zanver {

// Option bits of the program (settings value "Options").
inline constexpr std::uint8_t kOptionShowClassIds = 1;    // class identifiers in the file type list
inline constexpr std::uint8_t kOptionConfirmWrites = 2;   // ask before every write
inline constexpr std::uint8_t kOptionNoConfirmPaste = 4;  // pastes skip the question
inline constexpr std::uint8_t kDefaultOptionFlags = kOptionConfirmWrites;

// The program's option flags; kDefaultOptionFlags until the settings are read.
extern std::uint8_t OptionFlags;

inline bool ConfirmWritesOn() {
    return (OptionFlags & kOptionConfirmWrites) != 0;
}

}  // namespace zanver
