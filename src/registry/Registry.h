#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RootKeys.h"

namespace zanver {

// A registry object: a current root key and at most one open current key.
class TRegistry {
  public:
    explicit TRegistry(RootKey root = HKEY_CURRENT_USER);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    RootKey GetRootKey() const { return rootKey_; }
    void SetRootKey(RootKey root);  // closes the current key

    // Closes the current key and makes path the current one; with canCreate
    // the key and its missing parents are created. False when that fails.
    bool OpenKey(std::string_view path, bool canCreate);
    void CloseKey();
    bool HasCurrentKey() const { return currentKey_ != 0; }
    const std::string& CurrentPath() const { return currentPath_; }

    bool KeyExists(std::string_view path) const;
    bool CreateKey(std::string_view path);
    bool ValueExists(std::string_view name) const;
    // Names of the subkeys / values of the current key in store order
    // (empty when no key is open).
    void GetKeyNames(std::vector<std::string>& list) const;
    void GetValueNames(std::vector<std::string>& list) const;
    // Stores text as a REG_SZ of the current key; raises on failure.
    void WriteString(std::string_view name, std::string_view text);
    void RenameValue(std::string_view oldName, std::string_view newName);
    void MoveKey(std::string_view oldPath, std::string_view newPath, bool deleteOld);

  private:
    bool MoveNatively(RegistryStore& store, std::string_view oldPath, std::string_view newPath);

    RootKey rootKey_;
    StoreKey currentKey_ = 0;
    std::string currentPath_;
};

}  // namespace zanver
