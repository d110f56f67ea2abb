#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "Store.h"

namespace zanver {

// An open store key that is closed when the object goes out of scope.
class KeyHandle {
  public:
    KeyHandle() = default;
    explicit KeyHandle(RegistryStore& store) : store_(&store) {}
    ~KeyHandle() { Close(); }
    KeyHandle(KeyHandle&& other) noexcept
        : store_(other.store_), key_(std::exchange(other.key_, 0)) {}
    KeyHandle& operator=(KeyHandle&& other) noexcept {
        if (this != &other) {
            Close();
            store_ = other.store_;
            key_ = std::exchange(other.key_, 0);
        }
        return *this;
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    // Open and Create return the store's result code and close what was open before.
    long Open(StoreKey parent, std::string_view path, std::uint32_t access) {
        Close();
        return store_->OpenKey(parent, path, access, key_);
    }
    long Create(StoreKey parent, std::string_view path, std::uint32_t access, bool& existed) {
        Close();
        return store_->CreateKey(parent, path, access, key_, existed);
    }
    void Close() {
        if (key_ != 0)
            store_->CloseKey(key_);
        key_ = 0;
    }
    // Hands the open key to the caller, who closes it.
    StoreKey Release() { return std::exchange(key_, 0); }

    bool IsOpen() const { return key_ != 0; }
    StoreKey Get() const { return key_; }
    RegistryStore& Store() const { return *store_; }

  private:
    RegistryStore* store_ = nullptr;
    StoreKey key_ = 0;
};

}  // namespace zanver
