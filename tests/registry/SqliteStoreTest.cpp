#include "SqliteStore.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "RootKeys.h"
#include "StoreConformance.h"
#include "StoreLocation.h"

using namespace zanver;
using namespace zanver::err;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

std::unique_ptr<SqliteStore> OpenStore(const std::string& path,
                                       const SqliteStoreOptions& options = {}) {
    std::string error;
    auto store = SqliteStore::Open(path, error, options);
    EXPECT_TRUE(store) << error;
    return store;
}

std::unique_ptr<RegistryStore> FreshStore() {
    static TempFolder folder;
    static std::atomic<int> count{0};
    return OpenStore(folder.File("conformance" + std::to_string(++count) + ".db"));
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Sqlite, StoreConformanceTest,
                         ::testing::Values(StoreUnderTest{
                             "Sqlite", FreshStore, false, false,
                             [](RegistryStore& store) -> std::unique_ptr<RegistryStore> {
                                 return OpenStore(static_cast<SqliteStore&>(store).Path());
                             }}),
                         StoreUnderTestName);

namespace {

StoreKey Create(RegistryStore& store, StoreKey parent, std::string_view path) {
    StoreKey key = 0;
    bool existed = false;
    EXPECT_EQ(store.CreateKey(parent, path, kKeyAllAccess, key, existed), kSuccess) << path;
    return key;
}

long Set(RegistryStore& store, StoreKey key, std::string_view name, std::string_view data,
         std::uint32_t type = RegBinary) {
    const Bytes bytes(data.begin(), data.end());
    return store.SetValue(key, name, type, bytes.data(), bytes.size());
}

Bytes Get(RegistryStore& store, StoreKey root, std::string_view path, std::string_view name) {
    StoreKey key = 0;
    Bytes data;
    if (store.OpenKey(root, path, kKeyRead, key) != kSuccess)
        return {'?'};
    if (store.QueryValue(key, name, nullptr, &data) != kSuccess)
        data = {'?'};
    store.CloseKey(key);
    return data;
}

bool Exists(RegistryStore& store, StoreKey root, std::string_view path) {
    StoreKey key = 0;
    if (store.OpenKey(root, path, kKeyRead, key) != kSuccess)
        return false;
    store.CloseKey(key);
    return true;
}

Names SubKeys(RegistryStore& store, StoreKey key) {
    Names names;
    std::string name;
    for (std::uint32_t index = 0; store.EnumKey(key, index, name) == kSuccess; ++index)
        names.push_back(name);
    return names;
}

Bytes B(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// The codes of the writes through key and of deleting it at path below
// HKEY_CURRENT_USER.
std::vector<long> WriteCodes(RegistryStore& store, StoreKey key, const std::string& path) {
    StoreKey child = 0;
    bool existed = false;
    return {Set(store, key, "v", "new"), store.DeleteValue(key, "v"),
            store.CreateKey(key, "child", kKeyAllAccess, child, existed),
            store.DeleteKey(HKEY_CURRENT_USER, path)};
}

class SqliteStoreTest : public ::testing::Test {
  protected:
    TempFolder folder;
    std::string path = folder.File("registry.db");
};

TEST_F(SqliteStoreTest, KeysAndValuesSurviveReopeningWithOrderAndCase) {
    const std::string nested = folder.File("a/b/c/registry.db");  // its folders are made
    {
        auto store = OpenStore(nested);
        ASSERT_TRUE(store);
        EXPECT_EQ(store->Path(), nested);
        const StoreKey key = Create(*store, HKEY_CURRENT_USER, "Software\\MyApp");
        for (const char* child : {"_last", "Beta", "alpha", "ZULU"})
            store->CloseKey(Create(*store, key, child));
        ASSERT_EQ(Set(*store, key, "Zeta", "1"), kSuccess);
        ASSERT_EQ(Set(*store, key, "alpha", "2", RegSz), kSuccess);
        ASSERT_EQ(Set(*store, key, "", ""), kSuccess);
        ASSERT_EQ(Set(*store, key, "ZETA", "3", RegDword), kSuccess);
        store->CloseKey(Create(*store, HKEY_CLASSES_ROOT, ".txt"));
    }
    auto store = OpenStore(nested);
    ASSERT_TRUE(store);
    StoreKey key = 0;
    ASSERT_EQ(store->OpenKey(HKEY_CURRENT_USER, "SOFTWARE\\myapp", kKeyRead, key), kSuccess);
    EXPECT_EQ(SubKeys(*store, key), (Names{"alpha", "Beta", "ZULU", "_last"}));
    std::vector<std::tuple<std::string, std::uint32_t, Bytes>> values;
    std::string name;
    std::uint32_t type = 0;
    Bytes data;
    for (std::uint32_t i = 0; store->EnumValue(key, i, name, &type, &data) == kSuccess; ++i)
        values.emplace_back(name, type, data);
    EXPECT_EQ(values,
              (std::vector<std::tuple<std::string, std::uint32_t, Bytes>>{
                  {"Zeta", RegDword, B("3")}, {"alpha", RegSz, B("2")}, {"", RegBinary, {}}}));
    EXPECT_EQ(SubKeys(*store, HKEY_CLASSES_ROOT), Names{".txt"});
    EXPECT_TRUE(Exists(*store, HKEY_LOCAL_MACHINE, "Software\\Classes\\.TXT"));
}

TEST_F(SqliteStoreTest, ProtectsTheRootsAndTheKeyBehindClassesRoot) {
    auto store = OpenStore(path);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Classes"), kAccessDenied);
    StoreKey machine = 0;
    ASSERT_EQ(store->OpenKey(HKEY_LOCAL_MACHINE, "", kKeyAllAccess, machine), kSuccess);
    EXPECT_EQ(store->DeleteKey(machine, ""), kAccessDenied);
    EXPECT_EQ(store->DeleteKey(HKEY_USERS, ""), kAccessDenied);
    std::string name;
    for (StoreKey bad : {HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA, StoreKey{6}, StoreKey{12345}})
        EXPECT_EQ(store->EnumKey(bad, 0, name), kInvalidHandle) << bad;
    // A key may delete itself through its own handle, which is then dead.
    const StoreKey own = Create(*store, HKEY_CURRENT_USER, "Own");
    EXPECT_EQ(store->DeleteKey(own, ""), kSuccess);
    EXPECT_EQ(Set(*store, own, "v", "x"), kKeyDeleted);
    EXPECT_FALSE(Exists(*store, HKEY_CURRENT_USER, "Own"));
}

// Reads avoid the file where they can: a subkey found proves that its parent
// still exists, and an enumeration past index 0 answers from the snapshot.
// A key deleted by another connection must still be reported as such.
TEST_F(SqliteStoreTest, AnotherConnectionSeesWritesAndDeletedKeys) {
    auto first = OpenStore(path);
    auto second = OpenStore(path);
    ASSERT_TRUE(first && second);
    const StoreKey key = Create(*first, HKEY_CURRENT_USER, "Shared\\Key");
    ASSERT_EQ(Set(*first, key, "v", "one"), kSuccess);
    EXPECT_EQ(Get(*second, HKEY_CURRENT_USER, "shared\\key", "V"), B("one"));
    first->CloseKey(Create(*first, HKEY_CURRENT_USER, "Gone\\A"));
    first->CloseKey(Create(*first, HKEY_CURRENT_USER, "Gone\\B"));

    StoreKey seen = 0, parent = 0, gone = 0, other = 0;
    ASSERT_EQ(second->OpenKey(HKEY_CURRENT_USER, "Shared\\Key", kKeyAllAccess, seen), kSuccess);
    ASSERT_EQ(second->OpenKey(HKEY_CURRENT_USER, "Shared", kKeyAllAccess, parent), kSuccess);
    EXPECT_EQ(SubKeys(*second, parent), Names{"Key"});
    ASSERT_EQ(second->OpenKey(HKEY_CURRENT_USER, "Gone", kKeyAllAccess, gone), kSuccess);
    std::string name;
    ASSERT_EQ(second->EnumKey(gone, 0, name), kSuccess);
    EXPECT_EQ(name, "A");
    EXPECT_EQ(second->QueryValue(gone, "", nullptr, nullptr), kFileNotFound);

    for (const char* deleted : {"Shared\\Key", "Gone\\A", "Gone\\B", "Gone"})
        ASSERT_EQ(first->DeleteKey(HKEY_CURRENT_USER, deleted), kSuccess);
    // The enumeration under way goes on in its snapshot; a new one sees the deletion.
    ASSERT_EQ(second->EnumKey(gone, 1, name), kSuccess);
    EXPECT_EQ(name, "B");
    KeyInfo info;
    bool existed = false;
    const std::vector<long> codes = {
        second->QueryValue(seen, "v", nullptr, nullptr),
        second->EnumValue(seen, 0, name, nullptr, nullptr),
        second->QueryInfoKey(seen, info),
        Set(*second, seen, "v", "two"),
        second->CreateKey(seen, "child", kKeyAllAccess, other, existed),
        second->EnumKey(gone, 0, name),
        second->OpenKey(gone, "", kKeyRead, other),
        second->OpenKey(gone, "A", kKeyRead, other),
        second->OpenKey(gone, "a\\missing", kKeyRead, other),
        second->OpenKey(gone, "B\\C\\D", kKeyRead, other),
        second->OpenKey(gone, std::string(300, 'x'), kKeyRead, other),
        second->CreateKey(gone, "", kKeyRead, other, existed),
        second->QueryValue(gone, "", nullptr, nullptr),
        second->QueryValue(gone, std::string(20000, 'v'), nullptr, nullptr)};
    for (std::size_t i = 0; i < codes.size(); ++i)
        EXPECT_EQ(codes[i], kKeyDeleted) << "call " << i;
    EXPECT_EQ(second->CloseKey(seen), kSuccess);

    // A key made again under the same name is a new key, not the old handle's.
    first->CloseKey(Create(*first, HKEY_CURRENT_USER, "Shared\\Key"));
    EXPECT_EQ(first->QueryValue(key, "v", nullptr, nullptr), kKeyDeleted);
    // The other connection's enumeration from the start shows the change.
    ASSERT_EQ(first->DeleteKey(HKEY_CURRENT_USER, "Shared\\Key"), kSuccess);
    first->CloseKey(Create(*first, HKEY_CURRENT_USER, "Shared\\Other"));
    EXPECT_EQ(SubKeys(*second, parent), Names{"Other"});

    // Paths of several levels from a live key still tell a missing key apart.
    first->CloseKey(Create(*first, HKEY_CURRENT_USER, "Here\\Deep\\Key"));
    EXPECT_TRUE(Exists(*second, HKEY_CURRENT_USER, "here\\deep\\KEY"));
    for (const char* missing : {"Here\\Deep\\None", "Here\\None\\Key"})
        EXPECT_EQ(second->OpenKey(HKEY_CURRENT_USER, missing, kKeyRead, other), kFileNotFound);
}

// Inside a transaction a key's change counter moves once while no snapshot of
// the connection shows its present value; every change must still show in the
// next enumeration from index 0, in this connection at once and in another one
// after the commit.
TEST_F(SqliteStoreTest, EveryChangeInATransactionShowsInEnumerationsFromTheStart) {
    auto first = OpenStore(path);
    auto second = OpenStore(path);
    ASSERT_TRUE(first && second);
    const StoreKey key = Create(*first, HKEY_CURRENT_USER, "Tx");
    ASSERT_EQ(Set(*first, key, "old", "0"), kSuccess);
    StoreKey watcher = 0;
    ASSERT_EQ(second->OpenKey(HKEY_CURRENT_USER, "Tx", kKeyRead, watcher), kSuccess);
    std::string name;
    ASSERT_EQ(second->EnumValue(watcher, 0, name, nullptr, nullptr), kSuccess);
    EXPECT_EQ(SubKeys(*second, watcher), Names{});

    StoreKey other = 0;
    ASSERT_EQ(first->OpenKey(HKEY_CURRENT_USER, "Tx", kKeyAllAccess, other), kSuccess);
    ASSERT_EQ(first->BeginTransaction(), kSuccess);
    ASSERT_EQ(Set(*first, key, "a", "1"), kSuccess);
    ASSERT_EQ(first->EnumValue(other, 0, name, nullptr, nullptr), kSuccess);
    // Taken after the first change: the next one must move the counter again.
    ASSERT_EQ(Set(*first, key, "b", "2"), kSuccess);
    ASSERT_EQ(first->EnumValue(other, 0, name, nullptr, nullptr), kSuccess);
    ASSERT_EQ(first->EnumValue(other, 2, name, nullptr, nullptr), kSuccess);
    EXPECT_EQ(name, "b");
    // A change through the handle whose snapshot is behind another's change.
    ASSERT_EQ(Set(*first, key, "c", "3"), kSuccess);
    ASSERT_EQ(Set(*first, other, "d", "4"), kSuccess);
    ASSERT_EQ(first->EnumValue(other, 0, name, nullptr, nullptr), kSuccess);
    ASSERT_EQ(first->EnumValue(other, 4, name, nullptr, nullptr), kSuccess);
    EXPECT_EQ(name, "d");
    ASSERT_EQ(first->EnumValue(other, 3, name, nullptr, nullptr), kSuccess);
    EXPECT_EQ(name, "c");

    EXPECT_EQ(SubKeys(*first, other), Names{});
    first->CloseKey(Create(*first, key, "k1"));
    EXPECT_EQ(SubKeys(*first, other), Names{"k1"});
    const StoreKey deep = Create(*first, key, "k2\\deep");
    EXPECT_EQ(SubKeys(*first, other), (Names{"k1", "k2"}));
    // A key made in the transaction, deleted and made again.
    ASSERT_EQ(first->DeleteKey(key, "k2\\deep"), kSuccess);
    EXPECT_EQ(Set(*first, deep, "v", "gone"), kKeyDeleted);
    const StoreKey again = Create(*first, key, "k2\\deep");
    ASSERT_EQ(Set(*first, again, "v", "5"), kSuccess);
    ASSERT_EQ(first->EndTransaction(true), kSuccess);
    EXPECT_EQ(Get(*first, HKEY_CURRENT_USER, "Tx\\k2\\deep", "v"), B("5"));

    Names values;
    for (std::uint32_t index = 0;
         second->EnumValue(watcher, index, name, nullptr, nullptr) == kSuccess; ++index)
        values.push_back(name);
    EXPECT_EQ(values, (Names{"old", "a", "b", "c", "d"}));
    EXPECT_EQ(SubKeys(*second, watcher), (Names{"k1", "k2"}));
}

// Writes count keys below name in the store file, half of them one by one and
// half in one transaction; true when every call succeeded.
bool WriteKeys(const std::string& path, const std::string& name, int count) {
    std::string error;
    auto store = SqliteStore::Open(path, error);
    bool ok = store != nullptr;
    for (int i = 0; ok && i < count; ++i) {
        if (i == count / 2)
            ok = store->BeginTransaction() == kSuccess;
        StoreKey key = 0;
        bool existed = false;
        const std::uint8_t byte = static_cast<std::uint8_t>(i);
        ok = ok &&
             store->CreateKey(HKEY_CURRENT_USER, name + "\\" + std::to_string(i), kKeyAllAccess,
                              key, existed) == kSuccess &&
             store->SetValue(key, "v", RegBinary, &byte, 1) == kSuccess;
        store->CloseKey(key);
    }
    return ok && store->EndTransaction(true) == kSuccess;
}

TEST_F(SqliteStoreTest, TwoProcessesWriteTheSameFileAtOnce) {
    OpenStore(path).reset();  // the file exists before either process starts
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0)
        _exit(WriteKeys(path, "Child", 200) ? 0 : 1);
    const bool parentOk = WriteKeys(path, "Parent", 200);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(parentOk);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    auto store = OpenStore(path);
    ASSERT_TRUE(store);
    for (const char* name : {"Child", "Parent"}) {
        StoreKey key = 0;
        ASSERT_EQ(store->OpenKey(HKEY_CURRENT_USER, name, kKeyRead, key), kSuccess);
        EXPECT_EQ(SubKeys(*store, key).size(), 200u) << name;
        EXPECT_EQ(Get(*store, key, "199", "v"), Bytes{199}) << name;
    }
}

TEST_F(SqliteStoreTest, RolledBackTransactionsLeaveNothingBehind) {
    auto store = OpenStore(path);
    auto other = OpenStore(path);
    ASSERT_TRUE(store && other);
    const StoreKey kept = Create(*store, HKEY_CURRENT_USER, "Kept");
    ASSERT_EQ(Set(*store, kept, "v", "old"), kSuccess);

    // Plain rollback; the other connection never sees the uncommitted keys.
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    const StoreKey gone = Create(*store, HKEY_CURRENT_USER, "Gone\\Deeper");
    ASSERT_EQ(Set(*store, kept, "v", "new"), kSuccess);
    EXPECT_FALSE(Exists(*other, HKEY_CURRENT_USER, "Gone"));
    EXPECT_EQ(store->EndTransaction(false), kSuccess);
    EXPECT_FALSE(Exists(*store, HKEY_CURRENT_USER, "Gone"));
    EXPECT_EQ(store->QueryValue(gone, "", nullptr, nullptr), kKeyDeleted);
    EXPECT_EQ(Get(*store, HKEY_CURRENT_USER, "Kept", "v"), B("old"));
    // Keys made later do not bring the rolled-back handle back to life.
    const StoreKey later = Create(*store, HKEY_CURRENT_USER, "Later\\Deeper");
    ASSERT_EQ(Set(*store, later, "v", "x"), kSuccess);
    EXPECT_EQ(store->QueryValue(gone, "v", nullptr, nullptr), kKeyDeleted);
    ASSERT_EQ(store->DeleteKey(HKEY_CURRENT_USER, "Later\\Deeper"), kSuccess);
    ASSERT_EQ(store->DeleteKey(HKEY_CURRENT_USER, "Later"), kSuccess);

    // An inner rollback makes the outermost end roll back everything.
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    store->CloseKey(Create(*store, HKEY_CURRENT_USER, "Outer"));
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    store->CloseKey(Create(*store, HKEY_CURRENT_USER, "Inner"));
    EXPECT_EQ(store->EndTransaction(false), kSuccess);
    store->CloseKey(Create(*store, HKEY_CURRENT_USER, "After"));
    EXPECT_NE(store->EndTransaction(true), kSuccess);
    EXPECT_EQ(SubKeys(*store, HKEY_CURRENT_USER), Names{"Kept"});

    // Nested commits become visible at the outermost end only.
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    store->CloseKey(Create(*store, HKEY_CURRENT_USER, "Committed"));
    EXPECT_EQ(store->EndTransaction(true), kSuccess);
    EXPECT_FALSE(Exists(*other, HKEY_CURRENT_USER, "Committed"));
    EXPECT_EQ(store->EndTransaction(true), kSuccess);
    EXPECT_TRUE(Exists(*other, HKEY_CURRENT_USER, "Committed"));
    EXPECT_EQ(store->EndTransaction(true), kInvalidFunction);
}

TEST_F(SqliteStoreTest, ACompoundOperationThatFailsHalfWayLeavesTheOldState) {
    auto store = OpenStore(path);
    ASSERT_TRUE(store);
    const StoreKey tree = Create(*store, HKEY_CURRENT_USER, "Tree");
    for (const char* child : {"a", "b", "c"}) {
        const StoreKey key = Create(*store, tree, child);
        ASSERT_EQ(Set(*store, key, "v", child), kSuccess);
        store->CloseKey(key);
    }
    ASSERT_EQ(SubKeys(*store, tree), (Names{"a", "b", "c"}));
    {
        // Moves the subkeys away one by one, then fails on a name that is too long.
        StoreTransaction transaction(*store);
        const StoreKey target = Create(*store, HKEY_CURRENT_USER, "Target");
        std::string name;
        while (store->EnumKey(tree, 0, name) == kSuccess) {
            const StoreKey copy = Create(*store, target, name);
            ASSERT_EQ(Set(*store, copy, "v", name), kSuccess);
            store->CloseKey(copy);
            ASSERT_EQ(store->DeleteKey(tree, name), kSuccess);
        }
        EXPECT_EQ(Set(*store, target, std::string(kMaxValueNameLength + 1, 'n'), "x"),
                  kInvalidParameter);
        store->CloseKey(target);
    }
    EXPECT_FALSE(Exists(*store, HKEY_CURRENT_USER, "Target"));
    // The handle's snapshot was taken inside the undone transaction: it is taken again.
    EXPECT_EQ(SubKeys(*store, tree), (Names{"a", "b", "c"}));
    EXPECT_EQ(Get(*store, tree, "b", "v"), B("b"));
}

// Holds the write lock of a store file, as another program in the middle of
// a transaction does.
class WriteLock {
  public:
    explicit WriteLock(const std::string& path) {
        sqlite3_open(path.c_str(), &db_);
        ok_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteLock() {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
    bool Held() const { return ok_; }

  private:
    sqlite3* db_ = nullptr;
    bool ok_ = false;
};

TEST_F(SqliteStoreTest, WritesFailWithTheLockCodeWhileAnotherConnectionWrites) {
    auto store = OpenStore(path, {.busyTimeoutMs = 50});
    ASSERT_TRUE(store);
    const StoreKey key = Create(*store, HKEY_CURRENT_USER, "Locked");
    ASSERT_EQ(Set(*store, key, "v", "old"), kSuccess);
    {
        WriteLock lock(path);
        ASSERT_TRUE(lock.Held());
        EXPECT_EQ(WriteCodes(*store, key, "Locked"), std::vector<long>(4, kSharingViolation));
        // Reading goes on; an existing key can still be "created".
        EXPECT_EQ(Get(*store, HKEY_CURRENT_USER, "Locked", "v"), B("old"));
        StoreKey again = 0;
        bool existed = false;
        EXPECT_EQ(store->CreateKey(HKEY_CURRENT_USER, "Locked", kKeyRead, again, existed),
                  kSuccess);
        EXPECT_TRUE(existed);

        // A transaction that cannot start fails as a whole.
        EXPECT_EQ(store->BeginTransaction(), kSharingViolation);
        EXPECT_EQ(Set(*store, key, "w", "x"), kSharingViolation);
        EXPECT_EQ(store->EndTransaction(true), kSharingViolation);
    }
    EXPECT_EQ(Set(*store, key, "v", "new"), kSuccess);
    EXPECT_EQ(Get(*store, HKEY_CURRENT_USER, "Locked", "v"), B("new"));
    EXPECT_EQ(store->QueryValue(key, "w", nullptr, nullptr), kFileNotFound);
}

TEST_F(SqliteStoreTest, AReadOnlyStoreReadsAndRefusesWrites) {
    {
        auto store = OpenStore(path);
        ASSERT_TRUE(store);
        ASSERT_EQ(Set(*store, Create(*store, HKEY_CURRENT_USER, "Data"), "v", "kept"), kSuccess);
    }
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    // The superuser may write a file whatever its mode; open it read-only then.
    auto store = OpenStore(path, {.readOnly = geteuid() == 0});
    ASSERT_TRUE(store);
    EXPECT_TRUE(store->IsReadOnly());
    EXPECT_EQ(Get(*store, HKEY_CURRENT_USER, "Data", "v"), B("kept"));
    const StoreKey key = Create(*store, HKEY_CURRENT_USER, "Data");
    EXPECT_EQ(WriteCodes(*store, key, "Data"), std::vector<long>(4, kAccessDenied));
    EXPECT_EQ(store->BeginTransaction(), kAccessDenied);
    EXPECT_EQ(store->EndTransaction(false), kSuccess);
    EXPECT_EQ(Get(*store, HKEY_CURRENT_USER, "Data", "v"), B("kept"));
}

TEST_F(SqliteStoreTest, FilesThatCannotServeAsAStoreAreReportedByName) {
    const std::string prefix = "Could not open the registry store ";
    std::string error;
    const std::string text = folder.File("notes.txt");
    std::ofstream(text) << std::string(4096, 'x');
    EXPECT_FALSE(SqliteStore::Open(text, error));
    EXPECT_EQ(error, prefix + text + ": it is not a database");

    const std::string foreign = folder.File("foreign.db");
    sqlite3* db = nullptr;
    sqlite3_open(foreign.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_FALSE(SqliteStore::Open(foreign, error));
    EXPECT_EQ(error, prefix + foreign + ": it is a database of another program");

    const std::string underFile = text + "/sub/registry.db";
    EXPECT_FALSE(SqliteStore::Open(underFile, error));
    EXPECT_EQ(error.rfind("Could not create the folder " + text + "/sub for the registry store " +
                              underFile + ": ",
                          0),
              0u)
        << error;

    const std::string missing = folder.File("missing.db");
    EXPECT_FALSE(SqliteStore::Open(missing, error, {.readOnly = true}));
    EXPECT_EQ(error.rfind(prefix + missing + ": ", 0), 0u) << error;
    EXPECT_FALSE(fs::exists(missing));

    const std::string empty = folder.File("empty.db");
    std::ofstream(empty).close();
    EXPECT_FALSE(SqliteStore::Open(empty, error, {.readOnly = true}));
    EXPECT_EQ(error, prefix + empty + ": it cannot be written");

    // A program holding an exclusive lock on a file that is not in WAL mode
    // keeps even readers out.
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    EXPECT_FALSE(SqliteStore::Open(path, error, {.busyTimeoutMs = 50}));
    EXPECT_EQ(error, prefix + path + ": it is locked by another process");
    sqlite3_close(db);
    EXPECT_TRUE(SqliteStore::Open(path, error)) << error;
}

TEST_F(SqliteStoreTest, ADamagedFileGivesTheBadDatabaseCode) {
    {
        auto store = OpenStore(path);
        ASSERT_TRUE(store);
        for (int i = 0; i < 100; ++i)
            store->CloseKey(Create(*store, HKEY_CURRENT_USER, "Key" + std::to_string(i)));
    }
    {
        // The second page holds the table of keys.
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4096);
        const std::string junk(4096, '\xA5');
        file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    auto store = OpenStore(path);
    ASSERT_TRUE(store);
    std::string name;
    EXPECT_EQ(store->EnumKey(HKEY_CURRENT_USER, 0, name), kBadDb);
    StoreKey key = 0;
    bool existed = false;
    EXPECT_EQ(store->CreateKey(HKEY_CURRENT_USER, "New", kKeyAllAccess, key, existed), kBadDb);
}

TEST_F(SqliteStoreTest, MovesInATransactionShowAtTheCommitAndRollBackWhole) {
    auto store = OpenStore(path);
    auto other = OpenStore(path);
    ASSERT_TRUE(store && other);
    const StoreKey c = Create(*store, HKEY_CURRENT_USER, "A\\B\\C");
    const StoreKey a = Create(*store, HKEY_CURRENT_USER, "A");
    const StoreKey otherA = Create(*other, HKEY_CURRENT_USER, "A");
    EXPECT_EQ(SubKeys(*store, a), Names{"B"});
    EXPECT_EQ(SubKeys(*other, otherA), Names{"B"});

    // C is changed before the move (its counters move once per transaction)
    // and after it, through a handle opened at its old depth.
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    ASSERT_EQ(Set(*store, c, "v", "value"), kSuccess);
    store->CloseKey(Create(*store, c, "Made"));
    ASSERT_EQ(store->MoveKey(a, "B", HKEY_CURRENT_USER, "Z"), kSuccess);
    const StoreKey later = Create(*store, c, "Later");
    EXPECT_FALSE(Exists(*other, HKEY_CURRENT_USER, "Z"));
    EXPECT_EQ(SubKeys(*other, otherA), Names{"B"});
    ASSERT_EQ(store->EndTransaction(true), kSuccess);
    EXPECT_EQ(SubKeys(*store, a), Names{});
    EXPECT_EQ(SubKeys(*other, otherA), Names{});
    EXPECT_EQ(Get(*other, HKEY_CURRENT_USER, "Z\\C", "v"), B("value"));
    EXPECT_TRUE(Exists(*other, HKEY_CURRENT_USER, "Z\\C\\Made"));

    // Later lies at level 3 now: 509 levels more reach the limit, 510 do not.
    std::string deep = "d";
    for (int level = 5; level <= 512; ++level)
        deep += "\\d";
    StoreKey key = 0;
    bool existed = false;
    EXPECT_EQ(store->CreateKey(later, deep + "\\d", kKeyAllAccess, key, existed),
              kInvalidParameter);
    ASSERT_EQ(store->CreateKey(later, deep, kKeyAllAccess, key, existed), kSuccess);

    // Z now reaches the limit: it cannot go one level down.
    EXPECT_EQ(store->MoveKey(HKEY_CURRENT_USER, "Z", a, "Back"), kInvalidParameter);
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    ASSERT_EQ(store->MoveKey(HKEY_CURRENT_USER, "Z\\C\\Made", a, "Back"), kSuccess);
    EXPECT_EQ(SubKeys(*store, a), Names{"Back"});
    EXPECT_EQ(store->EndTransaction(false), kSuccess);
    EXPECT_EQ(SubKeys(*store, a), Names{});
    EXPECT_TRUE(Exists(*store, HKEY_CURRENT_USER, "Z\\C\\Made"));
    EXPECT_EQ(Get(*store, HKEY_CURRENT_USER, "Z\\C", "v"), B("value"));
    EXPECT_EQ(store->QueryValue(c, "v", nullptr, nullptr), kSuccess);
}

// Store location.

EnvironmentLookup Environment(std::map<std::string, std::string> variables) {
    return [variables](const std::string& name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        if (found == variables.end())
            return std::nullopt;
        return found->second;
    };
}

TEST(StoreLocationTest, DefaultPathFollowsTheDataHomeOrTheHomeFolder) {
    EXPECT_EQ(DefaultStorePath(Environment({{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}})),
              "/data/zanver/registry.db");
    EXPECT_EQ(DefaultStorePath(Environment({{"XDG_DATA_HOME", "/data/"}})),
              "/data/zanver/registry.db");
    // Empty or relative data homes do not count.
    for (const char* dataHome : {"", "relative/dir"})
        EXPECT_EQ(
            DefaultStorePath(Environment({{"XDG_DATA_HOME", dataHome}, {"HOME", "/home/u/"}})),
            "/home/u/.local/share/zanver/registry.db");
    EXPECT_EQ(DefaultStorePath(Environment({})), "");
}

TEST(StoreLocationTest, StoreOptionWinsOverTheVariableWhichWinsOverTheDefault) {
    const auto environment = Environment({{"ZANVER_STORE", "/env.db"}, {"HOME", "/h"}});
    std::vector<std::string> args = {"file.txt", "--store", "/a.db", "--other", "--store=/b.db"};
    EXPECT_EQ(ChooseStorePath(args, environment), "/b.db");
    EXPECT_EQ(args, (std::vector<std::string>{"file.txt", "--other"}));

    args = {"file.txt"};
    EXPECT_EQ(ChooseStorePath(args, environment), "/env.db");
    EXPECT_EQ(args, std::vector<std::string>{"file.txt"});
    EXPECT_EQ(ChooseStorePath(args, Environment({{"ZANVER_STORE", ""}, {"HOME", "/h"}})),
              "/h/.local/share/zanver/registry.db");

    // After "--" nothing is an option.
    args = {"--", "--store", "x"};
    EXPECT_EQ(ChooseStorePath(args, environment), "/env.db");
    EXPECT_EQ(args.size(), 3u);

    // A --store without a name gives no store at all rather than another one.
    for (std::vector<std::string> bad : {std::vector<std::string>{"x", "--store"},
                                         {"--store=", "x"},
                                         {"--store", "", "x", "--store=/a.db"}}) {
        EXPECT_EQ(ChooseStorePath(bad, environment), "");
        EXPECT_EQ(bad, std::vector<std::string>{"x"}) << bad.size();
    }

    // The argv form drops the store arguments and keeps argv null-terminated.
    std::string words[] = {"zanver", "--store", "/x.db", "file.txt", "--store=/y.db", "last"};
    char* argv[7] = {};
    for (int i = 0; i < 6; ++i)
        argv[i] = words[i].data();
    int argc = 6;
    EXPECT_EQ(ChooseStorePath(argc, argv), "/y.db");
    ASSERT_LE(argc, 6);
    EXPECT_EQ(std::vector<std::string>(argv, argv + argc),
              (std::vector<std::string>{"zanver", "file.txt", "last"}));
    EXPECT_EQ(argv[argc], nullptr);
}

}  // namespace
