#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "RegFile.h"

// The operations a registry file asks for, and how they are applied to a store.
namespace zanver {

struct RegOp {
    enum class Kind : std::uint8_t { Key, DeleteKey, SetValue, DeleteValue };
    Kind kind = Kind::Key;
    std::uint32_t type = 0;
    std::size_t line = 0;  // the line of the file, for messages
    RootKey root = 0;      // Key and DeleteKey
    std::string name;      // the key path, or the value name
    std::vector<std::uint8_t> data;
};

// Applies ops in one store transaction; value operations go to the key of the
// last Key operation before them. Raises zanver::Exception naming the line
// when the store refuses one (the transaction is then rolled back).
void ApplyRegOps(RegistryStore& store, const std::vector<RegOp>& ops, const RegProgress& progress,
                 RegImportResult& result);

// Deletes subKey of parent with all its subkeys; a missing key is no error.
long DeleteStoreKeyTree(RegistryStore& store, StoreKey parent, std::string_view subKey);

}  // namespace zanver
