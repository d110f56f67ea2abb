#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "RootKeys.h"

// Stateless registry functions over the active store. Each opens what it needs,
// does one thing and closes it again. Queries never raise; writers raise
// zanver::Exception with the program's message unless they return a Boolean.
namespace zanver {

using Bytes = std::vector<std::uint8_t>;

bool KeyExists(RootKey root, std::string_view key);
bool ValueExists(RootKey root, std::string_view key, std::string_view name);
std::uint32_t GetValueType(RootKey root, std::string_view key, std::string_view name);
// Type and bytes of a value; false (type 0, no bytes) when it cannot be read.
bool ReadRawValue(RootKey root, std::string_view key, std::string_view name, std::uint32_t& type,
                  Bytes& data);
std::string ReadString(RootKey root, std::string_view key, std::string_view name);
std::string ReadExpandString(RootKey root, std::string_view key, std::string_view name);
std::uint32_t ReadDWordDef(RootKey root, std::string_view key, std::string_view name,
                           std::uint32_t defaultValue);
std::string GetTemplatesFolder();

// Creates or opens the key and returns it open with the requested access; the
// caller closes it (CloseStoreKey). Raises "Could not create or open key ...".
StoreKey CreateKey(RootKey root, std::string_view key, std::uint32_t access, bool& existed);
void CloseStoreKey(StoreKey key);

bool SetRawValue(RootKey root, std::string_view key, std::string_view name, std::uint32_t type,
                 const std::uint8_t* data, std::size_t size);
// Stores type and bytes exactly as given, without SetRawValue's substitutions:
// how an undo puts back a value that existed (an unassigned default value, an
// empty string without its terminator).
bool SetExactRawValue(RootKey root, std::string_view key, std::string_view name, std::uint32_t type,
                      const std::uint8_t* data, std::size_t size);
void WriteString(RootKey root, std::string_view key, std::string_view name, bool expandable,
                 std::string_view text);
bool WriteDWord(RootKey root, std::string_view key, std::string_view name, std::uint32_t value);
void CopyValue(RootKey srcRoot, std::string_view srcKey, std::string_view srcName, RootKey dstRoot,
               std::string_view dstKey, std::string_view dstName);
bool DeleteValue(RootKey root, std::string_view key, std::string_view name);
bool DeleteKeyTree(RootKey root, std::string_view key);

std::string SetValueFailureText(RootKey root, std::string_view key, std::string_view name,
                                bool unassigned, std::string_view valueText);

}  // namespace zanver
