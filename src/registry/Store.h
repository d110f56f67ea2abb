#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ErrorCodes.h"

namespace zanver {

// A key handle of a registry store. The predefined roots have the fixed values
// 0x80000000 to 0x80000006 (see RootKeys.h); every other handle is one the
// store returned from OpenKey or CreateKey and is closed with CloseKey.
using StoreKey = std::uint64_t;

// Value type numbers.
inline constexpr std::uint32_t RegNone = 0;
inline constexpr std::uint32_t RegSz = 1;
inline constexpr std::uint32_t RegExpandSz = 2;
inline constexpr std::uint32_t RegBinary = 3;
inline constexpr std::uint32_t RegDword = 4;
inline constexpr std::uint32_t RegDwordBigEndian = 5;
inline constexpr std::uint32_t RegLink = 6;
inline constexpr std::uint32_t RegMultiSz = 7;
inline constexpr std::uint32_t RegResourceList = 8;

// Access rights, with the numbers of the registry API.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyNotify = 0x0010;
inline constexpr std::uint32_t kKeyCreateLink = 0x0020;
inline constexpr std::uint32_t kDelete = 0x00010000;
inline constexpr std::uint32_t kReadControl = 0x00020000;
inline constexpr std::uint32_t kKeyRead = 0x00020019;
inline constexpr std::uint32_t kKeyWrite = 0x00020006;
inline constexpr std::uint32_t kKeyAllAccess = 0x000F003F;

// Limits, as on Windows: characters of a key name, of a value name, and the
// number of levels below a root.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;
inline constexpr std::size_t kMaxKeyDepth = 512;

// What QueryInfoKey reports of an open key. Lengths count characters without
// the terminating zero.
struct KeyInfo {
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLen = 0;
    std::uint32_t values = 0;
    std::uint32_t maxValueNameLen = 0;
    std::uint32_t maxValueLen = 0;
};

// The registry store: the subset of the registry API that the program uses.
// Every function returns a Win32 error number (ErrorCodes.h); 0 is success.
//
// Behaviour every store shows:
// - names keep their case and are found without regard to (ASCII) letter case;
// - subkeys enumerate in case-insensitive sorted order, values in the order in
//   which they were first written;
// - HKEY_CLASSES_ROOT is the same tree as HKEY_LOCAL_MACHINE\Software\Classes;
// - a key with subkeys cannot be deleted (access denied);
// - names longer than the limits above or holding a zero byte, and keys deeper
//   than kMaxKeyDepth, are refused with kInvalidParameter;
// - a handle enumerates a snapshot of its subkeys and values. The snapshot is
//   taken at the first enumeration, and taken anew when an enumeration starts
//   again at index 0 after another handle (or process) changed the key;
//   changes made through the same handle (CreateKey, DeleteKey, SetValue,
//   DeleteValue relative to it) are applied to the snapshot too. So
//   enumerating by index is O(1) a step, and a loop that deletes the subkey at
//   index 0 until none is left sees every subkey once.
class RegistryStore {
  public:
    virtual ~RegistryStore() = default;

    // Opens an existing key (subKey may be empty: the key itself, as a new handle).
    virtual long OpenKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                         StoreKey& result) = 0;
    // Creates the key and any missing keys of its path, or opens it; existed
    // tells whether it was there before.
    virtual long CreateKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                           StoreKey& result, bool& existed) = 0;
    virtual long CloseKey(StoreKey key) = 0;

    // The index-th subkey name; kNoMoreItems past the end.
    virtual long EnumKey(StoreKey key, std::uint32_t index, std::string& name) = 0;
    // The index-th value: name, and when asked for, type and data.
    virtual long EnumValue(StoreKey key, std::uint32_t index, std::string& name,
                           std::uint32_t* type, std::vector<std::uint8_t>* data) = 0;
    virtual long QueryInfoKey(StoreKey key, KeyInfo& info) = 0;

    // Type and data of one value (name empty: the default value); data may be null.
    virtual long QueryValue(StoreKey key, std::string_view name, std::uint32_t* type,
                            std::vector<std::uint8_t>* data) = 0;
    virtual long SetValue(StoreKey key, std::string_view name, std::uint32_t type,
                          const std::uint8_t* data, std::size_t size) = 0;
    virtual long DeleteValue(StoreKey key, std::string_view name) = 0;
    // Deletes subKey of key; refused with kAccessDenied while it has subkeys.
    virtual long DeleteKey(StoreKey key, std::string_view subKey) = 0;

    // Moves the key at sourceSubKey below sourceParent, with its values and
    // subkeys, to destSubKey below destParent (both paths relative, not
    // empty; the last name of destSubKey is the key's new name). The key and
    // everything below it stay the same keys: handles open on them stay valid
    // and then refer to the moved keys, as after a rename. The enumeration
    // snapshots of both parents follow the rules above, as if the key had
    // been deleted from one and created in the other (through the handles
    // given when they are its parents). Refused, with nothing changed:
    //   kFileNotFound       the source or the destination's parent is missing;
    //   kAlreadyExists      the destination exists (also under another case
    //                       of its name, unless it is the source itself);
    //   kInvalidParameter   an empty or too long name, the destination inside
    //                       the source, or a key of the subtree that would end
    //                       up deeper than kMaxKeyDepth;
    //   kAccessDenied       a key the store keeps (a root, or a key holding
    //                       HKEY_CLASSES_ROOT), or destParent opened without
    //                       kKeyCreateSubKey;
    //   kCallNotImplemented the store cannot move keys: the caller copies and
    //                       deletes instead (this default).
    virtual long MoveKey(StoreKey sourceParent, std::string_view sourceSubKey, StoreKey destParent,
                         std::string_view destSubKey);

    // Compound operations (a subtree copy, move or delete, an import) run
    // between BeginTransaction and EndTransaction so that they are all or
    // nothing where the store can do that; calls nest, and only the outermost
    // EndTransaction commits (commit true) or rolls back (commit false); an
    // inner EndTransaction(false) makes the outermost one roll back. Stores
    // without transactions accept the calls and do nothing.
    virtual long BeginTransaction() { return 0; }
    virtual long EndTransaction(bool /*commit*/) { return 0; }
    // Whether a rolled-back transaction undoes its changes. Where it does
    // not, a compound operation that can fail part-way checks first.
    virtual bool CanRollBack() const { return false; }

    // Many reads between BeginRead and EndRead may run in one read transaction
    // and so see one state of the store, which is much cheaper for stores
    // that otherwise start a transaction per call. Calls nest; only the
    // outermost pair counts. Inside a write transaction (BeginTransaction)
    // they do nothing. A write made inside a read scope is still correct: it
    // ends the store's shared read state first, so it is never lost or
    // refused; the reads after it in the scope only lose the speed-up.
    // Stores without transactions accept the calls and do nothing.
    virtual long BeginRead() { return 0; }
    virtual long EndRead() { return 0; }
};

inline long RegistryStore::MoveKey(StoreKey, std::string_view, StoreKey, std::string_view) {
    return err::kCallNotImplemented;
}

}  // namespace zanver
