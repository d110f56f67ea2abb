#include "SqliteStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "ErrorCodes.h"
#include "NameRules.h"
#include "RootKeys.h"

namespace zanver {

namespace {

// "ZVRG": marks a database file as a registry store.
constexpr int kApplicationId = 0x5A565247;
constexpr int kSchemaVersion = 1;

// The access rights every handle gets for the generic rights.
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kGenericExecute = 0x20000000u;
constexpr std::uint32_t kGenericAll = 0x10000000u;
constexpr std::uint32_t kMaximumAllowed = 0x02000000u;

std::uint32_t GrantedAccess(std::uint32_t access) {
    if (access & (kGenericAll | kMaximumAllowed))
        access |= kKeyAllAccess;
    if (access & (kGenericRead | kGenericExecute))
        access |= kKeyRead;
    if (access & kGenericWrite)
        access |= kKeyWrite;
    return access;
}

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
constexpr std::array<RootKey, 4> kStoredRoots = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
                                                 HKEY_USERS, HKEY_CURRENT_CONFIG};

long MapSqliteError(int rc, bool writing) {
    switch (rc & 0xff) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE:
            return err::kSuccess;
        case SQLITE_BUSY:
            return err::kSharingViolation;
        case SQLITE_LOCKED:
            return err::kLockViolation;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return err::kAccessDenied;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return err::kBadDb;
        case SQLITE_FULL:
            return err::kDiskFull;
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
            return err::kRegistryIoFailed;
        case SQLITE_NOMEM:
            return err::kNotEnoughMemory;
        default:
            return writing ? err::kCantWrite : err::kCantRead;
    }
}

bool LessName(const std::string& a, std::string_view b) {
    return CompareNames(a, b) < 0;
}

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
            reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
            if (db && sqlite3_system_errno(db) != 0)
                reason += std::string(" (") + std::strerror(sqlite3_system_errno(db)) + ")";
    }
    return "Could not open the registry store " + path + ": " + reason;
}

}  // namespace

// The statements of the store, prepared once on first use.
enum class SqliteStore::Sql {
    kBegin,
    kCommit,
    kRollback,
    kSavepoint,
    kRelease,
    kRollbackTo,
    kKeyState,
    kBumpSubKeys,
    kBumpParent,
    kBumpValues,
    kFindChild,
    kFindRoot,
    kInsertKey,
    kHasChild,
    kDeleteKeyValues,
    kDeleteKey,
    kListChildren,
    kListValues,
    kChildInfo,
    kValueInfo,
    kQueryValue,
    kUpsertValue,
    kDeleteValue,
    kCount
};


// One use of a prepared statement; reset when it goes out of scope, so that no
// read transaction stays open between calls.
class SqliteStore::Statement {
  public:
    Statement(SqliteStore& store, Sql which) : stmt_(store.Prepared(which)) {
        if (!stmt_)
            rc_ = sqlite3_errcode(store.db_);
    }
    ~Statement() {
        if (stmt_) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Bind(int index, std::int64_t value) {
        if (stmt_)
            sqlite3_bind_int64(stmt_, index, value);
    }
    void BindText(int index, std::string_view text) {
        if (stmt_)
            sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
    }
    void BindFold(int index, std::string_view name) { BindText(index, FoldName(name)); }
    void BindBlob(int index, const std::uint8_t* data, std::size_t size) {
        if (!stmt_)
            return;
        if (size == 0)
            sqlite3_bind_zeroblob(stmt_, index, 0);
        else
            sqlite3_bind_blob64(stmt_, index, data, size, SQLITE_TRANSIENT);
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return stmt_ ? sqlite3_step(stmt_) : rc_; }

    std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return std::string(text ? text : "",
                           static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
    }
    std::vector<std::uint8_t> Blob(int column) const {
        const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
        return bytes ? std::vector<std::uint8_t>(bytes, bytes + size)
                     : std::vector<std::uint8_t>();
    }

  private:
    sqlite3_stmt* stmt_;
    int rc_ = SQLITE_OK;
};

// Makes one write operation atomic: its own transaction outside the caller's,
// a savepoint inside it. Rolled back unless Commit succeeds.
class SqliteStore::WriteScope {
  public:
    explicit WriteScope(SqliteStore& store) : store_(store), outer_(store.txDepth_ == 0) {
        if (store_.txFailure_ != 0) {
            status_ = store_.txFailure_;
            return;
        }
        status_ = store_.Exec(outer_ ? Sql::kBegin : Sql::kSavepoint);
        active_ = status_ == err::kSuccess;
    }
    ~WriteScope() {
        if (!active_ || sqlite3_get_autocommit(store_.db_))
            return;  // committed, or SQLite already rolled everything back
        if (outer_) {
            store_.Exec(Sql::kRollback);
        } else {
            store_.Exec(Sql::kRollbackTo);
            store_.Exec(Sql::kRelease);
        }
    }
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;

    long Status() const { return status_; }
    long Commit() {
        if (!active_)
            return status_;
        status_ = store_.Exec(outer_ ? Sql::kCommit : Sql::kRelease);
        if (status_ == err::kSuccess)
            active_ = false;
        return status_;
    }

  private:
    SqliteStore& store_;
    bool outer_;
    bool active_ = false;
    long status_ = err::kSuccess;
};

SqliteStore::SqliteStore(sqlite3* db, std::string path)
    : db_(db),
      path_(std::move(path)),
      statements_(static_cast<std::size_t>(Sql::kCount), nullptr) {}

SqliteStore::~SqliteStore() {
    if (txDepth_ > 0 && !sqlite3_get_autocommit(db_))
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
            error = "Could not create the folder " + folder.string() +
                    " for the registry store " + path + ": " + ec.message();
            return nullptr;
        }
    }
    const int flags = options.readOnly ? SQLITE_OPEN_READONLY
                                       : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
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
    rc = sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
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
        error = "Could not open the registry store " + path_ +
                ": it is a database of another program";
        return err::kBadDb;
    }
    if (version > kSchemaVersion) {
        error = "Could not open the registry store " + path_ +
                ": it was made by a newer version of this program";
        return err::kBadDb;
    }
    if (version == 0) {
        if (long code = CreateSchema(); code != err::kSuccess) {
            error = OpenFailure(path_, db_, sqlite3_errcode(db_));
            return code;
        }
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

long SqliteStore::CreateSchema() {
    int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return MapSqliteError(rc, true);
    // Another process may have set the file up while this one waited.
    sqlite3_stmt* stmt = nullptr;
    int version = 0;
    rc = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &stmt, nullptr);
    if (rc == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    if (version == 0) {
        const std::string pragmas = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                                    "; PRAGMA user_version=" + std::to_string(kSchemaVersion) +
                                    ";";
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
        return MapSqliteError(failed, true);
    }
    return err::kSuccess;
}

sqlite3_stmt* SqliteStore::Prepared(Sql which) {
    static const char* const kStatements[] = {
        "BEGIN IMMEDIATE",
        "COMMIT",
        "ROLLBACK",
        "SAVEPOINT store_write",
        "RELEASE store_write",
        "ROLLBACK TO store_write",
        "SELECT subkeys_version, values_version FROM keys WHERE id = ?1",
        "UPDATE keys SET subkeys_version = subkeys_version + 1 WHERE id = ?1"
        " RETURNING subkeys_version, depth",
        "UPDATE keys SET subkeys_version = subkeys_version + 1"
        " WHERE id = (SELECT parent FROM keys WHERE id = ?1) RETURNING subkeys_version",
        "UPDATE keys SET values_version = values_version + 1 WHERE id = ?1"
        " RETURNING values_version",
        "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2",
        "SELECT id FROM keys WHERE parent IS NULL AND fold = ?1",
        "INSERT INTO keys(parent, name, fold, depth) VALUES(?1, ?2, ?3, ?4)",
        "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1",
        "DELETE FROM key_values WHERE key = ?1",
        "DELETE FROM keys WHERE id = ?1",
        "SELECT name FROM keys WHERE parent = ?1 ORDER BY fold",
        "SELECT name, type, data FROM key_values WHERE key = ?1 ORDER BY seq",
        "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0) FROM keys WHERE parent = ?1",
        "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0),"
        " coalesce(max(length(data)), 0) FROM key_values WHERE key = ?1",
        "SELECT type, data FROM key_values WHERE key = ?1 AND fold = ?2",
        "INSERT INTO key_values(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
        " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
        "DELETE FROM key_values WHERE key = ?1 AND fold = ?2",
    };
    static_assert(std::size(kStatements) == static_cast<std::size_t>(Sql::kCount));
    sqlite3_stmt*& stmt = statements_[static_cast<std::size_t>(which)];
    if (!stmt)
        sqlite3_prepare_v3(db_, kStatements[static_cast<std::size_t>(which)], -1,
                           SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    return stmt;
}

long SqliteStore::Exec(Sql which) {
    Statement statement(*this, which);
    const int rc = statement.Step();
    return rc == SQLITE_DONE || rc == SQLITE_ROW ? err::kSuccess : Failure(rc, true);
}

// The Win32 code for a failed SQLite call. When SQLite rolled back the
// caller's whole transaction on its own (disk full, I/O error), the rest of it
// fails too, so that its end cannot commit half of it.
long SqliteStore::Failure(int rc, bool writing) {
    const long code = MapSqliteError(rc, writing);
    if (txDepth_ > 0 && txFailure_ == 0 && sqlite3_get_autocommit(db_))
        txFailure_ = code;
    return code;
}

// The handle's state, when the handle is valid, grants access and its key
// still exists; versions gets the key's change counters.
long SqliteStore::Resolve(StoreKey key, std::uint32_t access, Handle*& handle,
                          Versions* versions) {
    Handle* h = nullptr;
    if (const auto root = roots_.find(key); root != roots_.end()) {
        h = &root->second;
    } else {
        const auto found = handles_.find(key);
        if (found == handles_.end())
            return err::kInvalidHandle;
        h = &found->second;
        if ((h->access & access) != access)
            return err::kAccessDenied;
    }
    Statement state(*this, Sql::kKeyState);
    state.Bind(1, h->keyId);
    const int rc = state.Step();
    if (rc == SQLITE_DONE)
        return err::kKeyDeleted;
    if (rc != SQLITE_ROW)
        return Failure(rc, false);
    if (versions) {
        versions->subKeys = state.Int(0);
        versions->values = state.Int(1);
    }
    handle = h;
    return err::kSuccess;
}

// Counts a change to a key under the write lock; kKeyDeleted when the key is
// gone, which tells a writer that its handle's key was deleted meanwhile.
long SqliteStore::Bump(Sql which, std::int64_t keyId, std::int64_t& version,
                       std::int64_t* depth) {
    Statement bump(*this, which);
    bump.Bind(1, keyId);
    int rc = bump.Step();
    if (rc == SQLITE_DONE)
        return err::kKeyDeleted;
    if (rc != SQLITE_ROW)
        return Failure(rc, true);
    version = bump.Int(0);
    if (depth)
        *depth = bump.Int(1);
    while ((rc = bump.Step()) == SQLITE_ROW) {
    }
    return rc == SQLITE_DONE ? err::kSuccess : Failure(rc, true);
}

long SqliteStore::FindChild(std::int64_t parent, std::string_view name, std::int64_t& child) {
    Statement find(*this, Sql::kFindChild);
    find.Bind(1, parent);
    find.BindFold(2, name);
    const int rc = find.Step();
    if (rc == SQLITE_ROW) {
        child = find.Int(0);
        return err::kSuccess;
    }
    return rc == SQLITE_DONE ? err::kFileNotFound : Failure(rc, false);
}

long SqliteStore::InsertChild(std::int64_t parent, std::string_view name, std::int64_t depth,
                              std::int64_t& child) {
    Statement insert(*this, Sql::kInsertKey);
    insert.Bind(1, parent);
    insert.BindText(2, name);
    insert.BindFold(3, name);
    insert.Bind(4, depth);
    const int rc = insert.Step();
    if (rc != SQLITE_DONE)
        return Failure(rc, true);
    child = sqlite3_last_insert_rowid(db_);
    return err::kSuccess;
}

long SqliteStore::Walk(const Handle& from, const std::vector<std::string>& names,
                       std::int64_t& keyId) {
    keyId = from.keyId;
    for (const std::string& name : names) {
        std::int64_t child = 0;
        if (const long rc = FindChild(keyId, name, child); rc != err::kSuccess)
            return rc;
        keyId = child;
    }
    return err::kSuccess;
}

StoreKey SqliteStore::NewHandle(std::int64_t keyId, std::int64_t depth, std::uint32_t access) {
    const StoreKey key = nextHandle_++;
    Handle& handle = handles_[key];
    handle.keyId = keyId;
    handle.depth = depth;
    handle.access = GrantedAccess(access);
    return key;
}

bool SqliteStore::IsProtectedKey(std::int64_t keyId) const {
    for (const auto& [root, handle] : roots_)
        if (handle.keyId == keyId)
            return true;
    return false;
}

long SqliteStore::OpenKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                          StoreKey& result) {
    Handle* from = nullptr;
    if (const long rc = Resolve(parent, 0, from); rc != err::kSuccess)
        return rc;
    std::vector<std::string> names;
    if (SplitKeyPath(subKey, names) != err::kSuccess ||
        from->depth + static_cast<std::int64_t>(names.size()) >
            static_cast<std::int64_t>(kMaxKeyDepth))
        return err::kInvalidParameter;
    std::int64_t keyId = 0;
    if (const long rc = Walk(*from, names, keyId); rc != err::kSuccess)
        return rc;
    result = NewHandle(keyId, from->depth + static_cast<std::int64_t>(names.size()), access);
    return err::kSuccess;
}

long SqliteStore::CreateKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                            StoreKey& result, bool& existed) {
    Handle* from = nullptr;
    if (const long rc = Resolve(parent, 0, from); rc != err::kSuccess)
        return rc;
    std::vector<std::string> names;
    if (SplitKeyPath(subKey, names) != err::kSuccess ||
        from->depth + static_cast<std::int64_t>(names.size()) >
            static_cast<std::int64_t>(kMaxKeyDepth))
        return err::kInvalidParameter;
    const std::int64_t depth = from->depth + static_cast<std::int64_t>(names.size());

    // An existing key is only opened, which needs no write lock.
    std::int64_t keyId = 0;
    long rc = Walk(*from, names, keyId);
    if (rc == err::kSuccess) {
        existed = true;
        result = NewHandle(keyId, depth, access);
        return err::kSuccess;
    }
    if (rc != err::kFileNotFound)
        return rc;
    if ((from->access & kKeyCreateSubKey) == 0)
        return err::kAccessDenied;

    WriteScope scope(*this);
    if (scope.Status() != err::kSuccess)
        return scope.Status();
    // Walk again under the write lock: another process may have created or
    // deleted keys of the path meanwhile.
    keyId = from->keyId;
    std::size_t created = 0;
    for (std::size_t i = 0; i < names.size() && created == 0; ++i) {
        std::int64_t child = 0;
        rc = FindChild(keyId, names[i], child);
        if (rc == err::kFileNotFound)
            created = i + 1;
        else if (rc != err::kSuccess)
            return rc;
        else
            keyId = child;
    }
    std::int64_t version = 0;
    if (created > 0) {
        // The key that gets the first new subkey counts the change; that it
        // is still there also shows that the handle's key is.
        std::int64_t parentDepth = 0;
        if ((rc = Bump(Sql::kBumpSubKeys, keyId, version, &parentDepth)) != err::kSuccess)
            return rc;
        for (std::size_t i = created - 1; i < names.size(); ++i) {
            parentDepth += 1;
            if ((rc = InsertChild(keyId, names[i], parentDepth, keyId)) != err::kSuccess)
                return rc;
        }
    }
    if ((rc = scope.Commit()) != err::kSuccess)
        return rc;
    if (created == 1)
        NoteSubKeyAdded(*from, names[0], version);
    existed = created == 0;
    result = NewHandle(keyId, depth, access);
    return err::kSuccess;
}

long SqliteStore::CloseKey(StoreKey key) {
    if (handles_.erase(key) > 0 || roots_.count(key) > 0)
        return err::kSuccess;
    return err::kInvalidHandle;
}

// A change made through a handle shows in its snapshot. The snapshot stays
// current when the change is the only one since it was taken (the version
// moved by exactly one); otherwise the next enumeration from index 0 takes a
// new one.
void SqliteStore::NoteSubKeyAdded(Handle& handle, const std::string& name, std::int64_t version) {
    if (!handle.subKeysLoaded)
        return;
    auto& snapshot = handle.subKeys;
    snapshot.insert(std::lower_bound(snapshot.begin(), snapshot.end(), name, LessName), name);
    if (handle.subKeysVersion + 1 == version)
        handle.subKeysVersion = version;
}

void SqliteStore::NoteSubKeyRemoved(Handle& handle, const std::string& name,
                                    std::int64_t version) {
    if (!handle.subKeysLoaded)
        return;
    auto& snapshot = handle.subKeys;
    const auto found = std::lower_bound(snapshot.begin(), snapshot.end(), name, LessName);
    if (found != snapshot.end() && SameName(*found, name))
        snapshot.erase(found);
    if (handle.subKeysVersion + 1 == version)
        handle.subKeysVersion = version;
}

long SqliteStore::LoadSubKeys(Handle& handle, std::int64_t version) {
    std::deque<std::string> names;
    Statement list(*this, Sql::kListChildren);
    list.Bind(1, handle.keyId);
    int rc;
    while ((rc = list.Step()) == SQLITE_ROW)
        names.push_back(list.Text(0));
    if (rc != SQLITE_DONE)
        return Failure(rc, false);
    handle.subKeys = std::move(names);
    handle.subKeysLoaded = true;
    handle.subKeysVersion = version;
    return err::kSuccess;
}

long SqliteStore::LoadValues(Handle& handle, std::int64_t version) {
    std::deque<ValueEntry> values;
    Statement list(*this, Sql::kListValues);
    list.Bind(1, handle.keyId);
    int rc;
    while ((rc = list.Step()) == SQLITE_ROW)
        values.push_back({list.Text(0), static_cast<std::uint32_t>(list.Int(1)), list.Blob(2)});
    if (rc != SQLITE_DONE)
        return Failure(rc, false);
    handle.values = std::move(values);
    handle.valuesLoaded = true;
    handle.valuesVersion = version;
    return err::kSuccess;
}

void SqliteStore::DropSnapshots() {
    for (auto* map : {&handles_, &roots_}) {
        for (auto& [key, handle] : *map) {
            handle.subKeysLoaded = false;
            handle.subKeys.clear();
            handle.valuesLoaded = false;
            handle.values.clear();
        }
    }
}

long SqliteStore::EnumKey(StoreKey key, std::uint32_t index, std::string& name) {
    Handle* handle = nullptr;
    Versions versions;
    if (const long rc = Resolve(key, kKeyEnumerateSubKeys, handle, &versions); rc != err::kSuccess)
        return rc;
    if (!handle->subKeysLoaded || (index == 0 && handle->subKeysVersion != versions.subKeys))
        if (const long rc = LoadSubKeys(*handle, versions.subKeys); rc != err::kSuccess)
            return rc;
    if (index >= handle->subKeys.size())
        return err::kNoMoreItems;
    name = handle->subKeys[index];
    return err::kSuccess;
}

long SqliteStore::EnumValue(StoreKey key, std::uint32_t index, std::string& name,
                            std::uint32_t* type, std::vector<std::uint8_t>* data) {
    Handle* handle = nullptr;
    Versions versions;
    if (const long rc = Resolve(key, kKeyQueryValue, handle, &versions); rc != err::kSuccess)
        return rc;
    if (!handle->valuesLoaded || (index == 0 && handle->valuesVersion != versions.values))
        if (const long rc = LoadValues(*handle, versions.values); rc != err::kSuccess)
            return rc;
    if (index >= handle->values.size())
        return err::kNoMoreItems;
    const ValueEntry& value = handle->values[index];
    name = value.name;
    if (type)
        *type = value.type;
    if (data)
        *data = value.data;
    return err::kSuccess;
}

long SqliteStore::QueryInfoKey(StoreKey key, KeyInfo& info) {
    Handle* handle = nullptr;
    if (const long rc = Resolve(key, kKeyQueryValue, handle); rc != err::kSuccess)
        return rc;
    KeyInfo result;
    {
        Statement children(*this, Sql::kChildInfo);
        children.Bind(1, handle->keyId);
        const int rc = children.Step();
        if (rc != SQLITE_ROW)
            return Failure(rc, false);
        result.subKeys = static_cast<std::uint32_t>(children.Int(0));
        result.maxSubKeyLen = static_cast<std::uint32_t>(children.Int(1));
    }
    Statement values(*this, Sql::kValueInfo);
    values.Bind(1, handle->keyId);
    const int rc = values.Step();
    if (rc != SQLITE_ROW)
        return Failure(rc, false);
    result.values = static_cast<std::uint32_t>(values.Int(0));
    result.maxValueNameLen = static_cast<std::uint32_t>(values.Int(1));
    result.maxValueLen = static_cast<std::uint32_t>(values.Int(2));
    info = result;
    return err::kSuccess;
}

long SqliteStore::QueryValue(StoreKey key, std::string_view name, std::uint32_t* type,
                             std::vector<std::uint8_t>* data) {
    Handle* handle = nullptr;
    if (const long rc = Resolve(key, kKeyQueryValue, handle); rc != err::kSuccess)
        return rc;
    if (!ValidValueName(name))
        return err::kInvalidParameter;
    Statement query(*this, Sql::kQueryValue);
    query.Bind(1, handle->keyId);
    query.BindFold(2, name);
    const int rc = query.Step();
    if (rc == SQLITE_DONE)
        return err::kFileNotFound;
    if (rc != SQLITE_ROW)
        return Failure(rc, false);
    if (type)
        *type = static_cast<std::uint32_t>(query.Int(0));
    if (data)
        *data = query.Blob(1);
    return err::kSuccess;
}

long SqliteStore::SetValue(StoreKey key, std::string_view name, std::uint32_t type,
                           const std::uint8_t* data, std::size_t size) {
    Handle* handle = nullptr;
    if (const long rc = Resolve(key, kKeySetValue, handle); rc != err::kSuccess)
        return rc;
    if (!ValidValueName(name) || (data == nullptr && size > 0))
        return err::kInvalidParameter;
    WriteScope scope(*this);
    if (scope.Status() != err::kSuccess)
        return scope.Status();
    std::int64_t version = 0;
    if (const long rc = Bump(Sql::kBumpValues, handle->keyId, version); rc != err::kSuccess)
        return rc;
    {
        Statement upsert(*this, Sql::kUpsertValue);
        upsert.Bind(1, handle->keyId);
        upsert.BindText(2, name);
        upsert.BindFold(3, name);
        upsert.Bind(4, type);
        upsert.BindBlob(5, data, size);
        const int rc = upsert.Step();
        if (rc != SQLITE_DONE)
            return Failure(rc, true);
    }
    if (const long rc = scope.Commit(); rc != err::kSuccess)
        return rc;
    if (handle->valuesLoaded) {
        auto& values = handle->values;
        const auto found = std::find_if(values.begin(), values.end(), [&](const ValueEntry& v) {
            return SameName(v.name, name);
        });
        std::vector<std::uint8_t> bytes(data, data + size);
        if (found != values.end()) {
            found->type = type;
            found->data = std::move(bytes);
        } else {
            values.push_back({std::string(name), type, std::move(bytes)});
        }
        if (handle->valuesVersion + 1 == version)
            handle->valuesVersion = version;
    }
    return err::kSuccess;
}

long SqliteStore::DeleteValue(StoreKey key, std::string_view name) {
    Handle* handle = nullptr;
    if (const long rc = Resolve(key, kKeySetValue, handle); rc != err::kSuccess)
        return rc;
    if (!ValidValueName(name))
        return err::kInvalidParameter;
    WriteScope scope(*this);
    if (scope.Status() != err::kSuccess)
        return scope.Status();
    std::int64_t version = 0;
    if (const long rc = Bump(Sql::kBumpValues, handle->keyId, version); rc != err::kSuccess)
        return rc;
    {
        Statement remove(*this, Sql::kDeleteValue);
        remove.Bind(1, handle->keyId);
        remove.BindFold(2, name);
        const int rc = remove.Step();
        if (rc != SQLITE_DONE)
            return Failure(rc, true);
    }
    if (sqlite3_changes(db_) == 0)
        return err::kFileNotFound;  // the scope rolls the count back
    if (const long rc = scope.Commit(); rc != err::kSuccess)
        return rc;
    if (handle->valuesLoaded) {
        auto& values = handle->values;
        const auto found = std::find_if(values.begin(), values.end(), [&](const ValueEntry& v) {
            return SameName(v.name, name);
        });
        if (found != values.end())
            values.erase(found);
        if (handle->valuesVersion + 1 == version)
            handle->valuesVersion = version;
    }
    return err::kSuccess;
}

long SqliteStore::DeleteKey(StoreKey key, std::string_view subKey) {
    Handle* handle = nullptr;
    if (const long rc = Resolve(key, 0, handle); rc != err::kSuccess)
        return rc;
    std::vector<std::string> names;
    if (SplitKeyPath(subKey, names) != err::kSuccess)
        return err::kInvalidParameter;
    std::int64_t target = 0;
    if (const long rc = Walk(*handle, names, target); rc != err::kSuccess)
        return rc;
    if (IsProtectedKey(target))
        return err::kAccessDenied;

    WriteScope scope(*this);
    if (scope.Status() != err::kSuccess)
        return scope.Status();
    // Look again under the write lock: another process may have changed it.
    long rc = Walk(*handle, names, target);
    if (rc == err::kFileNotFound && names.empty())
        rc = err::kKeyDeleted;
    if (rc != err::kSuccess)
        return rc;
    {
        Statement children(*this, Sql::kHasChild);
        children.Bind(1, target);
        const int step = children.Step();
        if (step == SQLITE_ROW)
            return err::kAccessDenied;
        if (step != SQLITE_DONE)
            return Failure(step, false);
    }
    std::int64_t version = 0;
    if ((rc = Bump(Sql::kBumpParent, target, version)) != err::kSuccess)
        return rc;
    for (Sql sql : {Sql::kDeleteKeyValues, Sql::kDeleteKey}) {
        Statement remove(*this, sql);
        remove.Bind(1, target);
        const int step = remove.Step();
        if (step != SQLITE_DONE)
            return Failure(step, true);
    }
    if ((rc = scope.Commit()) != err::kSuccess)
        return rc;
    if (names.size() == 1)
        NoteSubKeyRemoved(*handle, names[0], version);
    return err::kSuccess;
}

long SqliteStore::BeginTransaction() {
    if (txDepth_++ > 0)
        return txFailure_;
    txRollbackOnly_ = false;
    // SQLite would only refuse the first write; say so at once.
    txFailure_ = IsReadOnly() ? err::kAccessDenied : err::kSuccess;
    if (txFailure_ != err::kSuccess)
        return txFailure_;
    Statement begin(*this, Sql::kBegin);
    const int rc = begin.Step();
    if (rc != SQLITE_DONE)
        txFailure_ = MapSqliteError(rc, true);
    return txFailure_;
}

long SqliteStore::EndTransaction(bool commit) {
    if (txDepth_ == 0)
        return err::kInvalidFunction;
    if (--txDepth_ > 0) {
        if (!commit)
            txRollbackOnly_ = true;
        return txFailure_;
    }
    if (commit && !txRollbackOnly_ && txFailure_ == err::kSuccess) {
        const long result = Exec(Sql::kCommit);
        if (result == err::kSuccess)
            return result;
        txFailure_ = result;
    }
    // Rolled back: asked for, an inner part failed, or the commit failed.
    long result = err::kSuccess;
    if (commit)
        result = txFailure_ != err::kSuccess ? txFailure_ : err::kCantWrite;
    if (!sqlite3_get_autocommit(db_))
        Exec(Sql::kRollback);
    DropSnapshots();
    txRollbackOnly_ = false;
    txFailure_ = err::kSuccess;
    return result;
}

}  // namespace zanver
