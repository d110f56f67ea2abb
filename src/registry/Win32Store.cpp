#include "Win32Store.h"

#include "ErrorCodes.h"
#include "NameRules.h"
#include "RootKeys.h"

// Last: <windows.h> defines HKEY_CLASSES_ROOT and the other root names of
// RootKeys.h as macros. Below, those names are the API's HKEY values.
#include <windows.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace zanver {

namespace {

// A name buffer never grows beyond this (the API's names are far shorter).
constexpr std::size_t kNameBufferLimit = 1u << 20;

HKEY AsHkey(void* key) {
    return static_cast<HKEY>(key);
}

// Windows' predefined HKEYs are our 32-bit root numbers, sign-extended.
HKEY PredefinedHkey(StoreKey root) {
    const auto value = static_cast<LONG>(static_cast<std::uint32_t>(root));
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(value));
}

// The API may return a predefined HKEY itself (opening a root with an empty
// path); that one must not be closed.
bool IsPredefinedHkey(HKEY key) {
    const auto value = reinterpret_cast<ULONG_PTR>(key);
    return value >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT) &&
           value <= reinterpret_cast<ULONG_PTR>(HKEY_DYN_DATA);
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int CompareLowerFolded(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(LowerAscii(a[i]));
        const auto cb = static_cast<unsigned char>(LowerAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

// Reads the names that enumerate(index, buffer, length) yields for index 0, 1,
// ... until the API reports no more items, growing the buffer as needed.
template <typename Enumerate>
long ReadNames(Enumerate enumerate, std::vector<std::string>& names) {
    names.clear();
    std::vector<char> buffer(kMaxKeyNameLength + 1);
    DWORD index = 0;
    while (true) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG rc = enumerate(index, buffer.data(), &length);
        if (rc == ERROR_NO_MORE_ITEMS)
            return err::kSuccess;
        if (rc == ERROR_MORE_DATA && buffer.size() < kNameBufferLimit) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != ERROR_SUCCESS)
            return rc;
        names.emplace_back(buffer.data(), length);
        ++index;
    }
}

// Type and, when asked for, data of one value: first the size, then the bytes
// (again when the value grew in between).
long ReadValue(HKEY key, const std::string& name, std::uint32_t* type,
               std::vector<std::uint8_t>* data) {
    DWORD valueType = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &valueType, nullptr,
                               data != nullptr ? &size : nullptr);
    while (rc == ERROR_SUCCESS && data != nullptr) {
        std::vector<std::uint8_t> bytes(size);
        DWORD length = size;
        rc = RegQueryValueExA(key, name.c_str(), nullptr, &valueType,
                              bytes.empty() ? nullptr : bytes.data(), &length);
        if (rc == ERROR_MORE_DATA || (rc == ERROR_SUCCESS && length > size)) {
            size = length;
            rc = ERROR_SUCCESS;
            continue;
        }
        if (rc == ERROR_SUCCESS) {
            bytes.resize(length);
            *data = std::move(bytes);
        }
        break;
    }
    if (rc == ERROR_SUCCESS && type != nullptr)
        *type = valueType;
    return rc;
}

// The API is given a path in pieces of at most this many levels and characters:
// Windows creates no more than 32 levels in one call, and Wine converts an ANSI
// path in a buffer of MAX_PATH characters.
constexpr std::size_t kLevelsPerCall = 32;
constexpr std::size_t kCharsPerCall = kMaxKeyNameLength;

std::vector<std::string> PathPieces(const std::vector<std::string>& names, std::size_t count) {
    std::vector<std::string> pieces;
    std::size_t levels = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (pieces.empty() || levels == kLevelsPerCall ||
            pieces.back().size() + 1 + names[i].size() > kCharsPerCall) {
            pieces.push_back(names[i]);
            levels = 1;
        } else {
            pieces.back() += '\\';
            pieces.back() += names[i];
            ++levels;
        }
    }
    return pieces;
}

void CloseHkey(HKEY key) {
    if (!IsPredefinedHkey(key))
        RegCloseKey(key);
}

// Opens or creates the first `count` of names below `from`, one piece at a
// time; the keys on the way are closed again. disposition tells whether the
// last key was created.
long Walk(HKEY from, const std::vector<std::string>& names, std::size_t count, REGSAM access,
          bool create, HKEY& result, DWORD* disposition) {
    std::vector<std::string> pieces = PathPieces(names, count);
    if (pieces.empty())
        pieces.emplace_back();  // the key itself
    HKEY current = from;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        const REGSAM wanted = last ? access : (create ? KEY_CREATE_SUB_KEY : MAXIMUM_ALLOWED);
        HKEY next = nullptr;
        const LONG rc = create ? RegCreateKeyExA(current, pieces[i].c_str(), 0, nullptr,
                                                 REG_OPTION_NON_VOLATILE, wanted, nullptr, &next,
                                                 last ? disposition : nullptr)
                               : RegOpenKeyExA(current, pieces[i].c_str(), 0, wanted, &next);
        if (current != from)
            CloseHkey(current);
        if (rc != ERROR_SUCCESS)
            return rc;
        current = next;
    }
    result = current;
    return ERROR_SUCCESS;
}

// Generic rights stand for the key rights they grant.
std::uint32_t KeyRights(std::uint32_t access) {
    if (access & (GENERIC_READ | GENERIC_EXECUTE))
        access |= KEY_READ;
    if (access & GENERIC_WRITE)
        access |= KEY_WRITE;
    if (access & (GENERIC_ALL | MAXIMUM_ALLOWED))
        access |= KEY_ALL_ACCESS;
    return access;
}

void EraseName(std::vector<std::string>& names, std::string_view name) {
    const auto found = std::find_if(names.begin(), names.end(),
                                    [&](const std::string& n) { return SameName(n, name); });
    if (found != names.end())
        names.erase(found);
}

}  // namespace

Win32Store::Win32Store() : foldsToLower_(RunningUnderWine()), sortsValues_(RunningUnderWine()) {}

Win32Store::~Win32Store() {
    for (const auto& [key, handle] : handles_)
        CloseHkey(AsHkey(handle.hkey));
}

bool Win32Store::RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

long Win32Store::Resolve(StoreKey key, Handle*& handle) {
    if (IsPredefinedRoot(key)) {
        auto [it, inserted] = roots_.try_emplace(key);
        if (inserted) {
            it->second.hkey = PredefinedHkey(key);
            it->second.isRoot = true;
            it->second.access = KEY_ALL_ACCESS;
            // HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\Software\Classes.
            it->second.depth = PredefinedHkey(key) == HKEY_CLASSES_ROOT ? 2 : 0;
        }
        handle = &it->second;
        return err::kSuccess;
    }
    const auto found = handles_.find(key);
    if (found == handles_.end())
        return err::kInvalidHandle;
    handle = &found->second;
    return err::kSuccess;
}

long Win32Store::ResolvePath(StoreKey parent, std::string_view subKey, Handle*& handle,
                             std::vector<std::string>& names) {
    const long rc = Resolve(parent, handle);
    if (rc != err::kSuccess)
        return rc;
    return SplitKeyPath(subKey, names);
}

StoreKey Win32Store::AddHandle(void* hkey, std::size_t depth, std::uint32_t access) {
    while (IsPredefinedRoot(nextHandle_))
        ++nextHandle_;
    const StoreKey key = nextHandle_++;
    Handle& handle = handles_[key];
    handle.hkey = hkey;
    handle.depth = depth;
    handle.access = KeyRights(access);
    return key;
}

bool Win32Store::NameLess(std::string_view a, std::string_view b) const {
    return (foldsToLower_ ? CompareLowerFolded(a, b) : CompareNames(a, b)) < 0;
}

void Win32Store::InsertName(std::vector<std::string>& names, std::string_view name,
                            bool sorted) const {
    if (std::any_of(names.begin(), names.end(),
                    [&](const std::string& n) { return SameName(n, name); }))
        return;
    const auto at = sorted ? std::lower_bound(names.begin(), names.end(), name,
                                              [this](const std::string& n, std::string_view v) {
                                                  return NameLess(n, v);
                                              })
                           : names.end();
    names.emplace(at, name);
}

long Win32Store::LoadSubKeys(Handle& handle) {
    const HKEY key = AsHkey(handle.hkey);
    const long rc = ReadNames(
        [key](DWORD index, char* buffer, DWORD* length) {
            return RegEnumKeyExA(key, index, buffer, length, nullptr, nullptr, nullptr, nullptr);
        },
        handle.subKeys);
    handle.subKeysLoaded = rc == err::kSuccess;
    return rc;
}

long Win32Store::LoadValues(Handle& handle) {
    const HKEY key = AsHkey(handle.hkey);
    const long rc = ReadNames(
        [key](DWORD index, char* buffer, DWORD* length) {
            return RegEnumValueA(key, index, buffer, length, nullptr, nullptr, nullptr, nullptr);
        },
        handle.values);
    handle.valuesLoaded = rc == err::kSuccess;
    return rc;
}

long Win32Store::OpenKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                         StoreKey& result) {
    result = 0;
    Handle* handle = nullptr;
    std::vector<std::string> names;
    long rc = ResolvePath(parent, subKey, handle, names);
    if (rc != err::kSuccess)
        return rc;
    HKEY opened = nullptr;
    rc = Walk(AsHkey(handle->hkey), names, names.size(), access, false, opened, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    result = AddHandle(opened, handle->depth + names.size(), access);
    return err::kSuccess;
}

long Win32Store::CreateKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                           StoreKey& result, bool& existed) {
    result = 0;
    existed = false;
    Handle* handle = nullptr;
    std::vector<std::string> names;
    long rc = ResolvePath(parent, subKey, handle, names);
    if (rc != err::kSuccess)
        return rc;
    if (handle->depth + names.size() > kMaxKeyDepth)
        return err::kInvalidParameter;
    HKEY created = nullptr;
    DWORD disposition = 0;
    rc = Walk(AsHkey(handle->hkey), names, names.size(), access, true, created, &disposition);
    if (handle->subKeysLoaded && !names.empty()) {
        // The first key of the path may have been made even when a deeper one failed.
        HKEY first = nullptr;
        const bool made =
            rc == ERROR_SUCCESS || RegOpenKeyExA(AsHkey(handle->hkey), names.front().c_str(), 0,
                                                 MAXIMUM_ALLOWED, &first) == 0;
        if (first != nullptr)
            CloseHkey(first);
        if (made)
            InsertName(handle->subKeys, names.front(), true);
    }
    if (rc != ERROR_SUCCESS)
        return rc;
    existed = disposition == REG_OPENED_EXISTING_KEY;
    result = AddHandle(created, handle->depth + names.size(), access);
    return err::kSuccess;
}

long Win32Store::CloseKey(StoreKey key) {
    if (IsPredefinedRoot(key))
        return err::kSuccess;
    const auto found = handles_.find(key);
    if (found == handles_.end())
        return err::kInvalidHandle;
    const HKEY hkey = AsHkey(found->second.hkey);
    handles_.erase(found);
    return IsPredefinedHkey(hkey) ? err::kSuccess : RegCloseKey(hkey);
}

long Win32Store::EnumKey(StoreKey key, std::uint32_t index, std::string& name) {
    Handle* handle = nullptr;
    long rc = Resolve(key, handle);
    if (rc != err::kSuccess)
        return rc;
    if (!handle->subKeysLoaded || (handle->isRoot && index == 0)) {
        rc = LoadSubKeys(*handle);
        if (rc != err::kSuccess)
            return rc;
    }
    if (index >= handle->subKeys.size())
        return err::kNoMoreItems;
    name = handle->subKeys[index];
    return err::kSuccess;
}

long Win32Store::EnumValue(StoreKey key, std::uint32_t index, std::string& name,
                           std::uint32_t* type, std::vector<std::uint8_t>* data) {
    Handle* handle = nullptr;
    long rc = Resolve(key, handle);
    if (rc != err::kSuccess)
        return rc;
    if (!handle->valuesLoaded || (handle->isRoot && index == 0)) {
        rc = LoadValues(*handle);
        if (rc != err::kSuccess)
            return rc;
    }
    if (index >= handle->values.size())
        return err::kNoMoreItems;
    if (type != nullptr || data != nullptr) {
        rc = ReadValue(AsHkey(handle->hkey), handle->values[index], type, data);
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    name = handle->values[index];
    return err::kSuccess;
}

long Win32Store::QueryInfoKey(StoreKey key, KeyInfo& info) {
    Handle* handle = nullptr;
    long rc = Resolve(key, handle);
    if (rc != err::kSuccess)
        return rc;
    // Windows asks for query access here; Wine does not.
    if ((handle->access & KEY_QUERY_VALUE) == 0)
        return err::kAccessDenied;
    DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueNameLen = 0, maxValueLen = 0;
    rc = RegQueryInfoKeyA(AsHkey(handle->hkey), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen,
                          nullptr, &values, &maxValueNameLen, &maxValueLen, nullptr, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    info.subKeys = subKeys;
    info.maxSubKeyLen = maxSubKeyLen;
    info.values = values;
    info.maxValueNameLen = maxValueNameLen;
    info.maxValueLen = maxValueLen;
    return err::kSuccess;
}

long Win32Store::QueryValue(StoreKey key, std::string_view name, std::uint32_t* type,
                            std::vector<std::uint8_t>* data) {
    Handle* handle = nullptr;
    const long rc = Resolve(key, handle);
    if (rc != err::kSuccess)
        return rc;
    return ReadValue(AsHkey(handle->hkey), std::string(name), type, data);
}

long Win32Store::SetValue(StoreKey key, std::string_view name, std::uint32_t type,
                          const std::uint8_t* data, std::size_t size) {
    Handle* handle = nullptr;
    long rc = Resolve(key, handle);
    if (rc != err::kSuccess)
        return rc;
    if (!ValidValueName(name) || (data == nullptr && size != 0) ||
        size > std::numeric_limits<DWORD>::max())
        return err::kInvalidParameter;
    const std::string valueName(name);
    rc = RegSetValueExA(AsHkey(handle->hkey), valueName.c_str(), 0, type, data,
                        static_cast<DWORD>(size));
    if (rc == ERROR_SUCCESS && handle->valuesLoaded)
        InsertName(handle->values, valueName, sortsValues_);
    return rc;
}

long Win32Store::DeleteValue(StoreKey key, std::string_view name) {
    Handle* handle = nullptr;
    long rc = Resolve(key, handle);
    if (rc != err::kSuccess)
        return rc;
    rc = RegDeleteValueA(AsHkey(handle->hkey), std::string(name).c_str());
    if (rc == ERROR_SUCCESS && handle->valuesLoaded)
        EraseName(handle->values, name);
    return rc;
}

long Win32Store::DeleteKey(StoreKey key, std::string_view subKey) {
    Handle* handle = nullptr;
    std::vector<std::string> names;
    long rc = ResolvePath(key, subKey, handle, names);
    if (rc != err::kSuccess)
        return rc;
    const std::vector<std::string> pieces = PathPieces(names, names.size());
    if (pieces.size() <= 1) {
        rc = RegDeleteKeyA(AsHkey(handle->hkey), pieces.empty() ? "" : pieces[0].c_str());
    } else {
        HKEY parent = nullptr;
        rc = Walk(AsHkey(handle->hkey), names, names.size() - 1, MAXIMUM_ALLOWED, false, parent,
                  nullptr);
        if (rc == ERROR_SUCCESS) {
            rc = RegDeleteKeyA(parent, names.back().c_str());
            CloseHkey(parent);
        }
    }
    if (rc == ERROR_SUCCESS && handle->subKeysLoaded && names.size() == 1)
        EraseName(handle->subKeys, names[0]);
    return rc;
}

}  // namespace zanver
