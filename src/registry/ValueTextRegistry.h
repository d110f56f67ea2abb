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

// ExactValueText of a value: what an undo record keeps to put it back.
std::string ReadExactValueText(RootKey root, std::string_view key, std::string_view name);

// Parses valueText (its errors pass through, nothing is written) and stores
// the result. Raises zanver::Exception with SetValueFailureText when the store
// refuses the value.
void SetValueText(RootKey root, std::string_view key, std::string_view name,
                  std::string_view valueText);

// SetValueText for an undo: the type and bytes of valueText (an exact text,
// see ExactValueText) are stored as they are, without the substitutions of
// SetRawValue, so that the value comes back as it was.
void RestoreValueText(RootKey root, std::string_view key, std::string_view name,
                      std::string_view valueText);

}  // namespace zanver
