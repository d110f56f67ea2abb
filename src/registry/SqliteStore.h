#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zanver {

struct SqliteStoreOptions {
    // How long a write waits for another connection's write transaction to end
    // before it fails with kSharingViolation.
    int busyTimeoutMs = 5000;
    // Opens the file for reading only: every write then fails with kAccessDenied.
    bool readOnly = false;
};

// The registry store kept in one SQLite database file. Several connections,
// in this process or others, may use the same file at once: each write runs in
// its own transaction (or inside the caller's BeginTransaction), readers never
// block, and a writer waits up to the busy timeout for another writer.
//
// SQLite failures are reported as these Win32 codes: busy -> kSharingViolation,
// locked (a table lock of the same process) -> kLockViolation, read-only
// database -> kAccessDenied, not a database or corrupt -> kBadDb, disk full ->
// kDiskFull, I/O errors -> kRegistryIoFailed, anything else -> kCantWrite or
// kCantRead. (A read-only file gives "access denied" rather than "write
// protected", which would suggest a removable medium.) A write that fails
// leaves the file as it was; inside BeginTransaction, an SQLite failure makes
// the rest of the transaction fail and its end roll all of it back.
//
// Enumeration snapshots follow Store.h. Each key row counts the changes to its
// subkeys and to its values; an enumeration that starts again at index 0 takes
// a new snapshot when someone else (another handle or another connection)
// changed the key since. Rolling back a transaction drops the snapshots of
// every handle, since they may show changes that were undone.
class SqliteStore : public RegistryStore {
  public:
    // Opens the store file, creating it (and its folder) when missing. On
    // failure returns null and sets error to a message naming the file.
    static std::unique_ptr<SqliteStore> Open(const std::string& path, std::string& error,
                                             const SqliteStoreOptions& options = {});
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    const std::string& Path() const { return path_; }
    bool IsReadOnly() const;
    void SetBusyTimeout(int milliseconds);

    long OpenKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                 StoreKey& result) override;
    long CreateKey(StoreKey parent, std::string_view subKey, std::uint32_t access, StoreKey& result,
                   bool& existed) override;
    long CloseKey(StoreKey key) override;
    long EnumKey(StoreKey key, std::uint32_t index, std::string& name) override;
    long EnumValue(StoreKey key, std::uint32_t index, std::string& name, std::uint32_t* type,
                   std::vector<std::uint8_t>* data) override;
    long QueryInfoKey(StoreKey key, KeyInfo& info) override;
    long QueryValue(StoreKey key, std::string_view name, std::uint32_t* type,
                    std::vector<std::uint8_t>* data) override;
    long SetValue(StoreKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                  std::size_t size) override;
    long DeleteValue(StoreKey key, std::string_view name) override;
    long DeleteKey(StoreKey key, std::string_view subKey) override;
    // Re-parents the key's row (SqliteStoreMove.cpp): as fast for a large
    // subtree as for one key, apart from the depths of the keys below it.
    long MoveKey(StoreKey sourceParent, std::string_view sourceSubKey, StoreKey destParent,
                 std::string_view destSubKey) override;
    long BeginTransaction() override;
    long EndTransaction(bool commit) override;
    bool CanRollBack() const override { return true; }
    // Outside a transaction, the outermost BeginRead opens one read
    // transaction that the reads up to the outermost EndRead share. A write
    // in between first ends it (see EndSharedRead), so that it takes the write
    // lock as it would outside a read scope; the reads after it run one
    // transaction each again.
    long BeginRead() override;
    long EndRead() override;

  private:
    struct ValueEntry {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    // What a handle refers to, with its enumeration snapshots.
    struct Handle {
        std::int64_t keyId = 0;
        std::int64_t depth = 0;
        std::uint32_t access = 0;
        bool dead = false;  // its key was made by a transaction that was rolled back
        bool subKeysLoaded = false;
        std::int64_t subKeysVersion = 0;
        std::deque<std::string> subKeys;  // in folded-name order
        bool valuesLoaded = false;
        std::int64_t valuesVersion = 0;
        std::deque<ValueEntry> values;  // in first-written order
    };
    // The counters of a key that moved in the open transaction and need not
    // move again for its later changes: kSubKeysCounted and kValuesCounted in
    // flags. A flag holds while no snapshot of this connection shows the
    // counter's present value; depth is the key's.
    struct Counted {
        std::uint8_t flags = 0;
        std::int64_t depth = 0;
    };
    static constexpr std::uint8_t kSubKeysCounted = 1;
    static constexpr std::uint8_t kValuesCounted = 2;
    static constexpr std::int64_t kNotCounted = -2;
    // The change counters of a key row.
    struct Versions {
        std::int64_t subKeys = 0;
        std::int64_t values = 0;
    };
    enum class Sql;
    class Statement;
    class WriteScope;
    class ReadScope;

    SqliteStore(sqlite3* db, std::string path);
    long Initialize(std::string& error);
    int CreateSchema();  // an SQLite result code

    sqlite3_stmt* Prepared(Sql which);
    long Exec(Sql which);
    long Failure(int rc, bool writing);

    long Lookup(StoreKey key, std::uint32_t access, Handle*& handle);
    long Resolve(StoreKey key, std::uint32_t access, Handle*& handle, Versions* versions = nullptr);
    long Bump(Sql which, std::int64_t keyId, std::int64_t& version, std::int64_t* depth = nullptr);
    long FindChild(std::int64_t parent, std::string_view name, std::int64_t& child);
    long InsertChild(std::int64_t parent, std::string_view name, std::int64_t depth,
                     std::int64_t& child);
    long Walk(const Handle& from, const std::vector<std::string>& names, std::int64_t& keyId,
              std::int64_t* parent = nullptr);
    StoreKey NewHandle(std::int64_t keyId, std::int64_t depth, std::uint32_t access);
    long LoadSubKeys(Handle& handle, std::int64_t version);
    long LoadValues(Handle& handle, std::int64_t version);
    void NoteSubKeyAdded(Handle& handle, const std::string& name, std::int64_t version);
    void NoteSubKeyRemoved(Handle& handle, const std::string& name, std::int64_t version);
    void SnapshotTaken(std::int64_t keyId, std::uint8_t flag);
    void DropSnapshots();
    long EndSharedRead();
    bool IsProtectedKey(std::int64_t keyId) const;
    long MissingBelow(StoreKey key);
    long KeyPlace(std::int64_t keyId, std::int64_t& parent, std::int64_t& depth);
    long IsAncestor(std::int64_t ancestor, std::int64_t key, bool& result);

    sqlite3* db_;
    std::string path_;
    std::vector<sqlite3_stmt*> statements_;
    std::unordered_map<StoreKey, Handle> handles_;
    std::unordered_map<StoreKey, Handle> roots_;
    StoreKey nextHandle_ = 0x10000;
    std::int64_t classesId_ = 0;
    int txDepth_ = 0;
    bool txRollbackOnly_ = false;
    long txFailure_ = 0;  // set when the outermost transaction could not begin or was lost
    std::int64_t txFirstNewKey_ = 0;  // the first key id made in the open transaction
    std::unordered_map<std::int64_t, Counted> txCounted_;  // by key id
    int readDepth_ = 0;                                    // BeginRead calls not yet ended
    bool sharedRead_ = false;  // the read transaction of the read scope is open
};

}  // namespace zanver
