#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Store.h"

namespace zanver {

// A registry store held in memory, for tests. It starts with the roots
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS and HKEY_CURRENT_CONFIG and
// the key HKEY_LOCAL_MACHINE\Software\Classes, which HKEY_CLASSES_ROOT shows.
// Those keys cannot be deleted.
//
// Besides the store contract it checks handles the way the registry does:
// unknown or closed handles (and HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA) give
// kInvalidHandle, a handle whose key was deleted gives kKeyDeleted, and the
// access a handle was opened with is enforced (kAccessDenied):
//   QueryValue, EnumValue, QueryInfoKey   need kKeyQueryValue
//   SetValue, DeleteValue                 need kKeySetValue
//   EnumKey                               needs kKeyEnumerateSubKeys
//   CreateKey relative to the handle      needs kKeyCreateSubKey
// The predefined roots have every right.
//
// Transactions are real: every change made inside one is journalled, and a
// rollback (asked for, or after an inner part rolled back) undoes the changes
// newest first, so that a failed compound operation leaves the store as it
// was. Handles to keys the rollback removes report kKeyDeleted.
class MemoryStore : public RegistryStore {
  public:
    MemoryStore();
    ~MemoryStore() override;
    MemoryStore(const MemoryStore&) = delete;
    MemoryStore& operator=(const MemoryStore&) = delete;

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
    // Needs kKeyCreateSubKey on destParent; unreadable keys are not moved
    // nor moved into (kAccessDenied).
    long MoveKey(StoreKey sourceParent, std::string_view sourceSubKey, StoreKey destParent,
                 std::string_view destSubKey) override;
    long BeginTransaction() override;
    long EndTransaction(bool commit) override;
    bool CanRollBack() const override { return true; }

    // Test controls.

    // An unreadable key cannot be opened (with any access), created over or
    // below, or deleted: each gives kAccessDenied. It still enumerates in its
    // parent, and handles opened before keep working. False when the key is
    // missing.
    bool SetUnreadable(StoreKey root, std::string_view path, bool unreadable);
    // Handles opened and not yet closed (the predefined roots do not count).
    std::size_t OpenHandleCount() const;
    // True when both stores hold the same keys and values exactly: names with
    // their case, value order, types and bytes.
    bool SameContents(const MemoryStore& other) const;
    // The whole store as text, one line per key ("[HKEY_CURRENT_USER\a\b]")
    // followed by one line per value ("  "name" 1: 61 00"), in enumeration
    // order. Quotes, backslashes and bytes outside printable ASCII in names
    // are escaped.
    std::string Dump() const;
    // The same for one key and its subtree; empty when the key is missing.
    std::string Dump(StoreKey root, std::string_view path) const;

  private:
    struct Value {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    using ValueList = std::list<std::shared_ptr<Value>>;

    struct Node {
        std::string name;
        Node* parent = nullptr;  // null for roots and deleted keys
        std::size_t depth = 0;   // levels below the root
        bool deleted = false;
        bool unreadable = false;
        bool permanent = false;  // roots and Software\Classes
        // Bumped whenever a subkey or a value is added or removed, so that a
        // handle can tell whether its snapshot still matches the key.
        std::uint64_t keysVersion = 0;
        std::uint64_t valuesVersion = 0;
        std::map<std::string, std::shared_ptr<Node>> children;            // by FoldName
        ValueList values;                                                 // first-written order
        std::unordered_map<std::string, ValueList::iterator> valueIndex;  // by FoldName
    };

    // What a handle enumerates: taken at the first enumeration, kept up to
    // date with the changes made through the handle itself, and taken again
    // when an enumeration starts over at index 0 after someone else changed
    // the key.
    struct Handle {
        std::shared_ptr<Node> node;
        std::uint32_t access = 0;
        bool predefined = false;
        bool keysTaken = false;
        std::uint64_t keysVersion = 0;
        std::deque<std::string> keys;
        bool valuesTaken = false;
        std::uint64_t valuesVersion = 0;
        std::deque<std::shared_ptr<Value>> values;
    };

    long Use(StoreKey key, std::uint32_t access, Handle*& handle);
    StoreKey AddHandle(std::shared_ptr<Node> node, std::uint32_t access);
    const Node* Find(StoreKey root, std::string_view path, std::string* fullName) const;
    static void DumpNode(const Node& node, const std::string& fullName, std::string& out);
    static bool SameNode(const Node& a, const Node& b);
    static std::shared_ptr<Node> Walk(const std::shared_ptr<Node>& from,
                                      const std::vector<std::string>& names);
    static void NoteKeyAdded(Handle& handle, const std::string& name);
    static void NoteKeyRemoved(Handle& handle, const std::string& name);
    static void RemoveKeyFromParent(Node& node);
    static std::size_t Height(const Node& node);
    static void ShiftDepth(Node& node, std::size_t depth);
    static void AttachKey(const std::shared_ptr<Node>& node, Node& parent);
    static void DetachValue(Node& node, const std::shared_ptr<Value>& value);
    // Records how to take a change back, while a transaction is open.
    void Journal(std::function<void()> undo);

    std::vector<std::shared_ptr<Node>> roots_;  // named after their root, in handle order
    std::unordered_map<StoreKey, Handle> handles_;
    StoreKey nextHandle_ = 0x1000;
    int txDepth_ = 0;
    bool txRollbackOnly_ = false;
    std::vector<std::function<void()>> journal_;  // oldest first
};

}  // namespace zanver
