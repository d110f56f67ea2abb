#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "SqliteStore.h"

namespace zanver {

// Opens the store file at path the way the programs do on start: when the file
// does not exist yet, it is created and filled with seedText (a .reg file, see
// RegFile.h) in one transaction, so that a first start shows real-looking
// associations. An existing file is opened as it is, even when it holds
// nothing: emptying a store is the user's choice.
//
// When filling a new file fails, the file is removed again (so that the next
// start tries anew), null is returned and error names the store and the
// reason. seeded, when given, tells whether this call filled the store.
std::unique_ptr<SqliteStore> OpenSeededStore(const std::string& path, std::string_view seedText,
                                             std::string& error, bool* seeded = nullptr);

// Removes the store file with its SQLite companions (path + "-wal", "-shm",
// "-journal"). Files that are missing are no failure; on failure returns false
// and sets error.
bool RemoveStoreFiles(const std::string& path, std::string& error);

}  // namespace zanver
