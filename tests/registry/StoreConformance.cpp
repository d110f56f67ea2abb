#include "StoreConformance.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <memory>
#include <regex>
#include <utility>
#include <vector>

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "RootKeys.h"
#include "StoreHelpers.h"

using namespace zanver;
using namespace zanver::err;
using namespace zanver::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The subkeys as a new handle on the key sees them.
Names SubKeysOf(RegistryStore& store, StoreKey parent, const std::string& path) {
    Key key(store);
    EXPECT_EQ(Open(store, parent, path, key), kSuccess) << path;
    return SubKeys(store, key);
}

std::vector<std::uint32_t> Counts(RegistryStore& store, StoreKey key) {
    KeyInfo info;
    EXPECT_EQ(store.QueryInfoKey(key, info), kSuccess);
    return {info.subKeys, info.maxSubKeyLen, info.values, info.maxValueNameLen, info.maxValueLen};
}

}  // namespace

void StoreConformanceTest::SetUp() {
    store = GetParam().make();
    ASSERT_TRUE(store);
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(test.begin(), test.end(), '/', '.');
    base = "Software\\ZanverConformance\\" + test;
    classesName = "ZanverConformance." + test;
    // Leftovers of an earlier run that did not finish.
    DeleteTree(HKEY_CURRENT_USER, base);
    DeleteTree(HKEY_CLASSES_ROOT, classesName);
}

void StoreConformanceTest::TearDown() {
    if (store) {
        DeleteTree(HKEY_CURRENT_USER, base);
        DeleteTree(HKEY_CLASSES_ROOT, classesName);
        // Refused while other tests' keys are still there.
        store->DeleteKey(HKEY_CURRENT_USER, "Software\\ZanverConformance");
    }
    store.reset();
}

void StoreConformanceTest::DeleteTree(StoreKey root, const std::string& key) {
    ScopedActiveStore active(*store);
    EXPECT_TRUE(DeleteKeyTree(root, key)) << key;
}

TEST_P(StoreConformanceTest, NamesKeepTheirCaseAndAreFoundWithoutIt) {
    Key key(*store), upper(*store), lower(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\MixedCase", key), kSuccess);
    ASSERT_EQ(Set(*store, key, "ValueName", RegBinary, "abc"), kSuccess);
    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\MIXEDCASE", upper), kSuccess);
    EXPECT_EQ(ReadData(*store, upper, "VALUENAME"), "abc");
    // Writing under another spelling overwrites the value and keeps its name.
    EXPECT_EQ(Set(*store, upper, "valuename", RegBinary, "xyz"), kSuccess);
    EXPECT_EQ(ValueNames(*store, upper), Names{"ValueName"});
    EXPECT_EQ(ReadData(*store, key, "ValueName"), "xyz");

    bool existed = false;
    EXPECT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\mixedcase", lower, &existed), kSuccess);
    EXPECT_TRUE(existed);
    EXPECT_EQ(SubKeysOf(*store, HKEY_CURRENT_USER, base), Names{"MixedCase"});
}

TEST_P(StoreConformanceTest, SubkeysEnumerateInCaseInsensitiveOrder) {
    Key key(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base, key), kSuccess);
    MakeKeys(*store, key,
             {"b", "A10", "a2", "C", ".dot", "0zero", "a1", "B.x", "9", "ab", "Zed", "_under",
              "alpha", "Mid"});
    Names expected{".dot",  "0zero", "9",   "a1", "A10", "a2", "ab",
                   "alpha", "b",     "B.x", "C",  "Mid", "Zed"};
    // "_" lies between "Z" and "a": before the letters where names fold to lower case.
    expected.insert(GetParam().foldsToLower ? expected.begin() + 3 : expected.end(), "_under");
    EXPECT_EQ(SubKeysOf(*store, HKEY_CURRENT_USER, base), expected);
}

TEST_P(StoreConformanceTest, ValuesKeepTheOrderOfTheirFirstWrite) {
    Key key(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base, key), kSuccess);
    for (const auto& [name, data] :
         {std::pair{"zeta", "1"}, {"alpha", "2"}, {"Mid", "3"}, {"zeta", "4"}, {"beta", "5"}})
        ASSERT_EQ(Set(*store, key, name, RegBinary, data), kSuccess);
    ASSERT_EQ(store->DeleteValue(key, "alpha"), kSuccess);
    ASSERT_EQ(Set(*store, key, "alpha", RegBinary, "6"), kSuccess);
    ASSERT_EQ(Set(*store, key, "", RegSz, std::string_view("d\0", 2)), kSuccess);

    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base, key), kSuccess);
    const Names expected = GetParam().sortsValues ? Names{"", "alpha", "beta", "Mid", "zeta"}
                                                  : Names{"zeta", "Mid", "beta", "alpha", ""};
    EXPECT_EQ(ValueNames(*store, key), expected);
    EXPECT_EQ(ReadData(*store, key, "zeta"), "4");
}

TEST_P(StoreConformanceTest, ClassesRootIsMachineSoftwareClasses) {
    auto listed = [&] {
        const Names names = SubKeys(*store, HKEY_CLASSES_ROOT);
        return std::find(names.begin(), names.end(), classesName) != names.end();
    };
    const std::string machinePath = "Software\\Classes\\" + classesName;
    EXPECT_FALSE(listed());
    Key viaRoot(*store), viaMachine(*store);
    ASSERT_EQ(Create(*store, HKEY_CLASSES_ROOT, classesName + "\\Sub", viaRoot), kSuccess);
    EXPECT_TRUE(listed());
    ASSERT_EQ(Set(*store, viaRoot, "FromRoot", RegBinary, "r"), kSuccess);
    ASSERT_EQ(Open(*store, HKEY_LOCAL_MACHINE, machinePath + "\\sub", viaMachine), kSuccess);
    EXPECT_EQ(ReadData(*store, viaMachine, "FromRoot"), "r");
    ASSERT_EQ(Set(*store, viaMachine, "FromMachine", RegBinary, "m"), kSuccess);
    EXPECT_EQ(ReadData(*store, viaRoot, "FromMachine"), "m");
    ASSERT_EQ(store->DeleteKey(HKEY_LOCAL_MACHINE, machinePath + "\\Sub"), kSuccess);
    ASSERT_EQ(store->DeleteKey(HKEY_LOCAL_MACHINE, machinePath), kSuccess);
    EXPECT_FALSE(listed());
    EXPECT_EQ(Open(*store, HKEY_CLASSES_ROOT, classesName, viaRoot), kFileNotFound);
}

TEST_P(StoreConformanceTest, CreateKeyMakesMissingParentsAndTellsWhetherItExisted) {
    bool existed = true;
    Key key(*store), parent(*store), a(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\a\\b\\c", key, &existed), kSuccess);
    EXPECT_FALSE(existed);
    EXPECT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\a\\b", parent), kSuccess);
    EXPECT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\a\\b\\c", key, &existed), kSuccess);
    EXPECT_TRUE(existed);

    // Relative to an open key.
    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\a", a), kSuccess);
    EXPECT_EQ(Create(*store, a, "b\\new\\deeper", key, &existed), kSuccess);
    EXPECT_FALSE(existed);
    EXPECT_EQ(Create(*store, a, "B\\NEW", key, &existed), kSuccess);
    EXPECT_TRUE(existed);
    EXPECT_EQ(SubKeys(*store, key), Names{"deeper"});
    EXPECT_EQ(SubKeys(*store, parent), (Names{"c", "new"}));
}

TEST_P(StoreConformanceTest, MissingItemsAreReportedAndKeysWithSubkeysKept) {
    Key leaf(*store), missing(*store), p(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\p\\c", leaf), kSuccess);
    EXPECT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\Missing", missing), kFileNotFound);
    EXPECT_EQ(Open(*store, leaf, "Missing\\Deeper", missing), kFileNotFound);
    EXPECT_EQ(store->QueryValue(leaf, "Missing", nullptr, nullptr), kFileNotFound);
    EXPECT_EQ(store->QueryValue(leaf, "", nullptr, nullptr), kFileNotFound);
    EXPECT_EQ(store->DeleteValue(leaf, "Missing"), kFileNotFound);
    std::string name;
    EXPECT_EQ(store->EnumKey(leaf, 0, name), kNoMoreItems);
    EXPECT_EQ(store->EnumValue(leaf, 0, name, nullptr, nullptr), kNoMoreItems);
    leaf.Close();

    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\p", p), kSuccess);  // one subkey, one value
    ASSERT_EQ(Set(*store, p, "v", RegBinary, "1"), kSuccess);
    EXPECT_EQ(store->EnumKey(p, 1000, name), kNoMoreItems);
    EXPECT_EQ(store->EnumValue(p, 1000, name, nullptr, nullptr), kNoMoreItems);
    EXPECT_EQ(store->DeleteKey(HKEY_CURRENT_USER, base + "\\p"), kAccessDenied);
    EXPECT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\p\\c", leaf), kSuccess);
    leaf.Close();
    EXPECT_EQ(store->DeleteKey(p, "C"), kSuccess);
    EXPECT_EQ(store->DeleteKey(p, "c"), kFileNotFound);
    p.Close();
    EXPECT_EQ(store->DeleteKey(HKEY_CURRENT_USER, base + "\\p"), kSuccess);
    EXPECT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\p", p), kFileNotFound);
    EXPECT_EQ(store->DeleteKey(HKEY_CURRENT_USER, base + "\\p"), kFileNotFound);
    EXPECT_EQ(store->DeleteKey(HKEY_CURRENT_USER, base + "\\missing\\deeper"), kFileNotFound);
}

TEST_P(StoreConformanceTest, HandlesOfDeletedKeysClosedHandlesAndUnknownRootsFail) {
    Key doomed(*store), again(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\Doomed", doomed), kSuccess);
    ASSERT_EQ(store->DeleteKey(HKEY_CURRENT_USER, base + "\\Doomed"), kSuccess);
    std::string name;
    EXPECT_EQ(Set(*store, doomed, "v", RegBinary, "1"), kKeyDeleted);
    EXPECT_EQ(store->QueryValue(doomed, "", nullptr, nullptr), kKeyDeleted);
    EXPECT_EQ(Create(*store, doomed, "c", again), kKeyDeleted);
    // A key made again under the same name is another key; an empty path
    // deletes the key of the handle itself.
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\Doomed", again), kSuccess);
    EXPECT_EQ(store->EnumKey(doomed, 0, name), kKeyDeleted);
    EXPECT_EQ(store->DeleteKey(again, ""), kSuccess);
    EXPECT_EQ(Set(*store, again, "v", RegBinary, "1"), kKeyDeleted);
    EXPECT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\Doomed", doomed), kFileNotFound);

    // The number of an unknown root is never that of an open handle.
    std::vector<std::unique_ptr<Key>> open;
    for (int i = 0; i < 8; ++i) {
        open.push_back(std::make_unique<Key>(*store));
        ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base, *open.back()), kSuccess);
    }
    const StoreKey closed = *open.back();
    open.back()->Close();
    for (const StoreKey bad : {closed, StoreKey{0}, kUnknownRoot, StoreKey{12345}}) {
        EXPECT_EQ(store->EnumKey(bad, 0, name), kInvalidHandle) << bad;
        EXPECT_EQ(Open(*store, bad, "", again), kInvalidHandle) << bad;
        EXPECT_EQ(store->CloseKey(bad), kInvalidHandle) << bad;
    }
    // Closing a root is accepted and leaves it usable; the roots and the key
    // behind HKEY_CLASSES_ROOT cannot be deleted.
    EXPECT_EQ(store->CloseKey(HKEY_CURRENT_USER), kSuccess);
    EXPECT_EQ(store->EnumKey(HKEY_CURRENT_USER, 0, name), kSuccess);
    EXPECT_EQ(store->DeleteKey(HKEY_CURRENT_USER, ""), kAccessDenied);
    EXPECT_EQ(store->DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Classes"), kAccessDenied);
}

TEST_P(StoreConformanceTest, QueryInfoKeyCountsAndNamesUpToTheLimitsAreAccepted) {
    Key key(*store), child(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base, key), kSuccess);
    EXPECT_EQ(Counts(*store, key), std::vector<std::uint32_t>(5, 0));

    const std::string longest(kMaxKeyNameLength, 'k');
    MakeKeys(*store, key, {"a", longest, "abc"});
    EXPECT_EQ(Create(*store, key, longest + "k", child), kInvalidParameter);
    EXPECT_EQ(Create(*store, key, longest + "k\\below", child), kInvalidParameter);
    EXPECT_EQ(SubKeys(*store, key), (Names{"a", "abc", longest}));

    // The longest name and the longest data belong to different values.
    const std::string longestValue(kMaxValueNameLength, 'v');
    ASSERT_EQ(Set(*store, key, "", RegBinary, "0123456789"), kSuccess);
    EXPECT_EQ(Set(*store, key, longestValue, RegBinary, "123"), kSuccess);
    ASSERT_EQ(Set(*store, key, "x", RegBinary, ""), kSuccess);
    EXPECT_EQ(Set(*store, key, longestValue + "v", RegBinary, "x"), kInvalidParameter);
    // Names are zero-terminated strings: a zero byte inside one is refused.
    const std::string zero("a\0b", 3);
    EXPECT_EQ(Set(*store, key, zero, RegBinary, "x"), kInvalidParameter);
    EXPECT_EQ(Create(*store, key, zero, child), kInvalidParameter);
    EXPECT_EQ(ValueNames(*store, key), (Names{"", longestValue, "x"}));
    EXPECT_EQ(ReadData(*store, key, longestValue), "123");
    EXPECT_EQ(Counts(*store, key),
              (std::vector<std::uint32_t>{3, kMaxKeyNameLength, 3, kMaxValueNameLength, 10}));
}

TEST_P(StoreConformanceTest, KeysUpToTheDepthLimitAreAcceptedDeeperOnesRefused) {
    // base lies three levels below HKEY_CURRENT_USER.
    const std::string path = Deepen(base, 3, kMaxKeyDepth);
    Key deepest(*store), tooDeep(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, path, deepest), kSuccess);
    EXPECT_EQ(Create(*store, HKEY_CURRENT_USER, path + "\\d", tooDeep), kInvalidParameter);
    EXPECT_EQ(Create(*store, deepest, "e", tooDeep), kInvalidParameter);
    EXPECT_EQ(SubKeys(*store, deepest), Names{});

    // Below HKEY_CLASSES_ROOT classesName counts as level 3, the depth of
    // HKEY_LOCAL_MACHINE\Software\Classes\<classesName>.
    const std::string classesPath = Deepen(classesName, 3, kMaxKeyDepth);
    EXPECT_EQ(Create(*store, HKEY_CLASSES_ROOT, classesPath, deepest), kSuccess);
    EXPECT_EQ(Create(*store, HKEY_CLASSES_ROOT, classesPath + "\\d", tooDeep), kInvalidParameter);
}

TEST_P(StoreConformanceTest, DeletingTheFirstSubkeyUntilNoneIsLeftSeesEachOnce) {
    Key list(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\list", list), kSuccess);
    Names expected;
    for (int i = 0; i < 40; ++i) {
        expected.push_back((i < 10 ? "Key0" : "Key") + std::to_string(i));
        MakeKeys(*store, list, {expected.back()});
    }
    // One subkey with a subkey of its own cannot be deleted and is stepped over.
    MakeKeys(*store, list, {"Key05\\inner"});
    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\list", list), kSuccess);
    Names seen;
    std::string name;
    std::uint32_t index = 0;
    long rc = kSuccess;
    while (seen.size() < 100 && (rc = store->EnumKey(list, index, name)) == kSuccess) {
        seen.push_back(name);
        if (store->DeleteKey(list, name) != kSuccess)
            ++index;
    }
    EXPECT_EQ(rc, kNoMoreItems);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(SubKeys(*store, list), Names{"Key05"});
}

TEST_P(StoreConformanceTest, ChangesThroughTheHandleShowInItsEnumeration) {
    Key key(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base, key), kSuccess);
    MakeKeys(*store, key, {"b", "d"});
    std::string name;
    ASSERT_EQ(store->EnumKey(key, 0, name), kSuccess);
    EXPECT_EQ(name, "b");
    MakeKeys(*store, key, {"c", "e"});
    Names rest;
    for (std::uint32_t index = 1; store->EnumKey(key, index, name) == kSuccess; ++index)
        rest.push_back(name);
    EXPECT_EQ(rest, (Names{"c", "d", "e"}));

    // The name of the value at index, or the code.
    const auto valueAt = [&](std::uint32_t index) {
        const long rc = store->EnumValue(key, index, name, nullptr, nullptr);
        return rc == kSuccess ? name : std::to_string(rc);
    };
    ASSERT_EQ(Set(*store, key, "v1", RegBinary, "1"), kSuccess);
    EXPECT_EQ(valueAt(0), "v1");
    ASSERT_EQ(Set(*store, key, "v2", RegBinary, "2"), kSuccess);
    EXPECT_EQ(valueAt(1), "v2");
    ASSERT_EQ(store->DeleteValue(key, "v1"), kSuccess);
    EXPECT_EQ(valueAt(0), "v2");
    EXPECT_EQ(valueAt(1), std::to_string(kNoMoreItems));
}

TEST_P(StoreConformanceTest, EnumerationSurvivesChangesThroughAnotherHandle) {
    Key writer(*store), reader(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\list", writer), kSuccess);
    const auto make = [&](char prefix, int count) {
        for (int i = 0; i < count; ++i)
            MakeKeys(*store, writer, {prefix + std::to_string(i)});
    };
    make('k', 10);
    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\list", reader, kKeyRead), kSuccess);
    std::string name;
    ASSERT_EQ(store->EnumKey(reader, 0, name), kSuccess);

    make('m', 20);
    ASSERT_EQ(store->DeleteKey(writer, "k3"), kSuccess);
    ASSERT_EQ(store->DeleteKey(writer, "k4"), kSuccess);
    long rc = kSuccess;
    for (std::uint32_t index = 1;
         index < 100 && (rc = store->EnumKey(reader, index, name)) == kSuccess; ++index)
        EXPECT_TRUE(std::regex_match(name, std::regex("k[0-9]|m1?[0-9]"))) << name;  // one made
    EXPECT_EQ(rc, kNoMoreItems);
}

// The values are written in the order of their names, in which Wine lists them.
TEST_P(StoreConformanceTest, ValuesKeepTheirTypeAndExactBytes) {
    const std::map<std::string, std::pair<std::uint32_t, std::string>> values = {
        {"", {RegSz, std::string("text\0", 5)}},
        {"Binary", {RegBinary, std::string("\0\1\0\xff", 4)}},
        {"Dword", {RegDword, "\x78\x56\x34\x12"}},
        {"Empty", {RegBinary, ""}},
        {"Multi", {RegMultiSz, std::string("a\0bc\0\0", 6)}},
        {"None", {RegNone, ""}},
        {"OwnType", {0x12345u, std::string("\1\0\2", 3)}},
    };
    Key key(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base, key), kSuccess);
    for (const auto& [name, value] : values)
        ASSERT_EQ(Set(*store, key, name, value.first, value.second), kSuccess) << name;
    for (const auto& [name, value] : values) {
        std::uint32_t type = 0;
        Bytes data{42};
        EXPECT_EQ(store->QueryValue(key, name, &type, &data), kSuccess) << name;
        EXPECT_EQ(std::pair(type, std::string(data.begin(), data.end())), value) << name;
        type = 0;
        EXPECT_EQ(store->QueryValue(key, name, &type, nullptr), kSuccess) << name;
        EXPECT_EQ(type, value.first) << name;
    }
    // Enumeration gives the same.
    EXPECT_EQ(Tree(*store, HKEY_CURRENT_USER, base),
              "\"\" 1: 116 101 120 116 0\n\"Binary\" 3: 0 1 0 255\n\"Dword\" 4: 120 86 52 18\n"
              "\"Empty\" 3:\n\"Multi\" 7: 97 0 98 99 0 0\n\"None\" 0:\n\"OwnType\" 74565: 1 0 2\n");
}

TEST_P(StoreConformanceTest, HandlesAllowOnlyTheAccessTheyWereOpenedWith) {
    Key key(*store), query(*store), setOnly(*store), enumOnly(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\k\\s", key), kSuccess);
    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\k", key), kSuccess);
    ASSERT_EQ(Set(*store, key, "v", RegBinary, "1"), kSuccess);

    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\k", query, kKeyQueryValue), kSuccess);
    EXPECT_EQ(Set(*store, query, "w", RegBinary, "2"), kAccessDenied);
    EXPECT_EQ(store->DeleteValue(query, "v"), kAccessDenied);
    EXPECT_EQ(store->QueryValue(query, "v", nullptr, nullptr), kSuccess);
    std::string name;
    EXPECT_EQ(store->EnumKey(query, 0, name), kAccessDenied);

    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\k", setOnly, kKeySetValue), kSuccess);
    EXPECT_EQ(store->QueryValue(setOnly, "v", nullptr, nullptr), kAccessDenied);
    EXPECT_EQ(store->EnumValue(setOnly, 0, name, nullptr, nullptr), kAccessDenied);
    KeyInfo info;
    EXPECT_EQ(store->QueryInfoKey(setOnly, info), kAccessDenied);
    EXPECT_EQ(Set(*store, setOnly, "w", RegBinary, "2"), kSuccess);

    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base + "\\k", enumOnly, kKeyEnumerateSubKeys),
              kSuccess);
    EXPECT_EQ(SubKeys(*store, enumOnly), Names{"s"});
    EXPECT_EQ(ValueNames(*store, key), (Names{"v", "w"}));
}

TEST_P(StoreConformanceTest, ReadScopesNestAndLetWritesThrough) {
    const auto second = GetParam().openAgain ? GetParam().openAgain(*store) : nullptr;
    RegistryStore& other = second ? *second : *store;
    Key key(*store), otherKey(other), fresh(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base, key), kSuccess);
    ASSERT_EQ(Open(other, HKEY_CURRENT_USER, base, otherKey), kSuccess);
    ASSERT_EQ(Set(other, otherKey, "before", RegBinary, "b"), kSuccess);

    ASSERT_EQ(store->BeginRead(), kSuccess);
    EXPECT_EQ(ReadData(*store, key, "before"), "b");
    ASSERT_EQ(store->BeginRead(), kSuccess);
    EXPECT_EQ(ValueNames(*store, key), Names{"before"});
    // The other connection writes after this one's reads began; neither that
    // nor the open scope may make this connection's writes fail or wait.
    ASSERT_EQ(Set(other, otherKey, "meanwhile", RegBinary, "m"), kSuccess);
    ASSERT_EQ(Set(*store, key, "inside", RegBinary, "i"), kSuccess);
    EXPECT_EQ(ReadData(other, otherKey, "inside"), "i");  // at once, not at the scope's end
    MakeKeys(*store, key, {"child"});
    EXPECT_EQ(SubKeys(*store, key), Names{"child"});
    // A handle of its own, so that the names come from the store, not from
    // a snapshot the first handle took before the other connection wrote.
    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base, fresh), kSuccess);
    Names names = ValueNames(*store, fresh);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"before", "inside", "meanwhile"}));
    EXPECT_EQ(store->EndRead(), kSuccess);
    EXPECT_EQ(ReadData(*store, key, "inside"), "i");
    EXPECT_EQ(store->EndRead(), kSuccess);

    // A scope of reads alone leaves no read state behind.
    ASSERT_EQ(store->BeginRead(), kSuccess);
    EXPECT_EQ(ReadData(*store, key, "after"), "(none)");
    EXPECT_EQ(store->EndRead(), kSuccess);
    ASSERT_EQ(Set(other, otherKey, "after", RegBinary, "a"), kSuccess);
    EXPECT_EQ(ReadData(*store, key, "after"), "a");

    // Inside a transaction a read scope changes nothing.
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    ASSERT_EQ(store->BeginRead(), kSuccess);
    ASSERT_EQ(Set(*store, key, "tx", RegBinary, "t"), kSuccess);
    EXPECT_EQ(store->EndRead(), kSuccess);
    ASSERT_EQ(store->EndTransaction(true), kSuccess);
    EXPECT_EQ(ReadData(other, otherKey, "tx"), "t");
}

TEST_P(StoreConformanceTest, MoveKeyCarriesItsSubtreeAndRefusesWithoutChanges) {
    const auto second = GetParam().openAgain ? GetParam().openAgain(*store) : nullptr;
    RegistryStore& other = second ? *second : *store;
    Key src(*store), grand(*store), level(*store), top(*store), otherGrand(other);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\src", src), kSuccess);
    ASSERT_EQ(Set(*store, src, "", RegSz, std::string_view("text\0", 5)), kSuccess);
    ASSERT_EQ(Set(*store, src, "bin", RegBinary, std::string_view("\0\xff\x80", 3)), kSuccess);
    ASSERT_EQ(Create(*store, src, "Child\\Grand", grand), kSuccess);
    const std::string deepData("%x%\0", 4);
    ASSERT_EQ(Set(*store, grand, "deep", RegExpandSz, deepData), kSuccess);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\dest\\level", level), kSuccess);
    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, base, top), kSuccess);
    EXPECT_EQ(SubKeys(*store, top), (Names{"dest", "src"}));
    ASSERT_EQ(Open(other, HKEY_CURRENT_USER, base + "\\src\\Child\\Grand", otherGrand), kSuccess);
    const std::string before = Tree(*store, HKEY_CURRENT_USER, base + "\\src");

    // The source's parent is given by a handle, the destination by a path
    // one level deeper below a root.
    const std::string moved = base + "\\dest\\level\\Moved";
    const long rc = store->MoveKey(top, "SRC", HKEY_CURRENT_USER, moved);
    if (rc == kCallNotImplemented)
        GTEST_SKIP() << "the store has no move of its own";
    ASSERT_EQ(rc, kSuccess);
    EXPECT_EQ(Tree(*store, HKEY_CURRENT_USER, moved), before);
    EXPECT_EQ(Tree(other, HKEY_CURRENT_USER, moved), before);
    EXPECT_EQ(Tree(other, HKEY_CURRENT_USER, base + "\\src"), "(missing)");
    EXPECT_EQ(SubKeys(*store, top), Names{"dest"});
    EXPECT_EQ(SubKeys(*store, level), Names{"Moved"});
    // Handles on moved keys stay valid and see the moved keys.
    EXPECT_EQ(ReadData(*store, grand, "deep"), deepData);
    EXPECT_EQ(ReadData(other, otherGrand, "deep"), deepData);
    ASSERT_EQ(Set(*store, src, "later", RegBinary, "l"), kSuccess);
    Key inner(*store), movedKey(*store), taken(*store), deep(*store);
    ASSERT_EQ(Create(*store, grand, "Inner", inner), kSuccess);
    ASSERT_EQ(Open(*store, HKEY_CURRENT_USER, moved + "\\Child\\Grand\\Inner", movedKey), kSuccess);
    EXPECT_EQ(ReadData(other, otherGrand, "deep"), deepData);

    // Refusals leave everything as it was.
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base + "\\Taken", taken), kSuccess);
    // Three levels lie below Moved.
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, Deepen(base, 3, kMaxKeyDepth - 2), deep), kSuccess);
    const std::string all = Tree(*store, HKEY_CURRENT_USER, base);
    EXPECT_EQ(store->MoveKey(HKEY_CURRENT_USER, moved, top, "taken"), kAlreadyExists);
    EXPECT_EQ(store->MoveKey(HKEY_CURRENT_USER, moved, level, "Moved\\Child\\In"),
              kInvalidParameter);
    EXPECT_EQ(store->MoveKey(HKEY_CURRENT_USER, moved, level, "Moved\\x"), kInvalidParameter);
    EXPECT_EQ(store->MoveKey(HKEY_CURRENT_USER, moved, top, "nowhere\\x"), kFileNotFound);
    EXPECT_EQ(store->MoveKey(top, "missing", top, "x"), kFileNotFound);
    EXPECT_EQ(store->MoveKey(HKEY_CURRENT_USER, moved, deep, "x"), kInvalidParameter);
    EXPECT_EQ(store->MoveKey(HKEY_CURRENT_USER, moved, top, ""), kInvalidParameter);
    EXPECT_EQ(store->MoveKey(HKEY_LOCAL_MACHINE, "Software", top, "x"), kAccessDenied);
    EXPECT_EQ(store->MoveKey(HKEY_LOCAL_MACHINE, "Software\\Classes", top, "x"), kAccessDenied);
    EXPECT_EQ(Tree(*store, HKEY_CURRENT_USER, base), all);
    EXPECT_EQ(Tree(other, HKEY_CURRENT_USER, base), all);

    // One level less fits; a new name differing only in case renames.
    EXPECT_EQ(store->MoveKey(level, "moved\\Child\\Grand", deep, "g"), kSuccess);
    EXPECT_EQ(store->MoveKey(level, "moved", level, "MOVED"), kSuccess);
    EXPECT_EQ(SubKeys(*store, level), Names{"MOVED"});
    EXPECT_EQ(Create(*store, inner, "tooDeep", movedKey), kInvalidParameter);
}

TEST_P(StoreConformanceTest, RolledBackTransactionsLeaveEverythingAsItWas) {
    EXPECT_EQ(store->CanRollBack(), GetParam().rollsBack);
    if (!GetParam().rollsBack)
        GTEST_SKIP() << "the store has no transactions";
    Key top(*store);
    ASSERT_EQ(Create(*store, HKEY_CURRENT_USER, base, top), kSuccess);
    for (const char* name : {"first", "middle", "last"})
        ASSERT_EQ(Set(*store, top, name, RegBinary, name), kSuccess);
    MakeKeys(*store, top, {"gone\\leaf", "moved\\inner", "stays"});
    const std::string before = Tree(*store, HKEY_CURRENT_USER, base);

    // Every kind of change, made inside a transaction that is rolled back:
    // asked for, or because an inner part rolled back.
    for (const bool innerFails : {false, true}) {
        ASSERT_EQ(store->BeginTransaction(), kSuccess);
        ASSERT_EQ(store->BeginTransaction(), kSuccess);
        MakeKeys(*store, top, {"new\\deeper"});
        EXPECT_EQ(SubKeys(*store, top), (Names{"gone", "moved", "new", "stays"}));
        ASSERT_EQ(Set(*store, top, "middle", RegSz, "changed"), kSuccess);
        ASSERT_EQ(Set(*store, top, "added", RegBinary, "a"), kSuccess);
        ASSERT_EQ(store->DeleteValue(top, "middle"), kSuccess);
        ASSERT_EQ(store->DeleteValue(top, "first"), kSuccess);
        ASSERT_EQ(store->DeleteKey(top, "gone\\leaf"), kSuccess);
        ASSERT_EQ(store->DeleteKey(top, "gone"), kSuccess);
        const long moved = store->MoveKey(top, "moved", top, "stays\\Moved");
        EXPECT_TRUE(moved == kSuccess || moved == kCallNotImplemented);
        store->EndTransaction(!innerFails);
        EXPECT_EQ(store->EndTransaction(innerFails), innerFails ? kCantWrite : kSuccess);
        EXPECT_EQ(Tree(*store, HKEY_CURRENT_USER, base), before) << innerFails;
        // The handle's enumeration from inside the transaction is not kept.
        EXPECT_EQ(SubKeys(*store, top), (Names{"gone", "moved", "stays"})) << innerFails;
    }
    // Handles keep working after a rollback; a committed change stays.
    ASSERT_EQ(store->BeginTransaction(), kSuccess);
    ASSERT_EQ(Set(*store, top, "kept", RegBinary, "k"), kSuccess);
    ASSERT_EQ(store->EndTransaction(true), kSuccess);
    EXPECT_EQ(ReadData(*store, top, "kept"), "k");
    EXPECT_EQ(ValueNames(*store, top), (Names{"first", "middle", "last", "kept"}));
}
