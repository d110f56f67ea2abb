#include "MemoryStore.h"

#include <gtest/gtest.h>

#include "ErrorCodes.h"
#include "RootKeys.h"
#include "StoreConformance.h"

using namespace zanver;
using namespace zanver::err;

INSTANTIATE_TEST_SUITE_P(Memory, StoreConformanceTest,
                         ::testing::Values(StoreUnderTest{
                             "Memory", [] { return std::make_unique<MemoryStore>(); }}),
                         StoreUnderTestName);

namespace {

using Bytes = std::vector<std::uint8_t>;

class MemoryStoreTest : public ::testing::Test {
  protected:
    StoreKey Create(MemoryStore& target, StoreKey parent, std::string_view path,
                    std::uint32_t access = kKeyAllAccess) {
        StoreKey key = 0;
        bool existed = false;
        EXPECT_EQ(target.CreateKey(parent, path, access, key, existed), kSuccess) << path;
        return key;
    }
    StoreKey Create(StoreKey parent, std::string_view path) { return Create(store, parent, path); }
    static long Set(MemoryStore& target, StoreKey key, std::string_view name, std::uint32_t type,
                    std::string_view data) {
        const Bytes bytes(data.begin(), data.end());
        return target.SetValue(key, name, type, bytes.data(), bytes.size());
    }

    MemoryStore store;
};

TEST_F(MemoryStoreTest, StartsWithTheRootsAndSoftwareClasses) {
    EXPECT_EQ(store.Dump(),
              "[HKEY_CURRENT_USER]\n"
              "[HKEY_LOCAL_MACHINE]\n"
              "[HKEY_LOCAL_MACHINE\\Software]\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Classes]\n"
              "[HKEY_USERS]\n"
              "[HKEY_CURRENT_CONFIG]\n");
    std::string name;
    EXPECT_EQ(store.EnumKey(HKEY_CLASSES_ROOT, 0, name), kNoMoreItems);
    // The keys that stand behind HKEY_CLASSES_ROOT and the roots stay.
    EXPECT_EQ(store.DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Classes"), kAccessDenied);
    EXPECT_EQ(store.DeleteKey(HKEY_CURRENT_USER, ""), kAccessDenied);
    EXPECT_EQ(store.DeleteKey(HKEY_CLASSES_ROOT, ""), kAccessDenied);
}

TEST_F(MemoryStoreTest, UnknownAndClosedHandlesAreInvalid) {
    const StoreKey key = Create(HKEY_CURRENT_USER, "a");
    EXPECT_EQ(store.OpenHandleCount(), 1u);
    EXPECT_EQ(store.CloseKey(key), kSuccess);
    EXPECT_EQ(store.OpenHandleCount(), 0u);
    for (StoreKey bad : {key, StoreKey{0}, kUnknownRoot, HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA}) {
        StoreKey result = 99;
        bool existed = false;
        std::string name;
        KeyInfo info;
        EXPECT_EQ(store.OpenKey(bad, "a", kKeyRead, result), kInvalidHandle) << bad;
        EXPECT_EQ(result, 0u);
        EXPECT_EQ(store.CreateKey(bad, "a", kKeyRead, result, existed), kInvalidHandle);
        EXPECT_EQ(store.EnumKey(bad, 0, name), kInvalidHandle);
        EXPECT_EQ(store.EnumValue(bad, 0, name, nullptr, nullptr), kInvalidHandle);
        EXPECT_EQ(store.QueryInfoKey(bad, info), kInvalidHandle);
        EXPECT_EQ(store.QueryValue(bad, "", nullptr, nullptr), kInvalidHandle);
        EXPECT_EQ(Set(store, bad, "v", RegBinary, "1"), kInvalidHandle);
        EXPECT_EQ(store.DeleteValue(bad, "v"), kInvalidHandle);
        EXPECT_EQ(store.DeleteKey(bad, "a"), kInvalidHandle);
        EXPECT_EQ(store.CloseKey(bad), kInvalidHandle);
    }
    // Closing a predefined root is accepted and leaves it usable.
    EXPECT_EQ(store.CloseKey(HKEY_CURRENT_USER), kSuccess);
    std::string name;
    EXPECT_EQ(store.EnumKey(HKEY_CURRENT_USER, 0, name), kSuccess);
}

TEST_F(MemoryStoreTest, HandlesOfADeletedKeyReportItDeleted) {
    const StoreKey key = Create(HKEY_CURRENT_USER, "a\\b");
    ASSERT_EQ(store.DeleteKey(HKEY_CURRENT_USER, "a\\b"), kSuccess);
    StoreKey result = 0;
    bool existed = false;
    std::string name;
    EXPECT_EQ(store.EnumKey(key, 0, name), kKeyDeleted);
    EXPECT_EQ(store.QueryValue(key, "", nullptr, nullptr), kKeyDeleted);
    EXPECT_EQ(Set(store, key, "v", RegBinary, "1"), kKeyDeleted);
    EXPECT_EQ(store.CreateKey(key, "c", kKeyRead, result, existed), kKeyDeleted);
    EXPECT_EQ(store.OpenKey(key, "", kKeyRead, result), kKeyDeleted);
    // A new key of the same name is another key.
    const StoreKey again = Create(HKEY_CURRENT_USER, "a\\b");
    EXPECT_EQ(store.EnumKey(key, 0, name), kKeyDeleted);
    EXPECT_EQ(store.CloseKey(key), kSuccess);

    // An empty path deletes the key of the handle itself.
    EXPECT_EQ(store.DeleteKey(again, ""), kSuccess);
    EXPECT_EQ(store.OpenKey(HKEY_CURRENT_USER, "a\\b", kKeyRead, result), kFileNotFound);
    EXPECT_EQ(store.QueryValue(again, "", nullptr, nullptr), kKeyDeleted);
    EXPECT_EQ(store.CloseKey(again), kSuccess);
}

TEST_F(MemoryStoreTest, CreatingBelowAHandleNeedsCreateAccess) {
    store.CloseKey(Create(HKEY_CURRENT_USER, "a\\b"));
    StoreKey readOnly = 0;
    ASSERT_EQ(store.OpenKey(HKEY_CURRENT_USER, "a", kKeyRead, readOnly), kSuccess);
    StoreKey result = 0;
    bool existed = false;
    EXPECT_EQ(store.CreateKey(readOnly, "c", kKeyRead, result, existed), kAccessDenied);
    EXPECT_EQ(store.CreateKey(readOnly, "b", kKeyRead, result, existed), kAccessDenied);
    EXPECT_EQ(store.OpenKey(readOnly, "b", kKeyRead, result), kSuccess);
    store.CloseKey(result);
    store.CloseKey(readOnly);
}

TEST_F(MemoryStoreTest, UnreadableKeysCannotBeOpenedCreatedOrDeleted) {
    store.CloseKey(Create(HKEY_CURRENT_USER, "a\\locked\\child"));
    store.CloseKey(Create(HKEY_CURRENT_USER, "a\\empty"));
    const StoreKey before = Create(HKEY_CURRENT_USER, "a\\locked");
    ASSERT_TRUE(store.SetUnreadable(HKEY_CURRENT_USER, "A\\LOCKED", true));
    ASSERT_TRUE(store.SetUnreadable(HKEY_CURRENT_USER, "a\\empty", true));
    EXPECT_FALSE(store.SetUnreadable(HKEY_CURRENT_USER, "a\\missing", true));

    StoreKey result = 0;
    bool existed = false;
    EXPECT_EQ(store.OpenKey(HKEY_CURRENT_USER, "a\\locked", 0, result), kAccessDenied);
    EXPECT_EQ(store.CreateKey(HKEY_CURRENT_USER, "a\\locked", kKeyRead, result, existed),
              kAccessDenied);
    EXPECT_EQ(store.CreateKey(HKEY_CURRENT_USER, "a\\locked\\new", kKeyRead, result, existed),
              kAccessDenied);
    EXPECT_EQ(store.DeleteKey(HKEY_CURRENT_USER, "a\\empty"), kAccessDenied);
    // It still enumerates, keys below it can be reached, and older handles work.
    const StoreKey a = Create(HKEY_CURRENT_USER, "a");
    std::string name;
    EXPECT_EQ(store.EnumKey(a, 1, name), kSuccess);
    EXPECT_EQ(name, "locked");
    EXPECT_EQ(store.OpenKey(HKEY_CURRENT_USER, "a\\locked\\child", kKeyRead, result), kSuccess);
    store.CloseKey(result);
    EXPECT_EQ(store.EnumKey(before, 0, name), kSuccess);

    ASSERT_TRUE(store.SetUnreadable(HKEY_CURRENT_USER, "a\\empty", false));
    EXPECT_EQ(store.DeleteKey(a, "empty"), kSuccess);
    store.CloseKey(a);
    store.CloseKey(before);
}

TEST_F(MemoryStoreTest, EnumerationStartsAfreshAfterOtherHandlesChangedTheKey) {
    const StoreKey reader = Create(HKEY_CURRENT_USER, "list");
    store.CloseKey(Create(reader, "b"));
    std::string name;
    ASSERT_EQ(store.EnumKey(reader, 0, name), kSuccess);
    store.CloseKey(Create(HKEY_CURRENT_USER, "list\\a"));
    // The snapshot holds until the enumeration starts over.
    EXPECT_EQ(store.EnumKey(reader, 1, name), kNoMoreItems);
    ASSERT_EQ(store.EnumKey(reader, 0, name), kSuccess);
    EXPECT_EQ(name, "a");
    EXPECT_EQ(store.EnumKey(reader, 1, name), kSuccess);
    EXPECT_EQ(name, "b");
    store.CloseKey(reader);
}

TEST_F(MemoryStoreTest, SameContentsComparesNamesOrderTypesAndBytes) {
    MemoryStore other;
    const StoreKey x = Create(store, HKEY_CLASSES_ROOT, "x");
    ASSERT_EQ(Set(store, x, "one", RegSz, std::string_view("1\0", 2)), kSuccess);
    ASSERT_EQ(Set(store, x, "two", RegBinary, ""), kSuccess);
    store.CloseKey(Create(store, HKEY_CURRENT_USER, "b"));
    store.CloseKey(Create(store, HKEY_CURRENT_USER, "a"));
    // The same contents, made in another order and through another root.
    other.CloseKey(Create(other, HKEY_CURRENT_USER, "a"));
    other.CloseKey(Create(other, HKEY_CURRENT_USER, "b"));
    const StoreKey y = Create(other, HKEY_LOCAL_MACHINE, "Software\\Classes\\x");
    ASSERT_EQ(Set(other, y, "one", RegSz, std::string_view("1\0", 2)), kSuccess);
    ASSERT_EQ(Set(other, y, "two", RegBinary, ""), kSuccess);
    EXPECT_TRUE(store.SameContents(other));
    EXPECT_EQ(store.Dump(), other.Dump());
    EXPECT_EQ(store.Dump(HKEY_CLASSES_ROOT, "X"),
              "[HKEY_CLASSES_ROOT\\x]\n"
              "  \"one\" 1: 31 00\n"
              "  \"two\" 3:\n");

    ASSERT_EQ(Set(other, y, "two", RegNone, ""), kSuccess);
    EXPECT_FALSE(store.SameContents(other));
    ASSERT_EQ(Set(other, y, "two", RegBinary, std::string_view("\0", 1)), kSuccess);
    EXPECT_FALSE(store.SameContents(other));
    ASSERT_EQ(Set(other, y, "two", RegBinary, ""), kSuccess);
    EXPECT_TRUE(store.SameContents(other));

    // Value order and the case of names count.
    ASSERT_EQ(other.DeleteValue(y, "one"), kSuccess);
    ASSERT_EQ(Set(other, y, "one", RegSz, std::string_view("1\0", 2)), kSuccess);
    EXPECT_FALSE(store.SameContents(other));
    ASSERT_EQ(store.DeleteValue(x, "one"), kSuccess);
    ASSERT_EQ(Set(store, x, "ONE", RegSz, std::string_view("1\0", 2)), kSuccess);
    EXPECT_FALSE(store.SameContents(other));
    EXPECT_NE(store.Dump(), other.Dump());
    EXPECT_EQ(store.Dump(HKEY_CLASSES_ROOT, "missing"), "");
    store.CloseKey(x);
    other.CloseKey(y);
}

TEST_F(MemoryStoreTest, DumpEscapesNamesOutsidePrintableAscii) {
    const StoreKey key = Create(HKEY_CURRENT_USER, "k\x01y");
    ASSERT_EQ(Set(store, key, "q\"b\\\xe9", RegDword, "\x01\x02\x03\x04"), kSuccess);
    EXPECT_EQ(store.Dump(HKEY_CURRENT_USER, "K\x01Y"),
              "[HKEY_CURRENT_USER\\k\\x01y]\n"
              "  \"q\\\"b\\\\\\xE9\" 4: 01 02 03 04\n");
    store.CloseKey(key);
}

}  // namespace
