#pragma once

#include <string>
#include <string_view>

namespace zanver {

// A one-line description of a class identifier from its key below
// HKEY_CLASSES_ROOT: its name, else its ProgID, else its in-process server,
// else "has no description"; "not found" when the class key is missing.
std::string DescribeClassId(std::string_view clsid);

}  // namespace zanver
