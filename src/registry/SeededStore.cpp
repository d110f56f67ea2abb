#include "SeededStore.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "ErrorCodes.h"
#include "LastError.h"
#include "RegFile.h"
#include "RootKeys.h"

namespace zanver {

namespace {

// The message text of a store result code.
std::string Reason(long code) {
    SetLastErrorCode(code);
    return LastErrorText();
}

// A store whose classes root has no subkey has not been filled by anyone.
bool HasClasses(RegistryStore& store) {
    std::string name;
    return store.EnumKey(HKEY_CLASSES_ROOT, 0, name) == err::kSuccess;
}

// Fills a store that was just created; an empty result means success. Runs in
// one write transaction, which also keeps a second program that created the
// same file at the same moment from filling it twice.
std::string Seed(SqliteStore& store, std::string_view seedText) {
    const long begun = store.BeginTransaction();
    if (begun != err::kSuccess) {
        store.EndTransaction(false);
        return Reason(begun);
    }
    std::string failure;
    try {
        if (!HasClasses(store))
            ImportRegText(store, seedText);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    const long ended = store.EndTransaction(failure.empty());
    if (failure.empty() && ended != err::kSuccess)
        failure = Reason(ended);
    return failure;
}

}  // namespace

std::unique_ptr<SqliteStore> OpenSeededStore(const std::string& path, std::string_view seedText,
                                             std::string& error, bool* seeded) {
    if (seeded)
        *seeded = false;
    std::error_code ec;
    const bool isNew = !path.empty() && !std::filesystem::exists(path, ec) && !ec;
    std::unique_ptr<SqliteStore> store = SqliteStore::Open(path, error);
    if (!store || !isNew)
        return store;

    const std::string failure = Seed(*store, seedText);
    if (failure.empty()) {
        if (seeded)
            *seeded = true;
        return store;
    }
    // Another program may have filled the file meanwhile; it is then kept.
    if (HasClasses(*store))
        return store;
    store.reset();
    error = "Could not fill the new registry store " + path +
            " with the bundled associations: " + failure;
    std::string removeError;
    if (!RemoveStoreFiles(path, removeError))
        error += " (" + removeError + ")";
    return nullptr;
}

bool RemoveStoreFiles(const std::string& path, std::string& error) {
    error.clear();
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const std::string file = path + suffix;
        std::error_code ec;
        std::filesystem::remove(file, ec);
        if (ec) {
            error = "Could not remove " + file + ": " + ec.message();
            return false;
        }
    }
    return true;
}

}  // namespace zanver
