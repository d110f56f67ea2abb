#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "RootKeys.h"
#include "Store.h"

// Registry files (.reg) as the system's registry editors read and write them.
//
// Two formats: "REGEDIT4" (8-bit text, taken and written as the store's bytes)
// and "Windows Registry Editor Version 5.00" (UTF-16LE with a byte order mark;
// the data of hex(1), hex(2) and hex(7) values is UTF-16LE too). The store
// keeps 8-bit text (UTF-8 outside Windows), so a 5.00 file is converted
// between UTF-16 and UTF-8. Bytes that are not valid UTF-8 (for instance ANSI
// text) are written as the lone surrogates U+DC80 to U+DCFF, one per byte, and
// read back to the same bytes, so that an export and an import give back every
// name and string exactly. Any other lone surrogate in a 5.00 file is an error.
//
// Strings are written as "text" only when they read back unchanged: type
// REG_SZ, one terminating zero byte and no other. Anything else (no zero at
// the end, zeros inside, no data at all) is written as hex(1):.
namespace zanver {

enum class RegFormat { Regedit4, Version5 };

// Called now and then during a long import or export: done of total steps
// (total is 0 when it is not known, as for an export).
using RegProgress = std::function<void(std::size_t done, std::size_t total)>;

struct RegImportOptions {
    // Skip the lines in error (each with its message in the result) instead of
    // failing the whole import.
    bool skipErrors = false;
    RegProgress progress;
};

struct RegImportResult {
    std::size_t keys = 0;              // key lines applied
    std::size_t values = 0;            // values written
    std::size_t deletions = 0;         // keys and values deleted
    std::vector<std::string> skipped;  // the messages of the lines skipped
};

// Imports the bytes of a registry file into store. Bad input raises
// zanver::Exception with a message that names the line ("Line 12: ...")
// before anything is written: the whole file is read and checked first and
// then applied in one store transaction. A store failure while applying also
// raises (naming the line); stores with transactions are then left unchanged.
RegImportResult ImportRegText(RegistryStore& store, std::string_view fileBytes,
                              const RegImportOptions& options = {});
// The same for a file; a file that cannot be read raises too.
RegImportResult ImportRegFile(RegistryStore& store, const std::string& path,
                              const RegImportOptions& options = {});

// The bytes of a registry file holding key (below root) with its values and
// all its subkeys, in store order. A key that cannot be opened raises
// "Could not open " + full key name + ". " + the error text.
std::string ExportRegText(RegistryStore& store, RootKey root, std::string_view key,
                          RegFormat format, const RegProgress& progress = {});
void ExportRegFile(RegistryStore& store, RootKey root, std::string_view key,
                   const std::string& path, RegFormat format, const RegProgress& progress = {});

// The root named by the first part of a key path in a registry file: the full
// names (HKEY_CLASSES_ROOT, ...) and the short ones (HKCR, HKCU, HKLM, HKU,
// HKCC), in any letter case; kUnknownRoot when none.
RootKey RegFileRootFromName(std::string_view name);

}  // namespace zanver
