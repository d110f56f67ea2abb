#include "DataSetGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ActiveStore.h"
#include "FaultStore.h"
#include "MemoryStore.h"
#include "Registry.h"
#include "RegistryAccess.h"

#ifndef _WIN32
#include "SqliteStore.h"
#endif

namespace zanver::bench {
namespace {

constexpr double kSmall = 0.01;  // 100 extensions, 100 file types, 300 classes

DataSetOptions Small(std::uint64_t seed = 1) {
    DataSetOptions options;
    options.scale = kSmall;
    options.seed = seed;
    return options;
}

std::vector<std::string> SubKeys(RootKey root, const std::string& path) {
    TRegistry registry(root);
    std::vector<std::string> names;
    if (registry.OpenKey(path, false))
        registry.GetKeyNames(names);
    return names;
}

TEST(DataSetGenerator, WritesTheAssociationShapeBelowTheClassesRoot) {
    MemoryStore store;
    ScopedActiveStore active(store);
    DataSetCounts counts;
    ASSERT_EQ(GenerateDataSet(store, Small(), &counts), 0);
    EXPECT_EQ(counts.extensions, 100u);
    EXPECT_EQ(counts.fileTypes, 100u);
    EXPECT_EQ(counts.classes, 300u);
    EXPECT_EQ(counts.keys, 100u + 100u * 5 + 1 + 300u * 3);

    const std::vector<std::string> roots = SubKeys(HKEY_CLASSES_ROOT, "");
    ASSERT_EQ(roots.size(), 100u + 100u + 1);
    EXPECT_EQ(roots.front(), ".ext00001");
    EXPECT_EQ(ExtensionName(99), ".ext00100");

    // Every extension names a file type that exists and can be opened.
    for (std::size_t i = 0; i < counts.extensions; ++i) {
        const std::string fileType = ReadString(HKEY_CLASSES_ROOT, ExtensionName(i), "");
        ASSERT_FALSE(fileType.empty()) << ExtensionName(i);
        const std::string command =
            ReadExpandString(HKEY_CLASSES_ROOT, fileType + "\\shell\\open\\command", "");
        EXPECT_NE(command.find("\"%1\""), std::string::npos) << fileType;
        EXPECT_FALSE(ReadExpandString(HKEY_CLASSES_ROOT, fileType + "\\DefaultIcon", "").empty());
        EXPECT_FALSE(ReadString(HKEY_CLASSES_ROOT, fileType, "").empty());
    }

    const std::vector<std::string> classes = SubKeys(HKEY_CLASSES_ROOT, kClassesKey);
    ASSERT_EQ(classes.size(), counts.classes);
    for (const std::string& guid : classes) {
        ASSERT_EQ(guid.size(), 38u);
        EXPECT_EQ(guid.front(), '{');
        const std::string key = std::string(kClassesKey) + "\\" + guid;
        EXPECT_EQ(SubKeys(HKEY_CLASSES_ROOT, key),
                  (std::vector<std::string>{"InProcServer32", "ProgID"}));
        EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, key + "\\InProcServer32", "ThreadingModel"));
        // The ProgID names a file type, possibly with a version suffix.
        std::string progId = ReadString(HKEY_CLASSES_ROOT, key + "\\ProgID", "");
        if (progId.ends_with(".1"))
            progId.resize(progId.size() - 2);
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, progId + "\\shell")) << progId;
    }
}

TEST(DataSetGenerator, FullSizeHasTheAdvertisedKeysAndValues) {
    MemoryStore store;
    DataSetCounts counts;
    ASSERT_EQ(GenerateDataSet(store, DataSetOptions(), &counts), 0);
    EXPECT_EQ(counts.keys, 150001u);
    EXPECT_GT(counts.values, 240000u);
    EXPECT_LT(counts.values, 260000u);

    const DataSetCounts quarter = PlannedCounts(0.25);
    EXPECT_EQ(quarter.extensions, 2500u);
    EXPECT_EQ(quarter.fileTypes, 2500u);
    EXPECT_EQ(quarter.classes, 7500u);
    EXPECT_EQ(PlannedCounts(0.00001).classes, 1u);
}

TEST(DataSetGenerator, IsDeterministicForASeed) {
    MemoryStore first;
    MemoryStore second;
    MemoryStore other;
    ASSERT_EQ(GenerateDataSet(first, Small(7)), 0);
    ASSERT_EQ(GenerateDataSet(second, Small(7)), 0);
    ASSERT_EQ(GenerateDataSet(other, Small(8)), 0);
    EXPECT_TRUE(first.SameContents(second));
    EXPECT_FALSE(first.SameContents(other));
}

TEST(DataSetGenerator, FewerOptionalValuesKeepTheKeysAndTheValuesEveryItemHas) {
    DataSetCounts all;
    DataSetCounts third;
    DataSetCounts none;
    MemoryStore allStore;
    ASSERT_EQ(GenerateDataSet(allStore, Small(), &all), 0);
    DataSetOptions options = Small();
    options.optionalValues = 1.0 / 3;
    MemoryStore thirdStore;
    ASSERT_EQ(GenerateDataSet(thirdStore, options, &third), 0);
    options.optionalValues = 0;
    MemoryStore noneStore;
    ASSERT_EQ(GenerateDataSet(noneStore, options, &none), 0);

    EXPECT_EQ(third.keys, all.keys);
    EXPECT_EQ(none.keys, all.keys);
    // Without optional values: an extension has its default value, a file
    // type its description, "EditFlags", the command and the icon, a class
    // its name, the server with "ThreadingModel" and the ProgID.
    EXPECT_EQ(none.values, 100u * 1 + 100u * 4 + 300u * 4);
    EXPECT_GT(third.values, none.values);
    EXPECT_LT(third.values, all.values);

    // The same extensions and file types, pointing at each other alike.
    ScopedActiveStore active(thirdStore);
    EXPECT_EQ(SubKeys(HKEY_CLASSES_ROOT, kClassesKey).size(), 300u);
    std::vector<std::string> targets;
    for (std::size_t i = 0; i < 100; ++i)
        targets.push_back(ReadString(HKEY_CLASSES_ROOT, ExtensionName(i), ""));
    ScopedActiveStore allActive(allStore);
    for (std::size_t i = 0; i < 100; ++i)
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, ExtensionName(i), ""), targets[i]) << i;
}

TEST(DataSetGenerator, WritesBelowAnotherBaseKeyOnly) {
    MemoryStore store;
    ScopedActiveStore active(store);
    const std::string base = "Software\\Bench\\Classes";
    DataSetCounts counts;
    DataSetOptions options = Small();
    options.root = HKEY_CURRENT_USER;
    options.basePath = base;
    ASSERT_EQ(GenerateDataSet(store, options, &counts), 0);
    EXPECT_TRUE(SubKeys(HKEY_CLASSES_ROOT, "").empty());
    EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, base).size(), 201u);
    // The base keys are not counted as part of the data set.
    EXPECT_EQ(counts.keys, 100u + 100u * 5 + 1 + 300u * 3);
    EXPECT_FALSE(ReadString(HKEY_CURRENT_USER, base + "\\.ext00042", "").empty());
}

TEST(DataSetGenerator, ReportsTheFirstFailedCall) {
    MemoryStore memory;
    FaultStore store(memory);
    store.FailNth(FaultStore::Call::SetValue, 50, 1013);
    DataSetCounts counts;
    EXPECT_EQ(GenerateDataSet(store, Small(), &counts), 1013);
    EXPECT_EQ(counts.values, 49u);
    EXPECT_EQ(store.Calls(FaultStore::Call::SetValue), 50);
}

#ifndef _WIN32
TEST(DataSetGenerator, RollsBackAFailedGenerationInAStoreWithTransactions) {
    const std::filesystem::path path =
        std::filesystem::path(testing::TempDir()) / "datagen-rollback.db";
    std::filesystem::remove(path);
    std::string error;
    auto sqlite = SqliteStore::Open(path.string(), error);
    ASSERT_TRUE(sqlite) << error;
    FaultStore store(*sqlite);
    store.FailNth(FaultStore::Call::CreateKey, 300, 1013);
    EXPECT_EQ(GenerateDataSet(store, Small()), 1013);
    ScopedActiveStore active(*sqlite);
    EXPECT_TRUE(SubKeys(HKEY_CLASSES_ROOT, "").empty());
    sqlite.reset();
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(path.string() + suffix);
}
#endif

}  // namespace
}  // namespace zanver::bench
