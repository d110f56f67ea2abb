#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Store.h"

// The predefined registry roots. These names clash with the macros of
// <windows.h>: files that include it must not use them.
namespace zanver {

using RootKey = StoreKey;

inline constexpr RootKey HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr RootKey HKEY_CURRENT_USER = 0x80000001u;
inline constexpr RootKey HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr RootKey HKEY_USERS = 0x80000003u;
inline constexpr RootKey HKEY_PERFORMANCE_DATA = 0x80000004u;
inline constexpr RootKey HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr RootKey HKEY_DYN_DATA = 0x80000006u;

// What RootKeyFromName gives for a name it does not know: no root at all.
inline constexpr RootKey kUnknownRoot = 6;

bool IsPredefinedRoot(StoreKey key);

// "HKEY_CLASSES_ROOT" and the others; "Unknown root key" for anything else.
std::string RootKeyName(RootKey root);
// The root with that full name (ASCII letter case ignored); kUnknownRoot when none.
RootKey RootKeyFromName(std::string_view name);

}  // namespace zanver
