#include "RegFileApply.h"

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

// Closes the handle it holds when it goes out of scope or gets another one.
class KeyHolder {
  public:
    explicit KeyHolder(RegistryStore& store) : store_(store) {}
    ~KeyHolder() { Close(); }
    KeyHolder(const KeyHolder&) = delete;
    KeyHolder& operator=(const KeyHolder&) = delete;
    void Close() {
        if (open_)
            store_.CloseKey(key_);
        open_ = false;
    }
    StoreKey& Reset() {
        Close();
        return key_;
    }
    void SetOpen() { open_ = true; }
    StoreKey Get() const { return key_; }

  private:
    RegistryStore& store_;
    StoreKey key_ = 0;
    bool open_ = false;
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
    KeyHolder current(store);
    RootKey currentRoot = 0;
    const std::string* currentPath = nullptr;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const RegOp& op = ops[i];
        if (progress && i % kProgressStep == 0)
            progress(i, ops.size());
        switch (op.kind) {
            case RegOp::Kind::Key: {
                bool existed = false;
                StoreKey& key = current.Reset();
                const long rc = store.CreateKey(op.root, op.name, kKeyAllAccess, key, existed);
                if (rc != err::kSuccess)
                    StoreFailure(op, rc, "create " + FullKeyName(op.root, op.name));
                current.SetOpen();
                currentRoot = op.root;
                currentPath = &op.name;
                ++result.keys;
                break;
            }
            case RegOp::Kind::DeleteKey: {
                current.Close();
                const long rc = DeleteStoreKeyTree(store, op.root, op.name);
                if (rc != err::kSuccess)
                    StoreFailure(op, rc, "delete " + FullKeyName(op.root, op.name));
                ++result.deletions;
                break;
            }
            case RegOp::Kind::SetValue: {
                const long rc =
                    store.SetValue(current.Get(), op.name, op.type, op.data.data(), op.data.size());
                if (rc != err::kSuccess)
                    StoreFailure(op, rc,
                                 "write " + FullValueName(currentRoot, *currentPath, op.name));
                ++result.values;
                break;
            }
            case RegOp::Kind::DeleteValue: {
                const long rc = store.DeleteValue(current.Get(), op.name);
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
