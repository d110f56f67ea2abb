// Helpers for tests that work on registry stores: a self-closing handle and
// the store calls around it, the whole of a key as text, and writes and reads
// of the active store by path.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "Registry.h"
#include "RegistryAccess.h"
#include "Store.h"
#include "ValueTextRegistry.h"

namespace zanver::test {

using Names = std::vector<std::string>;

// A handle of a store that closes itself.
class Key {
  public:
    explicit Key(RegistryStore& store) : store_(store) {}
    ~Key() { Close(); }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    operator StoreKey() const { return handle_; }
    // Where the store puts a new handle; the old one is closed first.
    StoreKey& Out() {
        Close();
        return handle_;
    }
    void Close() {
        if (handle_)
            store_.CloseKey(handle_);
        handle_ = 0;
    }

  private:
    RegistryStore& store_;
    StoreKey handle_ = 0;
};

inline long Create(RegistryStore& store, StoreKey parent, const std::string& path, Key& key,
                   bool* existed = nullptr) {
    bool ignored = false;
    return store.CreateKey(parent, path, kKeyAllAccess, key.Out(), existed ? *existed : ignored);
}

inline long Open(RegistryStore& store, StoreKey parent, const std::string& path, Key& key,
                 std::uint32_t access = kKeyAllAccess) {
    return store.OpenKey(parent, path, access, key.Out());
}

inline long Set(RegistryStore& store, StoreKey key, const std::string& name, std::uint32_t type,
                std::string_view data) {
    return store.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                          data.size());
}

inline void MakeKeys(RegistryStore& store, StoreKey parent,
                     std::initializer_list<std::string> names) {
    for (const std::string& name : names) {
        Key child(store);
        EXPECT_EQ(Create(store, parent, name, child), 0) << name;
    }
}

// Enumerates until the store reports the end; anything other than "no more
// items" there is a failure.
inline Names SubKeys(RegistryStore& store, StoreKey key) {
    Names names;
    std::string name;
    long rc = 0;
    for (std::uint32_t index = 0; (rc = store.EnumKey(key, index, name)) == 0; ++index)
        names.push_back(name);
    EXPECT_EQ(rc, err::kNoMoreItems);
    return names;
}

inline Names ValueNames(RegistryStore& store, StoreKey key) {
    Names names;
    std::string name;
    long rc = 0;
    for (std::uint32_t index = 0; (rc = store.EnumValue(key, index, name, nullptr, nullptr)) == 0;
         ++index)
        names.push_back(name);
    EXPECT_EQ(rc, err::kNoMoreItems);
    return names;
}

// The data of a value as text; "(none)" when it cannot be read.
inline std::string ReadData(RegistryStore& store, StoreKey key, const std::string& name) {
    std::vector<std::uint8_t> data;
    if (store.QueryValue(key, name, nullptr, &data) != 0)
        return "(none)";
    return std::string(data.begin(), data.end());
}

// The key's subtree as text: names with their case, every value's type and
// bytes in enumeration order; "(missing)" when the key cannot be opened.
inline std::string Tree(RegistryStore& store, StoreKey parent, const std::string& path) {
    Key key(store);
    if (Open(store, parent, path, key, kKeyRead) != 0)
        return "(missing)";
    std::string text;
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    for (std::uint32_t i = 0; store.EnumValue(key, i, name, &type, &data) == 0; ++i) {
        text += "\"" + name + "\" " + std::to_string(type) + ":";
        for (const std::uint8_t byte : data)
            text += " " + std::to_string(byte);
        text += "\n";
    }
    for (const std::string& child : SubKeys(store, key))
        text += "[" + child + "]\n" + Tree(store, key, child) + "[/" + child + "]\n";
    return text;
}

// The active store, by path.

// A string's bytes with their terminating zero.
inline std::vector<std::uint8_t> Sz(std::string_view text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

inline void SetText(RootKey root, const std::string& key, const std::string& name,
                    const std::string& valueText) {
    SetValueText(root, key, name, valueText);
}

inline void SetBytes(RootKey root, const std::string& key, const std::string& name,
                     std::uint32_t type, const std::vector<std::uint8_t>& data) {
    ASSERT_TRUE(
        SetExactRawValue(root, key, name, type, data.empty() ? nullptr : data.data(), data.size()));
}

inline void MakeKey(RootKey root, const std::string& key) {
    ASSERT_TRUE(TRegistry(root).CreateKey(key));
}

inline Names SubKeysOf(RootKey root, const std::string& key) {
    TRegistry registry(root);
    Names names;
    if (registry.OpenKey(key, false))
        registry.GetKeyNames(names);
    return names;
}

inline Names ValueNamesOf(RootKey root, const std::string& key) {
    TRegistry registry(root);
    Names names;
    if (registry.OpenKey(key, false))
        registry.GetValueNames(names);
    return names;
}

}  // namespace zanver::test
