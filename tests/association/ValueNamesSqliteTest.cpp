#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ActiveStore.h"
#include "GlobalRegistry.h"
#include "History.h"
#include "SqliteStore.h"
#include "TempFolder.h"
#include "ValueNames.h"

namespace zanver::test {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<SqliteStore> OpenStore(const std::string& path) {
    std::string error;
    auto store = SqliteStore::Open(path, error);
    EXPECT_TRUE(store) << error;
    return store;
}

TEST(ValueNamesSqliteTest, HistoryOrderSurvivesReopeningTheStore) {
    TempFolder folder;
    const std::string path = folder.File("registry.db");
    const std::string key = "Software\\KQ\\Zanver\\History\\ComboExt";

    TZVHistory history;
    for (const char* text :
         {"zeta", ".txt", "Alpha", "beta", "gamma", "delta", "eps", "eta", "theta", "iota", ".TXT"})
        history.Add(text);
    {
        auto store = OpenStore(path);
        ASSERT_TRUE(store);
        ScopedActiveStore active(*store);
        SaveValueNames(GlobalRegistry, HKEY_CURRENT_USER, key, HistoryMax, history.Entries());
    }

    auto store = OpenStore(path);
    ASSERT_TRUE(store);
    ScopedActiveStore active(*store);
    std::vector<std::string> names;
    ASSERT_TRUE(ReadSettingsValueNames(key, names));
    EXPECT_EQ(names, history.Entries());
    EXPECT_THAT(names, ::testing::ElementsAre("beta", "gamma", "delta", "eps", "eta", "theta",
                                              "iota", ".TXT"));
    SaveValueNames(GlobalRegistry, HKEY_CURRENT_USER, key, 2, names);
    ASSERT_TRUE(ReadSettingsValueNames(key, names));
    EXPECT_THAT(names, ::testing::ElementsAre("beta", "gamma"));
}

}  // namespace
}  // namespace zanver::test
