#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ActiveStore.h"
#include "GlobalRegistry.h"
#include "SqliteStore.h"
#include "TempFolder.h"
#include "ValueNames.h"

namespace zanver::test {
namespace {

// A history kept in the file-backed store comes back in its own order (not
// sorted) after the store is opened again.
TEST(ValueNamesSqliteTest, NamesKeepTheirOrderWhenTheStoreIsOpenedAgain) {
    TempFolder folder;
    const std::string path = folder.File("registry.db");
    const std::string key = "Software\\KQ\\Zanver\\History\\ComboExt";
    std::vector<std::string> names;
    for (const auto& list : {std::vector<std::string>{".b", ".TXT", ".a"}, {"zeta", ".txt"}}) {
        std::string error;
        {
            auto store = SqliteStore::Open(path, error);
            ASSERT_TRUE(store) << error;
            ScopedActiveStore active(*store);
            SaveValueNames(GlobalRegistry, HKEY_CURRENT_USER, key, 8, list);
        }
        auto store = SqliteStore::Open(path, error);
        ASSERT_TRUE(store) << error;
        ScopedActiveStore active(*store);
        ASSERT_TRUE(ReadSettingsValueNames(key, names));
        EXPECT_EQ(names, list);
    }
}

}  // namespace
}  // namespace zanver::test
