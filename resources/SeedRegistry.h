#pragma once

#include <string_view>

namespace zanver {

// The associations a new store starts with: the bytes of
// resources/seed/associations.reg, a REGEDIT4 file (8-bit text, CRLF line
// ends) with the extensions, file types and classes of a typical Windows
// installation and a few per-user settings.
std::string_view SeedRegistryText();

}  // namespace zanver
