#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "RegistryAccess.h"

// The value text: the one textual form of a typed registry value, in display
// style (tree views, questions) or in REGEDIT4 style (clipboard). In REGEDIT4
// style every value reads back to its exact type and bytes.
//
// Writing: strings in double quotes (never escaped), "dword: 0000001F",
// "hex: 01,02,FF", "<type word>: <bytes>", "hex(<type>): <bytes>".
// Reading accepts the same forms with type words in any letter case, optional
// blanks and colon after the word, and "REG_NONE" for an unassigned value.
// Every malformed text raises zanver::Exception (EConvertError for byte lists
// and DWORD numbers) with a message meant for the user.
namespace zanver {

// The type word of each type number up to RegResourceList; REG_SZ has none
// (a string is written between double quotes).
inline constexpr std::array<std::string_view, 9> TypeWords = {
    "unassigned",       "",     "expandable string", "hex",           "dword",
    "dword big endian", "link", "multiple strings",  "resource list",
};

// The value text of a type and its bytes. A REG_DWORD shows its first four
// bytes, least significant first; bytes it lacks count as zero. In REGEDIT4
// style a REG_DWORD that is not exactly four bytes long is written as a
// "hex(4)" byte list, so that copying it keeps its bytes.
std::string FormatValueText(const std::uint8_t* data, std::size_t size, std::uint32_t type,
                            bool regeditStyle);
std::string FormatValueText(const Bytes& data, std::uint32_t type, bool regeditStyle);

// Reads a value text into a type and its bytes. Raises on malformed text,
// leaving type 0 and no bytes.
void ParseValueText(std::string_view text, std::uint32_t& type, Bytes& data);

// The type a value text denotes, checking its type word (and for strings the
// quotes, for "hex(...)" the number) without reading the bytes; raises like
// ParseValueText for what it checks.
std::uint32_t ValueTextType(std::string_view text);

// Double quote, text, double quote (no escaping); with expandable, preceded by
// "expandable string: ".
std::string MakeStringValueText(std::string_view text, bool expandable);

// The string a value text denotes: the characters up to the first zero byte of
// a REG_SZ, REG_EXPAND_SZ or REG_LINK; empty for REG_NONE or no bytes. Any
// other type raises.
std::string StringFromValueText(std::string_view valueText);

// The display form of a value when it reads back to the same type and bytes;
// otherwise "hex(<type>): <bytes>", which always does. Undo records and pasted
// values use it, so that nothing of a value is lost on its way back.
std::string ExactValueText(const Bytes& data, std::uint32_t type);

// Display form to REGEDIT4 form (surrounding blanks dropped): a quoted string
// gets the escaped form, any other text is parsed and written again in
// REGEDIT4 style, where a REG_SZ read from a byte list is escaped too.
std::string ToRegeditValueText(std::string_view valueText);
// REGEDIT4 form to display form (surrounding blanks dropped): a quoted string
// has its escapes resolved, any other text is parsed and written again in
// display style.
std::string FromRegeditValueText(std::string_view text);

}  // namespace zanver
