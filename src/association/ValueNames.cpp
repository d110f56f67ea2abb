#include "ValueNames.h"

#include <algorithm>
#include <cstddef>

#include "Errors.h"
#include "GlobalRegistry.h"
#include "KeyPaths.h"
#include "RegistryAccess.h"

namespace zanver {

namespace {

// Closes the registry object's key on every way out.
class KeyCloser {
  public:
    explicit KeyCloser(TRegistry& registry) : registry_(registry) {}
    ~KeyCloser() { registry_.CloseKey(); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

  private:
    TRegistry& registry_;
};

}  // namespace

bool ReadSettingsValueNames(std::string_view key, std::vector<std::string>& list) {
    // The root goes back to HKEY_CLASSES_ROOT whatever root it had before.
    GlobalRegistry.SetRootKey(HKEY_CLASSES_ROOT);
    RootSwitch root(GlobalRegistry, HKEY_CURRENT_USER);
    if (!GlobalRegistry.OpenKey(key, false))
        return false;
    KeyCloser closer(GlobalRegistry);
    std::vector<std::string> names;
    GlobalRegistry.GetValueNames(names);
    list = std::move(names);
    return true;
}

void SaveValueNames(TRegistry& registry, RootKey root, std::string_view key, int maxCount,
                    const std::vector<std::string>& list) {
    DeleteKeyTree(root, key);
    if (list.empty())
        return;
    RootSwitch rootSwitch(registry, root);
    if (!registry.OpenKey(key, true))
        throw EZanver("Failed to create " + FullKeyName(root, key));
    KeyCloser closer(registry);
    const std::size_t count =
        std::min(list.size(), static_cast<std::size_t>(std::max(maxCount, 0)));
    for (std::size_t i = 0; i < count; ++i)
        registry.WriteString(list[i], "");
}

}  // namespace zanver
