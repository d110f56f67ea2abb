#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Store.h"

namespace zanver {

// The system registry of Windows, reached through the ANSI functions of
// advapi32. Results are the API's own error codes.
//
// What the store adds to the API:
// - Handles are the store's own numbers, each standing for one HKEY it opened
//   (the API may hand out the same predefined HKEY twice). Handles still open
//   when the store is destroyed are closed then.
// - Windows' limits are checked before the API is called, since not every
//   implementation of it enforces them: key names over kMaxKeyNameLength (in any
//   path), malformed paths (see SplitKeyPath), new keys deeper than kMaxKeyDepth
//   and value names over kMaxValueNameLength in SetValue are refused with
//   kInvalidParameter. HKEY_CLASSES_ROOT counts as
//   HKEY_LOCAL_MACHINE\Software\Classes, two levels deep. As in the API, an
//   empty path opens the key itself as a new handle, and DeleteKey with an empty
//   path deletes the key itself.
// - Long paths are passed to the API in pieces of at most 32 levels and 255
//   characters (Windows creates at most 32 levels in one call, Wine's ANSI
//   functions take paths of less than MAX_PATH characters).
// - QueryInfoKey needs query access to the key, as on Windows (Wine does not
//   check it).
// - Enumeration runs over per-handle snapshots of the names, as Store.h asks:
//   taken at a handle's first EnumKey or EnumValue, and kept up to date for the
//   keys and values that are created or deleted through the same handle. Type
//   and data of an enumerated value are read live. The predefined roots are
//   never closed, so their snapshots are taken afresh whenever an enumeration
//   starts again at index 0.
// - Transactions are not available and the calls do nothing.
class Win32Store : public RegistryStore {
  public:
    Win32Store();
    ~Win32Store() override;
    Win32Store(const Win32Store&) = delete;
    Win32Store& operator=(const Win32Store&) = delete;

    // Wine's registry orders subkeys by lower-cased names (so "_" sorts before
    // the letters) and values by name; Windows orders subkeys by upper-cased
    // names and keeps values in the order they were first written.
    static bool RunningUnderWine();
    bool FoldsToLower() const { return foldsToLower_; }
    bool SortsValues() const { return sortsValues_; }

    long OpenKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                 StoreKey& result) override;
    long CreateKey(StoreKey parent, std::string_view subKey, std::uint32_t access, StoreKey& result,
                   bool& existed) override;
    long CloseKey(StoreKey key) override;
    long EnumKey(StoreKey key, std::uint32_t index, std::string& name) override;
    long EnumValue(StoreKey key, std::uint32_t index, std::string& name, std::uint32_t* type,
                   std::vector<std::uint8_t>* data) override;
    long QueryInfoKey(StoreKey key, KeyInfo& info) override;
    long QueryValue(StoreKey key, std::string_view name, std::uint32_t* type,
                    std::vector<std::uint8_t>* data) override;
    long SetValue(StoreKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                  std::size_t size) override;
    long DeleteValue(StoreKey key, std::string_view name) override;
    long DeleteKey(StoreKey key, std::string_view subKey) override;

  private:
    // One key as the store knows it: a predefined root or a key it opened.
    struct Handle {
        void* hkey = nullptr;  // the HKEY
        std::size_t depth = 0;
        std::uint32_t access = 0;  // as opened, generic rights mapped
        bool isRoot = false;
        bool subKeysLoaded = false;
        std::vector<std::string> subKeys;
        bool valuesLoaded = false;
        std::vector<std::string> values;
    };

    long Resolve(StoreKey key, Handle*& handle);
    long ResolvePath(StoreKey parent, std::string_view subKey, Handle*& handle,
                     std::vector<std::string>& names);
    StoreKey AddHandle(void* hkey, std::size_t depth, std::uint32_t access);
    long LoadSubKeys(Handle& handle);
    long LoadValues(Handle& handle);
    bool NameLess(std::string_view a, std::string_view b) const;
    void InsertName(std::vector<std::string>& names, std::string_view name, bool sorted) const;

    std::unordered_map<StoreKey, Handle> handles_;
    std::unordered_map<StoreKey, Handle> roots_;
    // Above the numbers of the roots, the unknown one included.
    StoreKey nextHandle_ = 0x10000;
    bool foldsToLower_;
    bool sortsValues_;
};

}  // namespace zanver
