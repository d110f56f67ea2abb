#include "FaultStore.h"

#include <gtest/gtest.h>

#include "ErrorCodes.h"
#include "MemoryStore.h"
#include "RootKeys.h"
#include "StoreConformance.h"

using namespace zanver;
using namespace zanver::err;
using Call = FaultStore::Call;

namespace {

// A fault store that owns the memory store it wraps (the base that holds the
// memory store is built first).
struct MemoryHolder {
    MemoryStore memory;
};
class FaultOverMemory : private MemoryHolder, public FaultStore {
  public:
    FaultOverMemory() : FaultStore(memory) {}
    using MemoryHolder::memory;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Fault, StoreConformanceTest,
                         ::testing::Values(StoreUnderTest{
                             "FaultOverMemory",
                             [] { return std::make_unique<FaultOverMemory>(); }}),
                         StoreUnderTestName);

namespace {

class FaultStoreTest : public ::testing::Test {
  protected:
    long Set(std::string_view name, std::string_view data = "x") {
        const std::vector<std::uint8_t> bytes(data.begin(), data.end());
        return store.SetValue(HKEY_CURRENT_USER, name, RegBinary, bytes.data(), bytes.size());
    }
    bool Exists(std::string_view name) {
        return store.memory.QueryValue(HKEY_CURRENT_USER, name, nullptr, nullptr) == kSuccess;
    }

    FaultOverMemory store;
};

TEST_F(FaultStoreTest, TheNthCallOfAKindFailsWithoutReachingTheStore) {
    ASSERT_EQ(Set("before"), kSuccess);
    store.FailNth(Call::SetValue, 2, kAccessDenied);
    EXPECT_EQ(store.QueryValue(HKEY_CURRENT_USER, "before", nullptr, nullptr), kSuccess);
    EXPECT_EQ(Set("first"), kSuccess);
    EXPECT_EQ(Set("second"), kAccessDenied);
    EXPECT_EQ(Set("third"), kSuccess);
    EXPECT_FALSE(store.FaultsPending());
    EXPECT_TRUE(Exists("first"));
    EXPECT_FALSE(Exists("second"));
    EXPECT_TRUE(Exists("third"));

    EXPECT_EQ(store.Calls(Call::SetValue), 4);
    EXPECT_EQ(store.Calls(Call::QueryValue), 1);
    EXPECT_EQ(store.Calls(Call::Any), 5);
    store.ResetCounts();
    EXPECT_EQ(store.Calls(Call::Any), 0);
}

TEST_F(FaultStoreTest, AnyCountsEveryKindAndFaultsCanBeCleared) {
    store.FailNth(Call::Any, 3, kRegistryIoFailed);
    StoreKey key = 0;
    bool existed = false;
    ASSERT_EQ(store.CreateKey(HKEY_CURRENT_USER, "a", kKeyAllAccess, key, existed), kSuccess);
    std::string name;
    EXPECT_EQ(store.EnumKey(HKEY_CURRENT_USER, 0, name), kSuccess);
    EXPECT_EQ(store.DeleteKey(HKEY_CURRENT_USER, "a"), kRegistryIoFailed);
    EXPECT_EQ(store.CloseKey(key), kSuccess);
    EXPECT_EQ(store.DeleteKey(HKEY_CURRENT_USER, "a"), kSuccess);

    store.FailNth(Call::DeleteValue, 1, kAccessDenied);
    store.ClearFaults();
    ASSERT_EQ(Set("v"), kSuccess);
    EXPECT_EQ(store.DeleteValue(HKEY_CURRENT_USER, "v"), kSuccess);
}

TEST_F(FaultStoreTest, FailedOpenAndCreateLeaveNoHandle) {
    StoreKey key = 77;
    bool existed = true;
    store.FailNth(Call::CreateKey, 1, kAccessDenied);
    EXPECT_EQ(store.CreateKey(HKEY_CURRENT_USER, "a", kKeyAllAccess, key, existed), kAccessDenied);
    EXPECT_EQ(key, 0u);
    EXPECT_FALSE(existed);
    EXPECT_EQ(store.memory.OpenKey(HKEY_CURRENT_USER, "a", kKeyRead, key), kFileNotFound);

    ASSERT_EQ(store.CreateKey(HKEY_CURRENT_USER, "a", kKeyAllAccess, key, existed), kSuccess);
    ASSERT_EQ(store.CloseKey(key), kSuccess);
    store.FailNth(Call::OpenKey, 1, kFileNotFound);
    key = 77;
    EXPECT_EQ(store.OpenKey(HKEY_CURRENT_USER, "a", kKeyRead, key), kFileNotFound);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(store.memory.OpenHandleCount(), 0u);
}

TEST_F(FaultStoreTest, AFailedMoveLeavesTheStoreAsItWas) {
    StoreKey key = 0;
    bool existed = false;
    ASSERT_EQ(store.CreateKey(HKEY_CURRENT_USER, "a\\b", kKeyAllAccess, key, existed), kSuccess);
    ASSERT_EQ(store.CloseKey(key), kSuccess);
    const std::string before = store.memory.Dump();
    store.FailNth(Call::MoveKey, 1, kAccessDenied);
    EXPECT_EQ(store.MoveKey(HKEY_CURRENT_USER, "a", HKEY_CURRENT_USER, "c"), kAccessDenied);
    EXPECT_EQ(store.memory.Dump(), before);
    EXPECT_EQ(store.MoveKey(HKEY_CURRENT_USER, "a", HKEY_CURRENT_USER, "c"), kSuccess);
    EXPECT_EQ(store.memory.OpenKey(HKEY_CURRENT_USER, "c\\b", kKeyRead, key), kSuccess);
    EXPECT_EQ(store.Calls(Call::MoveKey), 2);
    store.memory.CloseKey(key);
}

TEST_F(FaultStoreTest, EnumerationAndQueriesCanFail) {
    ASSERT_EQ(Set("v"), kSuccess);
    store.FailNth(Call::EnumValue, 1, kMoreData);
    store.FailNth(Call::QueryInfoKey, 1, kAccessDenied);
    std::string name;
    EXPECT_EQ(store.EnumValue(HKEY_CURRENT_USER, 0, name, nullptr, nullptr), kMoreData);
    EXPECT_EQ(store.EnumValue(HKEY_CURRENT_USER, 0, name, nullptr, nullptr), kSuccess);
    EXPECT_EQ(name, "v");
    KeyInfo info;
    EXPECT_EQ(store.QueryInfoKey(HKEY_CURRENT_USER, info), kAccessDenied);
    EXPECT_EQ(store.QueryInfoKey(HKEY_CURRENT_USER, info), kSuccess);
    EXPECT_EQ(info.values, 1u);
}

TEST(FaultStoreForwarding, TransactionsReachTheWrappedStore) {
    struct Recorder : MemoryStore {
        long BeginTransaction() override {
            log += "begin ";
            return 0;
        }
        long EndTransaction(bool commit) override {
            log += commit ? "commit " : "rollback ";
            return kDiskFull;
        }
        std::string log;
    } inner;
    FaultStore store(inner);
    EXPECT_EQ(store.BeginTransaction(), kSuccess);
    EXPECT_EQ(store.EndTransaction(false), kDiskFull);
    EXPECT_EQ(store.EndTransaction(true), kDiskFull);
    EXPECT_EQ(inner.log, "begin rollback commit ");
}

}  // namespace
