#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "RootKeys.h"
#include "Store.h"

// A generator of a realistic association data set (extensions, file types and
// classes, as found below HKEY_CLASSES_ROOT) for benchmarks. It writes through
// the store interface only, so it fills any store alike, and it is
// deterministic: the same options give the same keys and values on every
// platform.
namespace zanver::bench {

// How many of each part the full-size data set has.
inline constexpr std::size_t kFullExtensions = 10000;
inline constexpr std::size_t kFullFileTypes = 10000;
inline constexpr std::size_t kFullClasses = 30000;

struct DataSetOptions {
    // The size relative to the full data set (0.25, 0.5, 1, ...): every part
    // is scaled alike, so keys and values grow in proportion.
    double scale = 1.0;
    std::uint64_t seed = 1;
    // Where the data set goes: root and a path below it (created when missing;
    // empty for the root itself). A store without a classes root of its own
    // (the real registry, which must stay untouched) gets a throw-away key.
    RootKey root = HKEY_CLASSES_ROOT;
    std::string basePath;
    // Writes everything in one store transaction (where the store has them).
    bool oneTransaction = true;
    // The share (0 to 1) of the optional values that are written: each value
    // that an item has only sometimes ("Content Type", "InfoTip", a verb's
    // menu text, ...) is written that much less often. The keys and the
    // values every item has stay, so a smaller share gives fewer values per
    // key; 1 gives the data set described above. The keys and the names of
    // extensions and file types do not depend on the share; class GUIDs and
    // the choice of some values do.
    double optionalValues = 1.0;
};

// What a data set of a given scale holds, or what was written.
struct DataSetCounts {
    std::size_t extensions = 0;
    std::size_t fileTypes = 0;
    std::size_t classes = 0;
    std::size_t keys = 0;    // keys created, the base key not counted
    std::size_t values = 0;  // values written
};

// The number of extensions, file types and classes at that scale (keys and
// values are known only after generating).
DataSetCounts PlannedCounts(double scale);

// The name of the index-th extension (".ext00001" for index 0) and of the
// index-th file type; the classes live below "CLSID".
std::string ExtensionName(std::size_t index);
std::string FileTypeName(std::size_t index);
inline constexpr const char* kClassesKey = "CLSID";

// Writes the data set into store. Returns 0, or the Win32 error number of the
// first store call that failed (the transaction, where there is one, is then
// rolled back). counts, when given, receives what was written.
long GenerateDataSet(RegistryStore& store, const DataSetOptions& options,
                     DataSetCounts* counts = nullptr);

}  // namespace zanver::bench
