#include "MemoryStore.h"

#include <gtest/gtest.h>

#include "ErrorCodes.h"
#include "RootKeys.h"
#include "StoreConformance.h"
#include "StoreHelpers.h"

using namespace zanver;
using namespace zanver::err;
using namespace zanver::test;

INSTANTIATE_TEST_SUITE_P(Memory, StoreConformanceTest,
                         ::testing::Values(StoreUnderTest{
                             "Memory", [] { return std::make_unique<MemoryStore>(); }}),
                         StoreUnderTestName);

namespace {

// Other tests compare stores by their dumps and find leaked handles by
// OpenHandleCount.
TEST(MemoryStoreTest, DumpShowsNamesOrderTypesAndBytes) {
    MemoryStore store;
    MemoryStore other;
    EXPECT_EQ(store.Dump(),
              "[HKEY_CURRENT_USER]\n[HKEY_LOCAL_MACHINE]\n[HKEY_LOCAL_MACHINE\\Software]\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Classes]\n[HKEY_USERS]\n[HKEY_CURRENT_CONFIG]\n");
    const std::string_view one("1\0", 2);
    Key x(store), y(other);
    ASSERT_EQ(Create(store, HKEY_CLASSES_ROOT, "x", x), kSuccess);
    EXPECT_EQ(store.OpenHandleCount(), 1u);
    ASSERT_EQ(Set(store, x, "one", RegSz, one), kSuccess);
    ASSERT_EQ(Set(store, x, "two", RegBinary, ""), kSuccess);
    MakeKeys(store, HKEY_CURRENT_USER, {"b", "a"});
    // The same contents, made in another order and through another root.
    MakeKeys(other, HKEY_CURRENT_USER, {"a", "b"});
    ASSERT_EQ(Create(other, HKEY_LOCAL_MACHINE, "Software\\Classes\\x", y), kSuccess);
    ASSERT_EQ(Set(other, y, "one", RegSz, one), kSuccess);
    ASSERT_EQ(Set(other, y, "two", RegBinary, ""), kSuccess);
    EXPECT_EQ(store.Dump(), other.Dump());
    EXPECT_EQ(store.Dump(HKEY_CLASSES_ROOT, "X"),
              "[HKEY_CLASSES_ROOT\\x]\n  \"one\" 1: 31 00\n  \"two\" 3:\n");
    // The order of values and the case of names count.
    ASSERT_EQ(other.DeleteValue(y, "one"), kSuccess);
    ASSERT_EQ(Set(other, y, "one", RegSz, one), kSuccess);
    EXPECT_NE(store.Dump(), other.Dump());
    ASSERT_EQ(store.DeleteValue(x, "one"), kSuccess);
    ASSERT_EQ(Set(store, x, "ONE", RegSz, one), kSuccess);
    EXPECT_EQ(store.Dump(HKEY_CLASSES_ROOT, "x"),
              "[HKEY_CLASSES_ROOT\\x]\n  \"two\" 3:\n  \"ONE\" 1: 31 00\n");
    EXPECT_EQ(store.Dump(HKEY_CLASSES_ROOT, "missing"), "");
    x.Close();
    EXPECT_EQ(store.OpenHandleCount(), 0u);
}

TEST(MemoryStoreTest, DumpEscapesNamesOutsidePrintableAscii) {
    MemoryStore store;
    Key key(store);
    ASSERT_EQ(Create(store, HKEY_CURRENT_USER, "k\x01y", key), kSuccess);
    ASSERT_EQ(Set(store, key, "q\"b\\\xe9", RegDword, "\x01\x02\x03\x04"), kSuccess);
    EXPECT_EQ(store.Dump(HKEY_CURRENT_USER, "K\x01Y"),
              "[HKEY_CURRENT_USER\\k\\x01y]\n"
              "  \"q\\\"b\\\\\\xE9\" 4: 01 02 03 04\n");
}

}  // namespace
