#include "SqliteStore.h"
#include "TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "ErrorCodes.h"
#include "RootKeys.h"
#include "StoreConformance.h"
#include "StoreHelpers.h"

using namespace zanver;
using namespace zanver::err;
using namespace zanver::test;
namespace fs = std::filesystem;
using ::testing::StartsWith;

namespace {

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

// A new handle on the key at path, which the tests leave open: each store
// closes its handles when it goes.
StoreKey Make(RegistryStore& store, StoreKey parent, std::string_view path) {
    StoreKey key = 0;
    bool existed = false;
    EXPECT_EQ(store.CreateKey(parent, path, kKeyAllAccess, key, existed), kSuccess) << path;
    return key;
}

// The data of a value at a path; "(no key)" when the key cannot be opened.
std::string Get(RegistryStore& store, StoreKey root, const std::string& path,
                const std::string& name) {
    Key key(store);
    return Open(store, root, path, key, kKeyRead) == kSuccess ? ReadData(store, key, name)
                                                              : "(no key)";
}

// The codes of the writes through key and of deleting it at path below
// HKEY_CURRENT_USER.
std::vector<long> WriteCodes(RegistryStore& store, StoreKey key, const std::string& path) {
    StoreKey child = 0;
    bool existed = false;
    return {Set(store, key, "v", RegBinary, "new"), store.DeleteValue(key, "v"),
            store.CreateKey(key, "child", kKeyAllAccess, child, existed),
            store.DeleteKey(HKEY_CURRENT_USER, path)};
}

class SqliteStoreTest : public ::testing::Test {
  protected:
    TempFolder folder;
    std::string path = folder.File("registry.db");
};

TEST_F(SqliteStoreTest, KeysAndValuesSurviveReopening) {
    const std::string nested = folder.File("a/b/c/registry.db");  // its folders are made
    std::string before;
    {
        auto store = OpenStore(nested);
        ASSERT_TRUE(store);
        EXPECT_EQ(store->Path(), nested);
        Key key(*store);
        ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, "Software\\MyApp", key), kSuccess);
        MakeKeys(*store, key, {"_last", "Beta", "alpha", "ZULU"});
        ASSERT_EQ(Set(*store, key, "Zeta", RegBinary, "1"), kSuccess);
        ASSERT_EQ(Set(*store, key, "", RegSz, ""), kSuccess);
        ASSERT_EQ(Set(*store, key, "ZETA", RegDword, "3"), kSuccess);
        before = Tree(*store, HKEY_CURRENT_USER, "Software\\MyApp");
    }
    auto store = OpenStore(nested);
    ASSERT_TRUE(store);
    EXPECT_EQ(Tree(*store, HKEY_CURRENT_USER, "SOFTWARE\\myapp"), before);

    // Roots the store does not hold are no handles; the stored ones stay.
    std::string name;
    for (StoreKey bad : {HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA})
        EXPECT_EQ(store->EnumKey(bad, 0, name), kInvalidHandle) << bad;
    EXPECT_EQ(store->DeleteKey(Make(*store, HKEY_LOCAL_MACHINE, ""), ""), kAccessDenied);
    EXPECT_EQ(store->DeleteKey(HKEY_USERS, ""), kAccessDenied);
}

// Reads avoid the file where they can: a subkey found proves that its parent
// still exists, and an enumeration past index 0 answers from the snapshot.
// A key deleted by another connection must still be reported as such.
TEST_F(SqliteStoreTest, AnotherConnectionSeesWritesAndDeletedKeys) {
    auto first = OpenStore(path);
    auto second = OpenStore(path);
    ASSERT_TRUE(first && second);
    const StoreKey key = Make(*first, HKEY_CURRENT_USER, "Shared\\Key");
    ASSERT_EQ(Set(*first, key, "v", RegBinary, "one"), kSuccess);
    EXPECT_EQ(Get(*second, HKEY_CURRENT_USER, "shared\\key", "V"), "one");
    MakeKeys(*first, HKEY_CURRENT_USER, {"Gone\\A", "Gone\\B"});

    const StoreKey seen = Make(*second, HKEY_CURRENT_USER, "Shared\\Key");
    const StoreKey parent = Make(*second, HKEY_CURRENT_USER, "Shared");
    const StoreKey gone = Make(*second, HKEY_CURRENT_USER, "Gone");
    EXPECT_EQ(SubKeys(*second, parent), Names{"Key"});
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
    StoreKey other = 0;
    const std::vector<long> codes = {
        second->QueryValue(seen, "v", nullptr, nullptr),
        second->EnumValue(seen, 0, name, nullptr, nullptr),
        second->QueryInfoKey(seen, info),
        Set(*second, seen, "v", RegBinary, "two"),
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
    EXPECT_EQ(codes, std::vector<long>(codes.size(), kKeyDeleted));
    EXPECT_EQ(second->CloseKey(seen), kSuccess);

    // The other connection's enumeration from the start shows the change.
    MakeKeys(*first, HKEY_CURRENT_USER, {"Shared\\Other", "Here\\Deep\\Key"});
    EXPECT_EQ(SubKeys(*second, parent), Names{"Other"});

    // Paths of several levels from a live key still tell a missing key apart.
    EXPECT_NE(Get(*second, HKEY_CURRENT_USER, "here\\deep\\KEY", ""), "(no key)");
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
    const StoreKey key = Make(*first, HKEY_CURRENT_USER, "Tx");
    ASSERT_EQ(Set(*first, key, "old", RegBinary, "0"), kSuccess);
    const StoreKey watcher = Make(*second, HKEY_CURRENT_USER, "Tx");
    std::string name;
    ASSERT_EQ(second->EnumValue(watcher, 0, name, nullptr, nullptr), kSuccess);
    EXPECT_EQ(SubKeys(*second, watcher), Names{});

    const StoreKey other = Make(*first, HKEY_CURRENT_USER, "Tx");
    // The name at index after the enumeration was started again from 0.
    auto valueAt = [&](std::uint32_t index) {
        EXPECT_EQ(first->EnumValue(other, 0, name, nullptr, nullptr), kSuccess);
        EXPECT_EQ(first->EnumValue(other, index, name, nullptr, nullptr), kSuccess);
        return name;
    };
    ASSERT_EQ(first->BeginTransaction(), kSuccess);
    ASSERT_EQ(Set(*first, key, "a", RegBinary, "1"), kSuccess);
    EXPECT_EQ(valueAt(1), "a");
    // Taken after the first change: the next one must move the counter again.
    ASSERT_EQ(Set(*first, key, "b", RegBinary, "2"), kSuccess);
    EXPECT_EQ(valueAt(2), "b");
    // A change through the handle whose snapshot is behind another's change.
    ASSERT_EQ(Set(*first, key, "c", RegBinary, "3"), kSuccess);
    ASSERT_EQ(Set(*first, other, "d", RegBinary, "4"), kSuccess);
    EXPECT_EQ(valueAt(4), "d");
    ASSERT_EQ(first->EnumValue(other, 3, name, nullptr, nullptr), kSuccess);
    EXPECT_EQ(name, "c");

    EXPECT_EQ(SubKeys(*first, other), Names{});
    MakeKeys(*first, key, {"k1"});
    EXPECT_EQ(SubKeys(*first, other), Names{"k1"});
    const StoreKey deep = Make(*first, key, "k2\\deep");
    EXPECT_EQ(SubKeys(*first, other), (Names{"k1", "k2"}));
    // A key made in the transaction, deleted and made again.
    ASSERT_EQ(first->DeleteKey(key, "k2\\deep"), kSuccess);
    EXPECT_EQ(Set(*first, deep, "v", RegBinary, "gone"), kKeyDeleted);
    ASSERT_EQ(Set(*first, Make(*first, key, "k2\\deep"), "v", RegBinary, "5"), kSuccess);
    ASSERT_EQ(first->EndTransaction(true), kSuccess);
    EXPECT_EQ(Get(*first, HKEY_CURRENT_USER, "Tx\\k2\\deep", "v"), "5");

    EXPECT_EQ(ValueNames(*second, watcher), (Names{"old", "a", "b", "c", "d"}));
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
        Key key(*store);
        ok = ok && Create(*store, HKEY_CURRENT_USER, name + "\\" + std::to_string(i), key) == 0 &&
             Set(*store, key, "v", RegBinary, std::to_string(i)) == kSuccess;
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
        EXPECT_EQ(SubKeys(*store, Make(*store, HKEY_CURRENT_USER, name)).size(), 200u) << name;
        EXPECT_EQ(Get(*store, HKEY_CURRENT_USER, name + std::string("\\199"), "v"), "199");
    }
}

TEST_F(SqliteStoreTest, WritesFailWithTheLockCodeWhileAnotherConnectionWrites) {
    auto store = OpenStore(path, {.busyTimeoutMs = 50});
    ASSERT_TRUE(store);
    const StoreKey key = Make(*store, HKEY_CURRENT_USER, "Locked");
    ASSERT_EQ(Set(*store, key, "v", RegBinary, "old"), kSuccess);
    {
        // Another connection in the middle of a transaction holds the write lock.
        auto writer = OpenStore(path);
        ASSERT_EQ(writer->BeginTransaction(), kSuccess);
        EXPECT_EQ(WriteCodes(*store, key, "Locked"), std::vector<long>(4, kSharingViolation));
        // Reading goes on; an existing key can still be "created".
        EXPECT_EQ(Get(*store, HKEY_CURRENT_USER, "Locked", "v"), "old");
        Key again(*store);
        bool existed = false;
        EXPECT_EQ(Create(*store, HKEY_CURRENT_USER, "Locked", again, &existed), kSuccess);
        EXPECT_TRUE(existed);

        // A transaction that cannot start fails as a whole.
        EXPECT_EQ(store->BeginTransaction(), kSharingViolation);
        EXPECT_EQ(Set(*store, key, "w", RegBinary, "x"), kSharingViolation);
        EXPECT_EQ(store->EndTransaction(true), kSharingViolation);
    }
    EXPECT_EQ(Set(*store, key, "v", RegBinary, "new"), kSuccess);
    EXPECT_EQ(Get(*store, HKEY_CURRENT_USER, "Locked", "v"), "new");
    EXPECT_EQ(store->QueryValue(key, "w", nullptr, nullptr), kFileNotFound);
}

// What opening the store file gives a user who may read it but not write it:
// the error, or whether the store is read-only, the value it reads and the
// codes of its writes. The superuser may write any file, so as the superuser
// a child process that has become the user nobody opens it.
std::string OpenedWithoutWriteAccess(const std::string& path) {
    const auto attempt = [&]() -> std::string {
        std::string error;
        auto store = SqliteStore::Open(path, error);
        if (!store)
            return error;
        std::string result = (store->IsReadOnly() ? "read-only, " : "writable, ") +
                             Get(*store, HKEY_CURRENT_USER, "Data", "v") + ",";
        for (const long code : WriteCodes(*store, Make(*store, HKEY_CURRENT_USER, "Data"), "Data"))
            result += " " + std::to_string(code);
        return result + " " + std::to_string(store->BeginTransaction());
    };
    if (geteuid() != 0)
        return attempt();
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        const std::string result =
            setgid(65534) == 0 && setuid(65534) == 0 ? attempt() : "still the superuser";
        _exit(write(pipeEnds[1], result.data(), result.size()) < 0);
    }
    close(pipeEnds[1]);
    std::string result;
    char buffer[256];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    return result;
}

TEST_F(SqliteStoreTest, AFileWithoutWriteAccessIsReadOnlyOrNotOpened) {
    {
        auto store = OpenStore(path);
        ASSERT_TRUE(store);
        ASSERT_EQ(Set(*store, Make(*store, HKEY_CURRENT_USER, "Data"), "v", RegBinary, "kept"),
                  kSuccess);
    }
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    // In a folder it may write, the store reads and refuses every write.
    ASSERT_EQ(chmod(folder.Path().c_str(), 0777), 0);
    const std::string denied = " " + std::to_string(kAccessDenied);
    EXPECT_EQ(OpenedWithoutWriteAccess(path),
              "read-only, kept," + denied + denied + denied + denied + denied);
    // In a folder it may not write, the files a store in WAL mode reads
    // through cannot be made.
    for (const char* companion : {"-wal", "-shm"})
        fs::remove(path + companion);
    ASSERT_EQ(chmod(folder.Path().c_str(), 0555), 0);
    EXPECT_EQ(OpenedWithoutWriteAccess(path),
              "Could not open the registry store " + path + ": it cannot be written");
    ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
}

TEST_F(SqliteStoreTest, FilesThatCannotServeAsAStoreAreReportedByName) {
    const auto error = [](const std::string& file, const SqliteStoreOptions& options = {}) {
        std::string text;
        EXPECT_FALSE(SqliteStore::Open(file, text, options)) << file;
        return text;
    };
    const std::string prefix = "Could not open the registry store ";
    const std::string text = folder.File("notes.txt");
    std::ofstream(text) << std::string(4096, 'x');
    EXPECT_EQ(error(text), prefix + text + ": it is not a database");

    const std::string foreign = folder.File("foreign.db");
    sqlite3* db = nullptr;
    sqlite3_open(foreign.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(error(foreign), prefix + foreign + ": it is a database of another program");

    const std::string underFile = text + "/sub/registry.db";
    EXPECT_THAT(error(underFile), StartsWith("Could not create the folder " + text +
                                             "/sub for the registry store " + underFile + ": "));
    const std::string missing = folder.File("missing.db");
    EXPECT_THAT(error(missing, {.readOnly = true}), StartsWith(prefix + missing + ": "));
    EXPECT_FALSE(fs::exists(missing));

    // A program holding an exclusive lock on a file that is not in WAL mode
    // keeps even readers out.
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    EXPECT_EQ(error(path, {.busyTimeoutMs = 50}),
              prefix + path + ": it is locked by another process");
    sqlite3_close(db);
    EXPECT_TRUE(OpenStore(path));
}

TEST_F(SqliteStoreTest, ADamagedFileGivesTheBadDatabaseCode) {
    {
        auto store = OpenStore(path);
        ASSERT_TRUE(store);
        for (int i = 0; i < 100; ++i)
            MakeKeys(*store, HKEY_CURRENT_USER, {"Key" + std::to_string(i)});
    }
    {
        // The second page holds the table of keys.
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4096);
        file << std::string(4096, '\xA5');
    }
    auto store = OpenStore(path);
    ASSERT_TRUE(store);
    std::string name;
    EXPECT_EQ(store->EnumKey(HKEY_CURRENT_USER, 0, name), kBadDb);
    Key key(*store);
    EXPECT_EQ(Create(*store, HKEY_CURRENT_USER, "New", key), kBadDb);
}

TEST_F(SqliteStoreTest, OtherConnectionsSeeATransactionAtItsOutermostCommit) {
    auto store = OpenStore(path);
    auto other = OpenStore(path);
    ASSERT_TRUE(store && other);
    const StoreKey c = Make(*store, HKEY_CURRENT_USER, "A\\B\\C");
    const StoreKey a = Make(*store, HKEY_CURRENT_USER, "A");
    const StoreKey otherA = Make(*other, HKEY_CURRENT_USER, "A");
    EXPECT_EQ(SubKeys(*store, a), Names{"B"});
    EXPECT_EQ(SubKeys(*other, otherA), Names{"B"});

    // C is changed before a move (its counters move once per transaction)
    // and after it, through a handle opened at its old depth.
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    ASSERT_EQ(Set(*store, c, "v", RegBinary, "value"), kSuccess);
    MakeKeys(*store, c, {"Made"});
    ASSERT_EQ(store->MoveKey(a, "B", HKEY_CURRENT_USER, "Z"), kSuccess);
    const StoreKey later = Make(*store, c, "Later");
    EXPECT_EQ(store->EndTransaction(true), kSuccess);
    EXPECT_EQ(Get(*other, HKEY_CURRENT_USER, "Z", ""), "(no key)");
    EXPECT_EQ(SubKeys(*other, otherA), Names{"B"});
    ASSERT_EQ(store->EndTransaction(true), kSuccess);
    EXPECT_EQ(store->EndTransaction(true), kInvalidFunction);
    EXPECT_EQ(SubKeys(*store, a), Names{});
    EXPECT_EQ(SubKeys(*other, otherA), Names{});
    EXPECT_EQ(Get(*other, HKEY_CURRENT_USER, "Z\\C", "v"), "value");
    EXPECT_NE(Get(*other, HKEY_CURRENT_USER, "Z\\C\\Made", ""), "(no key)");

    // Later lies at level 3 now: 509 levels more reach the limit, 510 do not.
    std::string deep = "d";
    for (int level = 5; level <= 512; ++level)
        deep += "\\d";
    Key key(*store);
    EXPECT_EQ(Create(*store, later, deep + "\\d", key), kInvalidParameter);
    EXPECT_EQ(Create(*store, later, deep, key), kSuccess);

    // The handle of a rolled-back key stays dead, also when keys are made later.
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    const StoreKey gone = Make(*store, HKEY_CURRENT_USER, "Gone\\Deeper");
    EXPECT_EQ(store->EndTransaction(false), kSuccess);
    MakeKeys(*store, HKEY_CURRENT_USER, {"Later\\Deeper"});
    EXPECT_EQ(store->QueryValue(gone, "", nullptr, nullptr), kKeyDeleted);
}

}  // namespace
