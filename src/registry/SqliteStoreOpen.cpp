// Opening a store file: the folder, the connection, the schema of a new
// store, and the checks that the file is one.
#include <sqlite3.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "ErrorCodes.h"
#include "RootKeys.h"
#include "SqliteStatement.h"
#include "SqliteStore.h"

namespace zanver {

namespace {

// "ZVRG": marks a database file as a registry store.
constexpr int kApplicationId = 0x5A565247;
constexpr int kSchemaVersion = 1;

const char* const kSchema = R"sql(
CREATE TABLE keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    depth INTEGER NOT NULL,
    subkeys_version INTEGER NOT NULL DEFAULT 0,
    values_version INTEGER NOT NULL DEFAULT 0);
CREATE UNIQUE INDEX keys_by_parent ON keys(parent, fold);
CREATE TABLE key_values(
    seq INTEGER PRIMARY KEY,
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL);
CREATE UNIQUE INDEX key_values_by_key ON key_values(key, fold);
INSERT INTO keys(parent, name, fold, depth) VALUES
    (NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER', 0),
    (NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE', 0),
    (NULL, 'HKEY_USERS', 'HKEY_USERS', 0),
    (NULL, 'HKEY_CURRENT_CONFIG', 'HKEY_CURRENT_CONFIG', 0);
INSERT INTO keys(parent, name, fold, depth)
    SELECT id, 'Software', 'SOFTWARE', 1 FROM keys
    WHERE parent IS NULL AND fold = 'HKEY_LOCAL_MACHINE';
INSERT INTO keys(parent, name, fold, depth)
    SELECT s.id, 'Classes', 'CLASSES', 2 FROM keys s JOIN keys m ON s.parent = m.id
    WHERE m.parent IS NULL AND m.fold = 'HKEY_LOCAL_MACHINE' AND s.fold = 'SOFTWARE';
)sql";

// The root keys kept as rows of their own; HKEY_CLASSES_ROOT is a view of
// HKEY_LOCAL_MACHINE\Software\Classes.
constexpr std::array<RootKey, 4> kStoredRoots = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                                                 HKEY_CURRENT_CONFIG};

std::string OpenFailure(const std::string& path, sqlite3* db, int rc) {
    std::string reason;
    switch (rc & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            reason = "it is locked by another process";
            break;
        case SQLITE_NOTADB:
            reason = "it is not a database";
            break;
        case SQLITE_CORRUPT:
            reason = "the database is damaged";
            break;
        case SQLITE_READONLY:
            reason = "it cannot be written";
            break;
        default:
            // The connection's own message is the more precise one while it
            // still describes this failure.
            reason =
                db && sqlite3_errcode(db) == (rc & 0xff) ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
            if (db && sqlite3_system_errno(db) != 0)
                reason += std::string(" (") + std::strerror(sqlite3_system_errno(db)) + ")";
    }
    return "Could not open the registry store " + path + ": " + reason;
}

}  // namespace

SqliteStore::SqliteStore(sqlite3* db, std::string path)
    : db_(db),
      path_(std::move(path)),
      statements_(static_cast<std::size_t>(Sql::kCount), nullptr) {}

SqliteStore::~SqliteStore() {
    if ((txDepth_ > 0 || sharedRead_) && !sqlite3_get_autocommit(db_))
        Exec(Sql::kRollback);
    for (sqlite3_stmt* stmt : statements_)
        sqlite3_finalize(stmt);
    sqlite3_close(db_);
}

std::unique_ptr<SqliteStore> SqliteStore::Open(const std::string& path, std::string& error,
                                               const SqliteStoreOptions& options) {
    error.clear();
    if (path.empty()) {
        error = "No registry store file was given";
        return nullptr;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!options.readOnly && !folder.empty() && !std::filesystem::exists(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            error = "Could not create the folder " + folder.string() + " for the registry store " +
                    path + ": " + ec.message();
            return nullptr;
        }
    }
    // A store object is used by one thread at a time, so the connection
    // needs no mutex of its own.
    const int flags =
        SQLITE_OPEN_NOMUTEX |
        (options.readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        error = OpenFailure(path, db, rc);
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<SqliteStore> store(new SqliteStore(db, path));
    sqlite3_extended_result_codes(db, 1);
    store->SetBusyTimeout(options.busyTimeoutMs);
    if (store->Initialize(error) != err::kSuccess)
        return nullptr;
    return store;
}

bool SqliteStore::IsReadOnly() const {
    return sqlite3_db_readonly(db_, "main") == 1;
}

void SqliteStore::SetBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

// Sets up the connection and, for a new file, the schema with the root keys;
// then finds the root keys.
long SqliteStore::Initialize(std::string& error) {
    auto fail = [&](int rc) {
        error = OpenFailure(path_, db_, rc);
        return MapSqliteError(rc, false);
    };
    // Reading the header first tells a file that is not a database apart.
    int rc = sqlite3_exec(db_, "PRAGMA schema_version", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return fail(rc);
    if (!IsReadOnly()) {
        rc = sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return fail(rc);
    }
    // In WAL mode NORMAL loses no committed data on a program crash (only
    // on a power loss) and spares a disk sync per write. A page cache of
    // 16 MiB holds the whole store of a typical machine.
    rc = sqlite3_exec(db_, "PRAGMA synchronous=NORMAL; PRAGMA cache_size=-16384", nullptr, nullptr,
                      nullptr);
    if (rc != SQLITE_OK)
        return fail(rc);

    auto readNumber = [&](const char* sql, int& value) {
        sqlite3_stmt* stmt = nullptr;
        int result = sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr);
        if (result == SQLITE_OK) {
            result = sqlite3_step(stmt);
            value = result == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
            if (result == SQLITE_ROW || result == SQLITE_DONE)
                result = SQLITE_OK;
        }
        sqlite3_finalize(stmt);
        return result;
    };
    int version = 0;
    int appId = 0;
    int tables = 0;
    if ((rc = readNumber("PRAGMA user_version", version)) != SQLITE_OK ||
        (rc = readNumber("PRAGMA application_id", appId)) != SQLITE_OK ||
        (rc = readNumber("SELECT count(*) FROM sqlite_master", tables)) != SQLITE_OK)
        return fail(rc);
    if (appId != kApplicationId && (tables > 0 || appId != 0)) {
        error =
            "Could not open the registry store " + path_ + ": it is a database of another program";
        return err::kBadDb;
    }
    if (version > kSchemaVersion) {
        error = "Could not open the registry store " + path_ +
                ": it was made by a newer version of this program";
        return err::kBadDb;
    }
    if (version == 0) {
        if ((rc = CreateSchema()) != SQLITE_OK)
            return fail(rc);
    }

    for (RootKey root : kStoredRoots) {
        Statement find(*this, Sql::kFindRoot);
        find.BindText(1, RootKeyName(root));
        rc = find.Step();
        if (rc != SQLITE_ROW) {
            error = rc == SQLITE_DONE ? "Could not open the registry store " + path_ +
                                            ": the root key " + RootKeyName(root) + " is missing"
                                      : OpenFailure(path_, db_, rc);
            return err::kBadDb;
        }
        Handle& handle = roots_[root];
        handle.keyId = find.Int(0);
        handle.access = 0xFFFFFFFFu;
    }
    std::int64_t software = 0;
    long code = FindChild(roots_[HKEY_LOCAL_MACHINE].keyId, "Software", software);
    if (code == err::kSuccess)
        code = FindChild(software, "Classes", classesId_);
    if (code != err::kSuccess) {
        error = code == err::kFileNotFound
                    ? "Could not open the registry store " + path_ +
                          ": the key HKEY_LOCAL_MACHINE\\Software\\Classes is missing"
                    : OpenFailure(path_, db_, sqlite3_errcode(db_));
        return err::kBadDb;
    }
    Handle& classes = roots_[HKEY_CLASSES_ROOT];
    classes.keyId = classesId_;
    classes.depth = 2;
    classes.access = 0xFFFFFFFFu;
    return err::kSuccess;
}

int SqliteStore::CreateSchema() {
    int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    // Another process may have set the file up while this one waited.
    sqlite3_stmt* stmt = nullptr;
    int version = 0;
    rc = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &stmt, nullptr);
    if (rc == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    if (version == 0) {
        const std::string pragmas = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                                    "; PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";";
        rc = sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db_, pragmas.c_str(), nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const int failed = sqlite3_extended_errcode(db_);
        if (!sqlite3_get_autocommit(db_))
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return failed;
    }
    return SQLITE_OK;
}

}  // namespace zanver
