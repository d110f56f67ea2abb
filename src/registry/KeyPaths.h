#pragma once

#include <string>
#include <string_view>

#include "RootKeys.h"

namespace zanver {

// Root name, and "\" + Key unless Key is empty ("\" left out when Key already
// begins with one).
std::string FullKeyName(RootKey root, std::string_view key);
std::string FullValueName(RootKey root, std::string_view key, std::string_view name);

// HKEY_CLASSES_ROOT\x becomes HKEY_LOCAL_MACHINE\Software\Classes\x.
void MapClassesRoot(RootKey& root, std::string& key);

// True when key lies strictly below ancestorKey (classes root mapped, one
// leading "\" ignored, ASCII letter case ignored).
bool IsSubKeyOf(RootKey root, std::string_view key, RootKey ancestorRoot,
                std::string_view ancestorKey);

// True when path names the root itself rather than a key below it: empty, or
// nothing but "\" separators and white space. Deleting or moving such a path
// would take the whole root, so every caller refuses it.
bool NamesRootKey(std::string_view path);

std::string ExtractKeyName(std::string_view path);
std::string ExtractParentKey(std::string_view path);
std::string FirstKeyName(std::string_view path);
std::string StripFirstKeyName(std::string_view path);

}  // namespace zanver
