#include "RootKeys.h"

#include <array>

#include "StrUtils.h"

namespace zanver {

namespace {

struct RootName {
    RootKey root;
    const char* name;
};

constexpr std::array<RootName, 7> kRootNames = {{
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
}};

}  // namespace

bool IsPredefinedRoot(StoreKey key) {
    return key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA;
}

std::string RootKeyName(RootKey root) {
    for (const RootName& entry : kRootNames)
        if (entry.root == root)
            return entry.name;
    return "Unknown root key";
}

RootKey RootKeyFromName(std::string_view name) {
    const std::string upper = UpperCaseAscii(name);
    for (const RootName& entry : kRootNames)
        if (upper == entry.name)
            return entry.root;
    return kUnknownRoot;
}

}  // namespace zanver
