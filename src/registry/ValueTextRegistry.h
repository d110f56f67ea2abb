#pragma once

#include <string>
#include <string_view>

#include "RootKeys.h"

// Reading and writing registry values as value text (ValueText.h).
namespace zanver {

// The value text of a value; a value that cannot be read is type 0 without
// bytes ("unassigned", or "hex(0): " in REGEDIT4 style).
std::string ReadValueText(RootKey root, std::string_view key, std::string_view name,
                          bool regeditStyle);

// Parses valueText (its errors pass through, nothing is written) and stores
// the result. Raises zanver::Exception with SetValueFailureText when the store
// refuses the value.
void SetValueText(RootKey root, std::string_view key, std::string_view name,
                  std::string_view valueText);

}  // namespace zanver
