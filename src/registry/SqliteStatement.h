#pragma once

// The pieces shared by the source files of SqliteStore.
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "NameRules.h"
#include "SqliteStore.h"

namespace zanver {

// The Win32 error code for an SQLite result code (see SqliteStore.h).
long MapSqliteError(int rc, bool writing);

// The statements of the store, prepared once on first use (texts in
// SqliteStore.cpp).
enum class SqliteStore::Sql {
    kBegin,
    kBeginRead,
    kCommit,
    kRollback,
    kKeyState,
    kParentOf,
    kBumpSubKeys,
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
    kSubtreeHeight,
    kMoveKey,
    kShiftDepth,
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

    bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return std::string(text ? text : "",
                           static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
    }
    std::vector<std::uint8_t> Blob(int column) const {
        const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
        return bytes ? std::vector<std::uint8_t>(bytes, bytes + size) : std::vector<std::uint8_t>();
    }

  private:
    sqlite3_stmt* stmt_;
    int rc_ = SQLITE_OK;
};

// Makes one write operation atomic outside the caller's transaction: it runs
// in a transaction of its own, rolled back unless Commit succeeds. Inside the
// caller's transaction nothing is done here: every operation checks what it
// needs before it changes anything, and an SQLite failure once it has begun
// makes the whole transaction fail (see Failure), so a failed operation never
// leaves half of itself in a committed state. (Savepoints would do the same
// per operation, but cost a sub-journal each, which made compound operations
// several times slower.)
class SqliteStore::WriteScope {
  public:
    explicit WriteScope(SqliteStore& store) : store_(store), outer_(store.txDepth_ == 0) {
        if (!outer_) {
            status_ = store_.txFailure_;
            return;
        }
        // Taking the write lock from inside a read transaction fails when
        // another connection wrote since it began, so a read scope's
        // transaction ends first.
        status_ = store_.EndSharedRead();
        if (status_ != err::kSuccess)
            return;
        status_ = store_.Exec(Sql::kBegin);
        active_ = status_ == err::kSuccess;
    }
    ~WriteScope() {
        if (active_ && !sqlite3_get_autocommit(store_.db_))
            store_.Exec(Sql::kRollback);
    }
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;

    long Status() const { return status_; }
    long Commit() {
        if (!active_)
            return status_;
        status_ = store_.Exec(Sql::kCommit);
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

}  // namespace zanver
