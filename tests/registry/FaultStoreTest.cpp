#include "FaultStore.h"

#include <gtest/gtest.h>

#include "ErrorCodes.h"
#include "MemoryStore.h"
#include "RootKeys.h"
#include "StoreHelpers.h"

using namespace zanver;
using namespace zanver::err;
using namespace zanver::test;
using Call = FaultStore::Call;

namespace {

// Other tests count on a fault firing at the n-th call of its kind without
// reaching the store, on a failed commit rolling the store back, and on call
// counts that do not stay 0.
TEST(FaultStoreTest, TheNthCallOfAKindFailsAloneAndEveryCallIsCounted) {
    MemoryStore memory;
    FaultStore store(memory);
    const auto set = [&](const char* name) {
        return Set(store, HKEY_CURRENT_USER, name, RegBinary, "x");
    };
    ASSERT_EQ(set("before"), kSuccess);
    store.FailNth(Call::SetValue, 2, kAccessDenied);
    EXPECT_EQ(store.QueryValue(HKEY_CURRENT_USER, "before", nullptr, nullptr), kSuccess);
    EXPECT_EQ(set("first"), kSuccess);
    EXPECT_EQ(set("second"), kAccessDenied);
    EXPECT_EQ(set("third"), kSuccess);
    EXPECT_FALSE(store.FaultsPending());
    EXPECT_EQ(store.Calls(Call::SetValue), 4);
    EXPECT_EQ(store.Calls(Call::Any), 5);
    store.ResetCounts();
    EXPECT_EQ(store.Calls(Call::Any), 0);

    store.FailNth(Call::Commit, 1, kDiskFull);
    ASSERT_EQ(store.BeginTransaction(), kSuccess);
    ASSERT_EQ(set("rolled back"), kSuccess);
    EXPECT_EQ(store.EndTransaction(true), kDiskFull);
    EXPECT_EQ(ValueNames(memory, HKEY_CURRENT_USER), (Names{"before", "first", "third"}));
}

}  // namespace
