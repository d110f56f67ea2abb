#include "Registry.h"

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "Exception.h"
#include "KeyHandle.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "RegistryAccess.h"

namespace zanver {

namespace {

std::string_view Relative(std::string_view path) {
    if (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    return path;
}

bool Succeeded(long result) {
    if (result != err::kSuccess)
        SetLastErrorCode(result);
    return result == err::kSuccess;
}

std::string MoveFailureText(RootKey root, std::string_view from, std::string_view to) {
    return "Could not copy key " + FullKeyName(root, from) + " to " + FullKeyName(root, to) + ". " +
           LastErrorText();
}

// Copies the values and subkeys of source into destination (both open);
// false at the first store call that fails.
bool CopyKeyContents(RegistryStore& store, StoreKey source, StoreKey destination) {
    std::string name;
    std::uint32_t type = RegNone;
    Bytes data;
    for (std::uint32_t index = 0;; ++index) {
        const long result = store.EnumValue(source, index, name, &type, &data);
        if (result == err::kNoMoreItems)
            break;
        if (!Succeeded(result) ||
            !Succeeded(store.SetValue(destination, name, type, data.empty() ? nullptr : data.data(),
                                      data.size())))
            return false;
    }
    for (std::uint32_t index = 0;; ++index) {
        const long result = store.EnumKey(source, index, name);
        if (result == err::kNoMoreItems)
            break;
        KeyHandle from(store);
        KeyHandle to(store);
        bool existed = false;
        if (!Succeeded(result) || !Succeeded(from.Open(source, name, kKeyRead)) ||
            !Succeeded(to.Create(destination, name, kKeyAllAccess, existed)) ||
            !CopyKeyContents(store, from.Get(), to.Get()))
            return false;
    }
    return true;
}

}  // namespace

// Moves the key with the store's own move, creating the destination's missing
// parents first; false when the store cannot move keys, and the caller copies
// and deletes instead. Raises when the move fails.
bool TRegistry::MoveNatively(RegistryStore& store, std::string_view oldPath,
                             std::string_view newPath) {
    StoreTransaction transaction(store);
    long result = store.MoveKey(rootKey_, oldPath, rootKey_, newPath);
    const std::string parent = ExtractParentKey(newPath);
    if (result == err::kFileNotFound && !parent.empty()) {
        KeyHandle created(store);
        bool existed = false;
        result = created.Create(rootKey_, parent, kKeyCreateSubKey, existed);
        if (result == err::kSuccess)
            result = store.MoveKey(rootKey_, oldPath, rootKey_, newPath);
    }
    if (result == err::kCallNotImplemented)
        return false;
    if (result == err::kSuccess)
        result = transaction.Commit();
    if (result == err::kSuccess)
        return true;
    SetLastErrorCode(result);
    const std::string message = MoveFailureText(rootKey_, oldPath, newPath);
    transaction.Rollback();
    throw Exception(message);
}

TRegistry::TRegistry(RootKey root) : rootKey_(root) {}

TRegistry::~TRegistry() {
    CloseKey();
}

void TRegistry::SetRootKey(RootKey root) {
    CloseKey();
    rootKey_ = root;
}

bool TRegistry::OpenKey(std::string_view path, bool canCreate) {
    CloseKey();
    path = Relative(path);
    RegistryStore& store = ActiveStore();
    StoreKey key = 0;
    long result = err::kSuccess;
    if (canCreate) {
        bool existed = false;
        result = store.CreateKey(rootKey_, path, kKeyAllAccess, key, existed);
    } else {
        result = store.OpenKey(rootKey_, path, kKeyAllAccess, key);
        // A key the user may read but not change can still be shown.
        if (result == err::kAccessDenied)
            result = store.OpenKey(rootKey_, path, kKeyRead, key);
    }
    if (!Succeeded(result))
        return false;
    currentKey_ = key;
    currentPath_ = path;
    return true;
}

void TRegistry::CloseKey() {
    if (currentKey_ != 0)
        ActiveStore().CloseKey(currentKey_);
    currentKey_ = 0;
    currentPath_.clear();
}

bool TRegistry::KeyExists(std::string_view path) const {
    return zanver::KeyExists(rootKey_, Relative(path));
}

bool TRegistry::CreateKey(std::string_view path) {
    KeyHandle key(ActiveStore());
    bool existed = false;
    return Succeeded(key.Create(rootKey_, Relative(path), kKeyAllAccess, existed));
}

bool TRegistry::ValueExists(std::string_view name) const {
    return currentKey_ != 0 &&
           Succeeded(ActiveStore().QueryValue(currentKey_, name, nullptr, nullptr));
}

void TRegistry::GetKeyNames(std::vector<std::string>& list) const {
    list.clear();
    if (currentKey_ == 0)
        return;
    RegistryStore& store = ActiveStore();
    std::string name;
    for (std::uint32_t index = 0; store.EnumKey(currentKey_, index, name) == err::kSuccess; ++index)
        list.push_back(name);
}

void TRegistry::GetValueNames(std::vector<std::string>& list) const {
    list.clear();
    if (currentKey_ == 0)
        return;
    RegistryStore& store = ActiveStore();
    std::string name;
    for (std::uint32_t index = 0;
         store.EnumValue(currentKey_, index, name, nullptr, nullptr) == err::kSuccess; ++index)
        list.push_back(name);
}

void TRegistry::WriteString(std::string_view name, std::string_view text) {
    std::string bytes(text);
    bytes.push_back('\0');
    const long result =
        currentKey_ == 0 ? err::kInvalidHandle
                         : ActiveStore().SetValue(
                               currentKey_, name, RegSz,
                               reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (!Succeeded(result))
        throw Exception(SetValueFailureText(rootKey_, currentPath_, name, false, text));
}

void TRegistry::RenameValue(std::string_view oldName, std::string_view newName) {
    if (currentKey_ == 0)
        return;
    RegistryStore& store = ActiveStore();
    std::uint32_t type = RegNone;
    Bytes data;
    if (store.QueryValue(currentKey_, oldName, &type, &data) != err::kSuccess ||
        store.QueryValue(currentKey_, newName, nullptr, nullptr) == err::kSuccess)
        return;
    // The old value goes only once its copy is stored.
    if (!Succeeded(store.SetValue(currentKey_, newName, type, data.empty() ? nullptr : data.data(),
                                  data.size())))
        throw Exception(SetValueFailureText(rootKey_, currentPath_, newName, true, ""));
    if (!Succeeded(store.DeleteValue(currentKey_, oldName)))
        throw Exception("Could not delete value " + FullValueName(rootKey_, currentPath_, oldName) +
                        ". " + LastErrorText());
}

void TRegistry::MoveKey(std::string_view oldPath, std::string_view newPath, bool deleteOld) {
    oldPath = Relative(oldPath);
    newPath = Relative(newPath);
    // The root itself is neither moved nor overwritten.
    if (NamesRootKey(oldPath) || NamesRootKey(newPath)) {
        SetLastErrorCode(err::kAccessDenied);
        throw Exception(MoveFailureText(rootKey_, oldPath, newPath));
    }
    if (!KeyExists(oldPath) || KeyExists(newPath))
        return;
    if (IsSubKeyOf(rootKey_, newPath, rootKey_, oldPath))
        throw Exception("Could not copy key " + FullKeyName(rootKey_, oldPath) +
                        " into its own subkey " + FullKeyName(rootKey_, newPath) + ".");
    RegistryStore& store = ActiveStore();
    if (deleteOld && MoveNatively(store, oldPath, newPath))
        return;
    StoreTransaction transaction(store);
    KeyHandle from(store);
    KeyHandle to(store);
    bool existed = false;
    if (!Succeeded(from.Open(rootKey_, oldPath, kKeyRead)) ||
        !Succeeded(to.Create(rootKey_, newPath, kKeyAllAccess, existed)) ||
        !CopyKeyContents(store, from.Get(), to.Get())) {
        const std::string message = MoveFailureText(rootKey_, oldPath, newPath);
        from.Close();
        to.Close();
        transaction.Rollback();
        // Stores without transactions keep what was copied: remove the partial copy.
        DeleteKeyTree(rootKey_, newPath);
        throw Exception(message);
    }
    from.Close();
    to.Close();
    if (deleteOld && !DeleteKeyTree(rootKey_, oldPath)) {
        const std::string message = "Could not delete key " + FullKeyName(rootKey_, oldPath) +
                                    " after copying it. " + LastErrorText();
        // Where the store can, the move is undone as a whole; elsewhere the
        // copy stays, so nothing of the key is lost.
        transaction.Rollback();
        throw Exception(message);
    }
    if (!Succeeded(transaction.Commit()))
        throw Exception(MoveFailureText(rootKey_, oldPath, newPath));
}

}  // namespace zanver
