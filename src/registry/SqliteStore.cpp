#include "SqliteStore.h"

#include <sqlite3.h>

#include <algorithm>

#include "ErrorCodes.h"
#include "NameRules.h"
#include "RootKeys.h"
#include "SqliteStatement.h"

namespace zanver {

namespace {

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

bool LessName(const std::string& a, std::string_view b) {
    return CompareNames(a, b) < 0;
}

}  // namespace

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

// Runs the statements of one read operation in one read transaction when the
// caller has none open (neither a transaction nor a read scope). Each
// statement would otherwise be a transaction of its own, and in WAL mode each
// one locks and unlocks a reader slot of the -shm file, two system calls; one
// transaction also shows all the statements the same state of the file.
// A single statement needs none (wanted false).
class SqliteStore::ReadScope {
  public:
    explicit ReadScope(SqliteStore& store, bool wanted = true) : store_(store) {
        if (wanted && store.txDepth_ == 0 && sqlite3_get_autocommit(store.db_))
            active_ = store.Exec(Sql::kBeginRead) == err::kSuccess;
    }
    ~ReadScope() {
        if (!active_ || sqlite3_get_autocommit(store_.db_))
            return;
        if (store_.Exec(Sql::kCommit) != err::kSuccess && !sqlite3_get_autocommit(store_.db_))
            store_.Exec(Sql::kRollback);
    }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

  private:
    SqliteStore& store_;
    bool active_ = false;
};

sqlite3_stmt* SqliteStore::Prepared(Sql which) {
    static const char* const kStatements[] = {
        "BEGIN IMMEDIATE",
        "BEGIN",
        "COMMIT",
        "ROLLBACK",
        "SELECT subkeys_version, values_version, depth FROM keys WHERE id = ?1",
        "SELECT parent FROM keys WHERE id = ?1",
        "UPDATE keys SET subkeys_version = subkeys_version + 1 WHERE id = ?1"
        " RETURNING subkeys_version, depth",
        "UPDATE keys SET values_version = values_version + 1 WHERE id = ?1"
        " RETURNING values_version, depth",
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
        // No row: the key is gone; a row of nulls: the key has no such value.
        "SELECT v.type, v.data FROM keys k"
        " LEFT JOIN key_values v ON v.key = k.id AND v.fold = ?2 WHERE k.id = ?1",
        "INSERT INTO key_values(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
        " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
        "DELETE FROM key_values WHERE key = ?1 AND fold = ?2",
        // The levels of the subtree below a key (0: no subkeys).
        "WITH RECURSIVE sub(id, level) AS (SELECT ?1, 0"
        " UNION ALL SELECT k.id, sub.level + 1 FROM keys k JOIN sub ON k.parent = sub.id)"
        " SELECT max(level) FROM sub",
        "UPDATE keys SET parent = ?2, name = ?3, fold = ?4 WHERE id = ?1",
        "WITH RECURSIVE sub(id) AS (SELECT ?1"
        " UNION ALL SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id)"
        " UPDATE keys SET depth = depth + ?2 WHERE id IN (SELECT id FROM sub) RETURNING id, depth",
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

// The Win32 code for a failed SQLite call. Inside the caller's transaction
// the failure makes the rest of it fail too, and its end roll back: the
// operation may have been half done, or SQLite may already have rolled the
// transaction back on its own (disk full, I/O error).
long SqliteStore::Failure(int rc, bool writing) {
    const long code = MapSqliteError(rc, writing);
    if (txDepth_ > 0 && txFailure_ == err::kSuccess)
        txFailure_ = code;
    return code;
}

// The handle's state, when the handle is valid and grants access, without
// looking at the file: its key may have been deleted by someone else.
long SqliteStore::Lookup(StoreKey key, std::uint32_t access, Handle*& handle) {
    if (const auto root = roots_.find(key); root != roots_.end()) {
        handle = &root->second;
        return err::kSuccess;
    }
    const auto found = handles_.find(key);
    if (found == handles_.end())
        return err::kInvalidHandle;
    if ((found->second.access & access) != access)
        return err::kAccessDenied;
    if (found->second.dead)
        return err::kKeyDeleted;
    handle = &found->second;
    return err::kSuccess;
}

// The handle's state, when the handle is valid, grants access and its key
// still exists; versions gets the key's change counters.
long SqliteStore::Resolve(StoreKey key, std::uint32_t access, Handle*& handle, Versions* versions) {
    Handle* h = nullptr;
    if (const long rc = Lookup(key, access, h); rc != err::kSuccess)
        return rc;
    // The keys of the predefined roots can never be deleted, and nobody else
    // can delete one counted in the open transaction (see Bump) before it ends.
    if (!versions && (roots_.count(key) > 0 || (txDepth_ > 0 && txCounted_.count(h->keyId) > 0))) {
        handle = h;
        return err::kSuccess;
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

// Counts a change to a key under the write lock; kKeyDeleted, with nothing
// changed, when the key is gone. That tells a writer that its handle's key was
// deleted meanwhile.
//
// Inside the caller's transaction a key's counter moves only once while no
// snapshot of this connection is taken at its new value (see txCounted_):
// every snapshot then differs from the counter already, so each one is renewed
// at its next enumeration from index 0 anyway, and other connections see the
// changes only at the commit, together with the counter that moved. A change
// not counted gets version kNotCounted, which no snapshot's version precedes.
long SqliteStore::Bump(Sql which, std::int64_t keyId, std::int64_t& version, std::int64_t* depth) {
    const std::uint8_t flag = which == Sql::kBumpValues ? kValuesCounted : kSubKeysCounted;
    if (txDepth_ > 0) {
        const auto found = txCounted_.find(keyId);
        if (found != txCounted_.end() && (found->second.flags & flag) != 0) {
            version = kNotCounted;
            if (depth)
                *depth = found->second.depth;
            return err::kSuccess;
        }
    }
    Statement bump(*this, which);
    bump.Bind(1, keyId);
    const int rc = bump.Step();
    if (rc == SQLITE_DONE)
        return err::kKeyDeleted;
    if (rc != SQLITE_ROW)
        return Failure(rc, true);
    version = bump.Int(0);
    const std::int64_t keyDepth = bump.Int(1);
    if (depth)
        *depth = keyDepth;
    if (txDepth_ > 0) {
        Counted& counted = txCounted_[keyId];
        counted.flags |= flag;
        counted.depth = keyDepth;
    }
    return err::kSuccess;
}

// A snapshot of the key now shows the present value of its counter, so the
// next change must move the counter again.
void SqliteStore::SnapshotTaken(std::int64_t keyId, std::uint8_t flag) {
    const auto found = txCounted_.find(keyId);
    if (found == txCounted_.end())
        return;
    found->second.flags &= static_cast<std::uint8_t>(~flag);
    if (found->second.flags == 0)
        txCounted_.erase(found);
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
    if (txDepth_ > 0) {
        if (txFirstNewKey_ == 0)
            txFirstNewKey_ = child;
        // Nobody has a snapshot of a key made in this transaction.
        txCounted_[child] = {static_cast<std::uint8_t>(kSubKeysCounted | kValuesCounted), depth};
    }
    return err::kSuccess;
}

long SqliteStore::Walk(const Handle& from, const std::vector<std::string>& names,
                       std::int64_t& keyId, std::int64_t* parent) {
    keyId = from.keyId;
    for (const std::string& name : names) {
        std::int64_t child = 0;
        if (const long rc = FindChild(keyId, name, child); rc != err::kSuccess)
            return rc;
        if (parent)
            *parent = keyId;
        keyId = child;
    }
    return err::kSuccess;
}

StoreKey SqliteStore::NewHandle(std::int64_t keyId, std::int64_t depth, std::uint32_t access) {
    const StoreKey key = nextHandle_++;
    if (nextHandle_ >= HKEY_CLASSES_ROOT && nextHandle_ <= HKEY_DYN_DATA)
        nextHandle_ = HKEY_DYN_DATA + 1;  // never the number of a predefined root
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
    if (const long rc = Lookup(parent, 0, from); rc != err::kSuccess)
        return rc;
    std::vector<std::string> names;
    if (SplitKeyPath(subKey, names) != err::kSuccess ||
        from->depth + static_cast<std::int64_t>(names.size()) >
            static_cast<std::int64_t>(kMaxKeyDepth)) {
        const long rc = Resolve(parent, 0, from);
        return rc != err::kSuccess ? rc : err::kInvalidParameter;
    }
    std::int64_t keyId = 0;
    {
        ReadScope scope(*this, names.size() > 1);
        // A subkey found shows that its parent exists (a key with subkeys
        // cannot be deleted); only a failed or empty path needs the check.
        long rc = names.empty() ? err::kFileNotFound : Walk(*from, names, keyId);
        if (rc == err::kFileNotFound) {
            if (const long state = Resolve(parent, 0, from); state != err::kSuccess)
                return state;
            if (names.empty()) {
                keyId = from->keyId;
                rc = err::kSuccess;
            }
        }
        if (rc != err::kSuccess)
            return rc;
    }
    result = NewHandle(keyId, from->depth + static_cast<std::int64_t>(names.size()), access);
    return err::kSuccess;
}

long SqliteStore::CreateKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                            StoreKey& result, bool& existed) {
    Handle* from = nullptr;
    if (const long rc = Lookup(parent, 0, from); rc != err::kSuccess)
        return rc;
    std::vector<std::string> names;
    if (SplitKeyPath(subKey, names) != err::kSuccess ||
        from->depth + static_cast<std::int64_t>(names.size()) >
            static_cast<std::int64_t>(kMaxKeyDepth)) {
        const long rc = Resolve(parent, 0, from);
        return rc != err::kSuccess ? rc : err::kInvalidParameter;
    }
    const std::int64_t depth = from->depth + static_cast<std::int64_t>(names.size());

    // Follows the path as far as it exists; created is the 1-based index of
    // the first missing name, 0 when the whole path exists.
    std::int64_t keyId = 0;
    std::size_t created = 0;
    auto walk = [&]() -> long {
        keyId = from->keyId;
        created = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::int64_t child = 0;
            const long rc = FindChild(keyId, names[i], child);
            if (rc == err::kFileNotFound) {
                created = i + 1;
                return err::kSuccess;
            }
            if (rc != err::kSuccess)
                return rc;
            keyId = child;
        }
        return err::kSuccess;
    };
    // An existing key is only opened, which needs no write lock. A subkey
    // found shows that the handle's key exists; a missing one is looked for
    // again under the write lock, where Bump checks the key.
    long rc = err::kSuccess;
    {
        ReadScope scope(*this, names.size() > 1);
        if (names.empty())
            rc = Resolve(parent, 0, from);
        if (rc == err::kSuccess)
            rc = walk();
    }
    if (rc != err::kSuccess)
        return rc;
    if (created == 0) {
        existed = true;
        result = NewHandle(keyId, depth, access);
        return err::kSuccess;
    }
    if ((from->access & kKeyCreateSubKey) == 0) {
        rc = Resolve(parent, 0, from);
        return rc != err::kSuccess ? rc : err::kAccessDenied;
    }

    WriteScope scope(*this);
    if (scope.Status() != err::kSuccess)
        return scope.Status();
    // Outside a transaction, another process may have created or deleted
    // keys of the path before the write lock was taken.
    if (txDepth_ == 0 && (rc = walk()) != err::kSuccess)
        return rc;
    std::int64_t version = 0;
    std::int64_t parentDepth = 0;
    if (created > 0) {
        // The key that gets the first new subkey counts the change; that it
        // is still there also shows that the handle's key is.
        if ((rc = Bump(Sql::kBumpSubKeys, keyId, version, &parentDepth)) != err::kSuccess)
            return rc;
        // The handle's depth is the one it was opened at: the key may have
        // been moved since, by another connection or a rolled-back move.
        if (parentDepth + static_cast<std::int64_t>(names.size() - created + 1) >
            static_cast<std::int64_t>(kMaxKeyDepth))
            return err::kInvalidParameter;
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
    result = NewHandle(keyId, created > 0 ? parentDepth : depth, access);
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
    if (handle.subKeysVersion + 1 == version) {
        handle.subKeysVersion = version;
        SnapshotTaken(handle.keyId, kSubKeysCounted);
    }
}

void SqliteStore::NoteSubKeyRemoved(Handle& handle, const std::string& name, std::int64_t version) {
    if (!handle.subKeysLoaded)
        return;
    auto& snapshot = handle.subKeys;
    const auto found = std::lower_bound(snapshot.begin(), snapshot.end(), name, LessName);
    if (found != snapshot.end() && SameName(*found, name))
        snapshot.erase(found);
    if (handle.subKeysVersion + 1 == version) {
        handle.subKeysVersion = version;
        SnapshotTaken(handle.keyId, kSubKeysCounted);
    }
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
    SnapshotTaken(handle.keyId, kSubKeysCounted);
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
    SnapshotTaken(handle.keyId, kValuesCounted);
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

// Past index 0 a loaded snapshot answers without looking at the file: it is
// renewed only when an enumeration starts again (see Store.h).
long SqliteStore::EnumKey(StoreKey key, std::uint32_t index, std::string& name) {
    Handle* handle = nullptr;
    if (const long rc = Lookup(key, kKeyEnumerateSubKeys, handle); rc != err::kSuccess)
        return rc;
    if (index == 0 || !handle->subKeysLoaded) {
        ReadScope scope(*this);
        Versions versions;
        if (const long rc = Resolve(key, kKeyEnumerateSubKeys, handle, &versions);
            rc != err::kSuccess)
            return rc;
        if (!handle->subKeysLoaded || handle->subKeysVersion != versions.subKeys)
            if (const long rc = LoadSubKeys(*handle, versions.subKeys); rc != err::kSuccess)
                return rc;
    }
    if (index >= handle->subKeys.size())
        return err::kNoMoreItems;
    name = handle->subKeys[index];
    return err::kSuccess;
}

long SqliteStore::EnumValue(StoreKey key, std::uint32_t index, std::string& name,
                            std::uint32_t* type, std::vector<std::uint8_t>* data) {
    Handle* handle = nullptr;
    if (const long rc = Lookup(key, kKeyQueryValue, handle); rc != err::kSuccess)
        return rc;
    if (index == 0 || !handle->valuesLoaded) {
        ReadScope scope(*this);
        Versions versions;
        if (const long rc = Resolve(key, kKeyQueryValue, handle, &versions); rc != err::kSuccess)
            return rc;
        if (!handle->valuesLoaded || handle->valuesVersion != versions.values)
            if (const long rc = LoadValues(*handle, versions.values); rc != err::kSuccess)
                return rc;
    }
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
    ReadScope scope(*this);
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
    if (const long rc = Lookup(key, kKeyQueryValue, handle); rc != err::kSuccess)
        return rc;
    if (!ValidValueName(name)) {
        const long rc = Resolve(key, kKeyQueryValue, handle);
        return rc != err::kSuccess ? rc : err::kInvalidParameter;
    }
    // One statement tells a deleted key, a missing value and the value apart.
    Statement query(*this, Sql::kQueryValue);
    query.Bind(1, handle->keyId);
    query.BindFold(2, name);
    const int rc = query.Step();
    if (rc == SQLITE_DONE)
        return err::kKeyDeleted;
    if (rc != SQLITE_ROW)
        return Failure(rc, false);
    if (query.IsNull(0))
        return err::kFileNotFound;
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
        if (handle->valuesVersion + 1 == version) {
            handle->valuesVersion = version;
            SnapshotTaken(handle->keyId, kValuesCounted);
        }
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
    {
        Statement remove(*this, Sql::kDeleteValue);
        remove.Bind(1, handle->keyId);
        remove.BindFold(2, name);
        const int rc = remove.Step();
        if (rc != SQLITE_DONE)
            return Failure(rc, true);
    }
    if (sqlite3_changes(db_) == 0) {
        Versions versions;
        const long rc = Resolve(key, 0, handle, &versions);
        return rc == err::kSuccess ? err::kFileNotFound : rc;
    }
    std::int64_t version = 0;
    if (const long rc = Bump(Sql::kBumpValues, handle->keyId, version); rc != err::kSuccess)
        return rc;
    if (const long rc = scope.Commit(); rc != err::kSuccess)
        return rc;
    if (handle->valuesLoaded) {
        auto& values = handle->values;
        const auto found = std::find_if(values.begin(), values.end(), [&](const ValueEntry& v) {
            return SameName(v.name, name);
        });
        if (found != values.end())
            values.erase(found);
        if (handle->valuesVersion + 1 == version) {
            handle->valuesVersion = version;
            SnapshotTaken(handle->keyId, kValuesCounted);
        }
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
    std::int64_t parent = 0;
    // The look below must see the present state, not the read scope's one.
    long rc = EndSharedRead();
    if (rc != err::kSuccess)
        return rc;
    // A missing key is reported without waiting for another writer's lock.
    if (txDepth_ == 0 && (rc = Walk(*handle, names, target)) != err::kSuccess)
        return rc;

    WriteScope scope(*this);
    if (scope.Status() != err::kSuccess)
        return scope.Status();
    // Under the write lock, look (again: another process may have changed it).
    if ((rc = Walk(*handle, names, target, &parent)) != err::kSuccess)
        return rc == err::kFileNotFound && names.empty() ? err::kKeyDeleted : rc;
    if (IsProtectedKey(target))
        return err::kAccessDenied;
    {
        Statement children(*this, Sql::kHasChild);
        children.Bind(1, target);
        const int step = children.Step();
        if (step == SQLITE_ROW)
            return err::kAccessDenied;
        if (step != SQLITE_DONE)
            return Failure(step, false);
    }
    if (names.empty()) {
        Statement parentOf(*this, Sql::kParentOf);
        parentOf.Bind(1, target);
        const int step = parentOf.Step();
        if (step != SQLITE_ROW)
            return Failure(step == SQLITE_DONE ? SQLITE_CORRUPT : step, false);
        parent = parentOf.Int(0);
    }
    std::int64_t version = 0;
    if ((rc = Bump(Sql::kBumpSubKeys, parent, version)) != err::kSuccess)
        return rc;
    for (Sql sql : {Sql::kDeleteKeyValues, Sql::kDeleteKey}) {
        Statement remove(*this, sql);
        remove.Bind(1, target);
        const int step = remove.Step();
        if (step != SQLITE_DONE)
            return Failure(step, true);
    }
    txCounted_.erase(target);
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
    txFirstNewKey_ = 0;
    txCounted_.clear();
    // SQLite would only refuse the first write; say so at once.
    txFailure_ = IsReadOnly() ? err::kAccessDenied : EndSharedRead();
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
        if (result == err::kSuccess) {
            txFirstNewKey_ = 0;
            txCounted_ = {};
            return result;
        }
        txFailure_ = result;
    }
    // Rolled back: asked for, an inner part failed, or the commit failed.
    long result = err::kSuccess;
    if (commit)
        result = txFailure_ != err::kSuccess ? txFailure_ : err::kCantWrite;
    if (!sqlite3_get_autocommit(db_))
        Exec(Sql::kRollback);
    DropSnapshots();
    // Key ids only grow, so every key from txFirstNewKey_ on was made by this
    // transaction; the ids may be given again now, but not to these handles.
    if (txFirstNewKey_ != 0)
        for (auto& [key, handle] : handles_)
            handle.dead = handle.dead || handle.keyId >= txFirstNewKey_;
    txFirstNewKey_ = 0;
    txCounted_ = {};
    txRollbackOnly_ = false;
    txFailure_ = err::kSuccess;
    return result;
}

long SqliteStore::BeginRead() {
    if (readDepth_++ > 0 || txDepth_ > 0 || !sqlite3_get_autocommit(db_))
        return err::kSuccess;
    // A deferred BEGIN: the read transaction starts with the first read, so
    // it shows everything committed before that.
    const long rc = Exec(Sql::kBeginRead);
    sharedRead_ = rc == err::kSuccess;
    return rc;
}

long SqliteStore::EndRead() {
    if (readDepth_ == 0)
        return err::kInvalidFunction;
    if (--readDepth_ > 0)
        return err::kSuccess;
    return EndSharedRead();
}

// Ends the read transaction of a read scope, if one is open. It has read
// only, so committing it cannot lose anything; SQLite may also have ended it
// already on an error.
long SqliteStore::EndSharedRead() {
    if (!sharedRead_)
        return err::kSuccess;
    sharedRead_ = false;
    if (sqlite3_get_autocommit(db_))
        return err::kSuccess;
    const long rc = Exec(Sql::kCommit);
    if (rc != err::kSuccess && !sqlite3_get_autocommit(db_))
        Exec(Sql::kRollback);
    return sqlite3_get_autocommit(db_) ? err::kSuccess : rc;
}

}  // namespace zanver
