// Opening a store on first use: a new file is filled with the seed text, an
// existing one is left alone, and a failed fill leaves no file behind.
#include "SeededStore.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ActiveStore.h"
#include "RegistryAccess.h"
#include "RootKeys.h"

using namespace zanver;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSeed = "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.txt]\r\n@=\"txtfile\"\r\n";
// The second key line is broken, so the import fails after the first key.
constexpr std::string_view kBrokenSeed =
    "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.txt]\r\n@=\"txtfile\"\r\n[HKEY_CLASSES_ROOT\\txtfile\r\n";

class SeededStoreTest : public ::testing::Test {
  protected:
    std::string TxtFileType(RegistryStore& store) {
        ScopedActiveStore active(store);
        return ReadString(HKEY_CLASSES_ROOT, ".txt", "");
    }
    bool AnyStoreFileLeft() const {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            if (fs::exists(path_ + suffix))
                return true;
        return false;
    }

    TempFolder temp_;
    std::string path_ = temp_.File("sub/registry.db");
};

TEST_F(SeededStoreTest, ExistingStoresAreNotFilledEvenWhenEmpty) {
    std::string error;
    SqliteStore::Open(path_, error).reset();
    ASSERT_TRUE(fs::exists(path_)) << error;
    bool seeded = true;
    auto store = OpenSeededStore(path_, kSeed, error, &seeded);
    ASSERT_TRUE(store) << error;
    EXPECT_FALSE(seeded);
    EXPECT_EQ(TxtFileType(*store), "");
}

TEST_F(SeededStoreTest, FailedFillRemovesTheNewFileSoTheNextStartTriesAgain) {
    std::string error;
    bool seeded = true;
    EXPECT_FALSE(OpenSeededStore(path_, kBrokenSeed, error, &seeded));
    EXPECT_FALSE(seeded);
    EXPECT_EQ(error,
              "Could not fill the new registry store " + path_ +
                  " with the bundled associations: Line 5: ] expected at the end of the key line.");
    EXPECT_FALSE(AnyStoreFileLeft());

    auto store = OpenSeededStore(path_, kSeed, error, &seeded);
    ASSERT_TRUE(store) << error;
    EXPECT_TRUE(seeded);
    EXPECT_EQ(TxtFileType(*store), "txtfile");
}

TEST_F(SeededStoreTest, RemoveStoreFilesTakesTheCompanionsAndIgnoresMissingOnes) {
    fs::create_directories(fs::path(path_).parent_path());
    for (const char* suffix : {"", "-wal", "-shm"})
        std::ofstream(path_ + suffix) << "x";
    std::string error;
    EXPECT_TRUE(RemoveStoreFiles(path_, error)) << error;
    EXPECT_FALSE(AnyStoreFileLeft());
    EXPECT_TRUE(RemoveStoreFiles(path_, error)) << error;
}

}  // namespace
