#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Registry.h"
#include "RootKeys.h"

// Lists kept in the registry as the value names of one key (the histories of
// the entry boxes, the exclusion list); the values carry no data.
namespace zanver {

// Opens Key below HKEY_CURRENT_USER (without creating it) through
// GlobalRegistry and replaces List with its value names in store order. False,
// with List untouched, when the key cannot be opened. GlobalRegistry is back
// at HKEY_CLASSES_ROOT afterwards.
bool ReadSettingsValueNames(std::string_view key, std::vector<std::string>& list);

// Deletes Key with its subtree, then, when List is not empty, creates it again
// with one empty string value for each of the first MaxCount entries, in list
// order. Raises EZanver "Failed to create " + the full key name when the key
// cannot be created (it is deleted by then). Registry gets its root back.
void SaveValueNames(TRegistry& registry, RootKey root, std::string_view key, int maxCount,
                    const std::vector<std::string>& list);

}  // namespace zanver
