#include "RegFileApply.h"

#include <string_view>

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "Exception.h"
#include "KeyPaths.h"
#include "LastError.h"

namespace zanver {

namespace {

[[noreturn]] void StoreFailure(const RegOp& op, long code, const std::string& what) {
    SetLastErrorCode(code);
    throw Exception("Line " + std::to_string(op.line) + ": Could not " + what + ". " +
                    LastErrorText());
}

// The open handles of the last key created and of those of its ancestors that
// were created before it, outermost first. A file lists a key's subkeys after
// it, so each key is created below the nearest of them that is its ancestor:
// one lookup per key instead of one per name of its path.
class KeyChain {
  public:
    explicit KeyChain(RegistryStore& store) : store_(store) {}
    ~KeyChain() { Close(); }
    KeyChain(const KeyChain&) = delete;
    KeyChain& operator=(const KeyChain&) = delete;

    void Close() {
        while (!open_.empty()) {
            store_.CloseKey(open_.back().key);
            open_.pop_back();
        }
    }
    // Creates (or opens) path under root and makes it the current key.
    long Create(RootKey root, const std::string& path) {
        StoreKey parent = root;
        std::string_view rest = path;
        while (!open_.empty()) {
            const Entry& last = open_.back();
            const std::string& prefix = *last.path;
            if (last.root == root && !prefix.empty() && path.size() > prefix.size() + 1 &&
                path.compare(0, prefix.size(), prefix) == 0 && path[prefix.size()] == '\\' &&
                path[prefix.size() + 1] != '\\') {
                parent = last.key;
                rest.remove_prefix(prefix.size() + 1);
                break;
            }
            store_.CloseKey(last.key);
            open_.pop_back();
        }
        StoreKey key = 0;
        bool existed = false;
        const long rc = store_.CreateKey(parent, rest, kKeyAllAccess, key, existed);
        if (rc == err::kSuccess)
            open_.push_back({root, &path, key});
        return rc;
    }
    // The current key; valid only after a successful Create.
    StoreKey Current() const { return open_.empty() ? 0 : open_.back().key; }

  private:
    struct Entry {
        RootKey root;
        const std::string* path;
        StoreKey key;
    };
    RegistryStore& store_;
    std::vector<Entry> open_;
};

}  // namespace

long DeleteStoreKeyTree(RegistryStore& store, StoreKey parent, std::string_view subKey) {
    StoreKey key = 0;
    long rc = store.OpenKey(parent, subKey, kKeyAllAccess, key);
    if (rc == err::kFileNotFound)
        return err::kSuccess;
    if (rc != err::kSuccess)
        return rc;
    std::string name;
    while ((rc = store.EnumKey(key, 0, name)) == err::kSuccess) {
        rc = DeleteStoreKeyTree(store, key, name);
        if (rc != err::kSuccess)
            break;
    }
    store.CloseKey(key);
    if (rc != err::kNoMoreItems)
        return rc;
    return store.DeleteKey(parent, subKey);
}

void ApplyRegOps(RegistryStore& store, const std::vector<RegOp>& ops, const RegProgress& progress,
                 RegImportResult& result) {
    constexpr std::size_t kProgressStep = 1024;
    StoreTransaction transaction(store);
    KeyChain current(store);
    RootKey currentRoot = 0;
    const std::string* currentPath = nullptr;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const RegOp& op = ops[i];
        if (progress && i % kProgressStep == 0)
            progress(i, ops.size());
        switch (op.kind) {
            case RegOp::Kind::Key: {
                const long rc = current.Create(op.root, op.name);
                if (rc != err::kSuccess)
                    StoreFailure(op, rc, "create " + FullKeyName(op.root, op.name));
                currentRoot = op.root;
                currentPath = &op.name;
                ++result.keys;
                break;
            }
            case RegOp::Kind::DeleteKey: {
                // The deletion may take keys of the open handles with it. The
                // root itself is never emptied.
                current.Close();
                const long rc = NamesRootKey(op.name) ? err::kAccessDenied
                                                      : DeleteStoreKeyTree(store, op.root, op.name);
                if (rc != err::kSuccess)
                    StoreFailure(op, rc, "delete " + FullKeyName(op.root, op.name));
                ++result.deletions;
                break;
            }
            case RegOp::Kind::SetValue: {
                const long rc = store.SetValue(current.Current(), op.name, op.type, op.data.data(),
                                               op.data.size());
                if (rc != err::kSuccess)
                    StoreFailure(op, rc,
                                 "write " + FullValueName(currentRoot, *currentPath, op.name));
                ++result.values;
                break;
            }
            case RegOp::Kind::DeleteValue: {
                const long rc = store.DeleteValue(current.Current(), op.name);
                if (rc == err::kSuccess)
                    ++result.deletions;
                else if (rc != err::kFileNotFound)
                    StoreFailure(op, rc,
                                 "delete " + FullValueName(currentRoot, *currentPath, op.name));
                break;
            }
        }
    }
    current.Close();
    const long rc = transaction.Commit();
    if (rc != err::kSuccess) {
        SetLastErrorCode(rc);
        throw Exception("Could not complete the import. " + LastErrorText());
    }
    if (progress)
        progress(ops.size(), ops.size());
}

}  // namespace zanver
