#include "RegistryAccess.h"

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "Exception.h"
#include "KeyHandle.h"
#include "KeyPaths.h"
#include "LastError.h"

namespace zanver {

namespace {

// Records a failed store call as the thread's last error, so that the message
// built next names its cause; true when the call succeeded.
bool Succeeded(long result) {
    if (result != err::kSuccess)
        SetLastErrorCode(result);
    return result == err::kSuccess;
}

bool OpenForQuery(KeyHandle& handle, RootKey root, std::string_view key) {
    return Succeeded(handle.Open(root, key, kKeyQueryValue));
}

// Whether name below parent and every key beneath it can be opened for
// deletion; the first failure is the thread's last error.
bool AllDeletable(RegistryStore& store, StoreKey parent, std::string_view name) {
    KeyHandle key(store);
    if (!Succeeded(key.Open(parent, name, kKeyAllAccess)))
        return false;
    std::string subKey;
    for (std::uint32_t index = 0;; ++index) {
        const long result = store.EnumKey(key.Get(), index, subKey);
        if (result == err::kNoMoreItems)
            return true;
        if (!Succeeded(result) || !AllDeletable(store, key.Get(), subKey))
            return false;
    }
}

// Deletes name below parent with everything beneath it; see DeleteKeyTree.
bool DeleteSubtree(RegistryStore& store, StoreKey parent, std::string_view name) {
    KeyHandle key(store);
    if (!Succeeded(key.Open(parent, name, kKeyAllAccess)))
        return false;
    KeyInfo info;
    if (!Succeeded(store.QueryInfoKey(key.Get(), info)))
        throw Exception("Could not query key " + std::string(name) + ". " + LastErrorText());
    std::uint32_t index = 0;
    std::string subKey;
    while (store.EnumKey(key.Get(), index, subKey) == err::kSuccess) {
        // A deleted subkey's successor moves into its index; one that could
        // not be deleted is stepped over.
        if (!DeleteSubtree(store, key.Get(), subKey))
            ++index;
    }
    key.Close();
    return Succeeded(store.DeleteKey(parent, name));
}

}  // namespace

bool KeyExists(RootKey root, std::string_view key) {
    KeyHandle handle(ActiveStore());
    return OpenForQuery(handle, root, key);
}

bool ValueExists(RootKey root, std::string_view key, std::string_view name) {
    KeyHandle handle(ActiveStore());
    return OpenForQuery(handle, root, key) &&
           Succeeded(handle.Store().QueryValue(handle.Get(), name, nullptr, nullptr));
}

std::uint32_t GetValueType(RootKey root, std::string_view key, std::string_view name) {
    KeyHandle handle(ActiveStore());
    std::uint32_t type = RegNone;
    if (!OpenForQuery(handle, root, key) ||
        !Succeeded(handle.Store().QueryValue(handle.Get(), name, &type, nullptr)))
        return RegNone;
    return type;
}

bool ReadRawValue(RootKey root, std::string_view key, std::string_view name, std::uint32_t& type,
                  Bytes& data) {
    type = RegNone;
    data.clear();
    KeyHandle handle(ActiveStore());
    if (OpenForQuery(handle, root, key) &&
        Succeeded(handle.Store().QueryValue(handle.Get(), name, &type, &data)))
        return true;
    type = RegNone;
    data.clear();
    return false;
}

namespace {

// The text of a string value: its bytes without the terminating zero. Data
// written without a terminator keeps its last character.
std::string StringFromData(const Bytes& data) {
    std::size_t size = data.size();
    if (size > 0 && data[size - 1] == 0)
        --size;
    return std::string(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size));
}

}  // namespace

std::string ReadString(RootKey root, std::string_view key, std::string_view name) {
    std::uint32_t type = RegNone;
    Bytes data;
    if (!ReadRawValue(root, key, name, type, data) || type != RegSz)
        return {};
    return StringFromData(data);
}

std::string ReadExpandString(RootKey root, std::string_view key, std::string_view name) {
    std::uint32_t type = RegNone;
    Bytes data;
    if (!ReadRawValue(root, key, name, type, data) || (type != RegSz && type != RegExpandSz))
        return {};
    return StringFromData(data);
}

std::uint32_t ReadDWordDef(RootKey root, std::string_view key, std::string_view name,
                           std::uint32_t defaultValue) {
    std::uint32_t type = RegNone;
    Bytes data;
    if (!ReadRawValue(root, key, name, type, data) || type != RegDword || data.size() != 4)
        return defaultValue;
    return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
           static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

std::string GetTemplatesFolder() {
    return ReadString(HKEY_CURRENT_USER,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      "Templates");
}

StoreKey CreateKey(RootKey root, std::string_view key, std::uint32_t access, bool& existed) {
    KeyHandle handle(ActiveStore());
    existed = false;
    if (!Succeeded(handle.Create(root, key, access, existed)))
        throw Exception("Could not create or open key " + FullKeyName(root, key) + ". " +
                        LastErrorText());
    return handle.Release();
}

void CloseStoreKey(StoreKey key) {
    if (key != 0)
        ActiveStore().CloseKey(key);
}

bool SetExactRawValue(RootKey root, std::string_view key, std::string_view name, std::uint32_t type,
                      const std::uint8_t* data, std::size_t size) {
    KeyHandle handle(ActiveStore());
    bool existed = false;
    return Succeeded(handle.Create(root, key, kKeySetValue, existed)) &&
           Succeeded(handle.Store().SetValue(handle.Get(), name, type, data, size));
}

bool SetRawValue(RootKey root, std::string_view key, std::string_view name, std::uint32_t type,
                 const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t kZero = 0;
    if (name.empty() && type == RegNone) {
        // The default value cannot be made unassigned: it becomes the empty string.
        type = RegSz;
        data = &kZero;
        size = 1;
    } else if ((type == RegSz || type == RegExpandSz) && size <= 1 && data == nullptr) {
        data = &kZero;
        size = 1;
    }
    return SetExactRawValue(root, key, name, type, data, size);
}

void WriteString(RootKey root, std::string_view key, std::string_view name, bool expandable,
                 std::string_view text) {
    std::string bytes(text);
    bytes.push_back('\0');
    if (!SetRawValue(root, key, name, expandable ? RegExpandSz : RegSz,
                     reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
        throw Exception(SetValueFailureText(root, key, name, false, text));
}

bool WriteDWord(RootKey root, std::string_view key, std::string_view name, std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return SetRawValue(root, key, name, RegDword, bytes, sizeof bytes);
}

void CopyValue(RootKey srcRoot, std::string_view srcKey, std::string_view srcName, RootKey dstRoot,
               std::string_view dstKey, std::string_view dstName) {
    std::uint32_t type = RegNone;
    Bytes data;
    if (!ReadRawValue(srcRoot, srcKey, srcName, type, data))
        throw Exception("Failed to retrieve " + FullValueName(srcRoot, srcKey, srcName) +
                        " from the registry. " + LastErrorText());
    if (!SetRawValue(dstRoot, dstKey, dstName, type, data.empty() ? nullptr : data.data(),
                     data.size()))
        throw Exception("Failed to write " + FullValueName(dstRoot, dstKey, dstName) +
                        " to the registry. " + LastErrorText());
}

bool DeleteValue(RootKey root, std::string_view key, std::string_view name) {
    KeyHandle handle(ActiveStore());
    return Succeeded(handle.Open(root, key, kKeySetValue)) &&
           Succeeded(handle.Store().DeleteValue(handle.Get(), name));
}

bool DeleteKeyTree(RootKey root, std::string_view key) {
    // A path that names the root itself would take the root's whole contents.
    if (NamesRootKey(key)) {
        SetLastErrorCode(err::kAccessDenied);
        return false;
    }
    RegistryStore& store = ActiveStore();
    if (Succeeded(store.DeleteKey(root, key)) || !KeyExists(root, key))
        return true;
    // A delete that fails part-way is rolled back, so that a failure never
    // leaves the key half deleted. A store that cannot roll back is asked
    // first whether every key of the subtree may go.
    if (!store.CanRollBack() && !AllDeletable(store, root, key))
        return false;
    StoreTransaction transaction(store);
    if (!DeleteSubtree(store, root, key))
        return false;
    return Succeeded(transaction.Commit());
}

std::string SetValueFailureText(RootKey root, std::string_view key, std::string_view name,
                                bool unassigned, std::string_view valueText) {
    std::string text = name.empty() ? std::string("Failed to set default value for key ")
                                    : "Failed to set value " + std::string(name) + " of key ";
    text += FullKeyName(root, key) + " to ";
    if (!valueText.empty())
        text += valueText;
    else
        text += unassigned ? "unassigned" : "empty string";
    return text + ". " + LastErrorText();
}

}  // namespace zanver
