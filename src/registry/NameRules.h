#pragma once

#include <string>
#include <string_view>
#include <vector>

// Name rules shared by the stores that keep the registry themselves: how names
// are compared and ordered, and which names and paths are acceptable.
namespace zanver {

// The name with ASCII letters upper-cased: the key by which names are found
// and subkeys are ordered (the registry's own order sorts "_" after "Z").
std::string FoldName(std::string_view name);
bool SameName(std::string_view a, std::string_view b);
// Negative, zero or positive as a sorts before, with or after b.
int CompareNames(std::string_view a, std::string_view b);

// Splits a relative key path at "\" into its names. A leading "\" is an error
// (as for the registry API), and so are empty names ("a\\b"), a name over
// kMaxKeyNameLength and a zero byte in a name; trailing "\" is allowed. Returns kSuccess or
// kInvalidParameter (ErrorCodes.h).
long SplitKeyPath(std::string_view path, std::vector<std::string>& names);

// The paths of a key move: the names of the source path, the names of the
// destination's parent path, and the destination's own name. Both paths must
// name a key (not be empty); kInvalidParameter otherwise.
long SplitMovePaths(std::string_view source, std::string_view dest,
                    std::vector<std::string>& sourceNames,
                    std::vector<std::string>& destParentNames, std::string& destName);

// Up to kMaxValueNameLength characters and no zero byte: the registry API
// takes names as zero-terminated strings.
bool ValidValueName(std::string_view name);

}  // namespace zanver
