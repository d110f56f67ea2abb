// Our headers first: <windows.h> turns the root names of RootKeys.h into macros.
#include "ErrorCodes.h"
#include "LastError.h"
#include "RootKeys.h"
#include "StoreConformance.h"
#include "Win32Store.h"

namespace {
// The store's own root numbers, named before <windows.h> takes the names over.
constexpr zanver::StoreKey kClassesRoot = zanver::HKEY_CLASSES_ROOT;
constexpr zanver::StoreKey kCurrentUser = zanver::HKEY_CURRENT_USER;
constexpr zanver::StoreKey kLocalMachine = zanver::HKEY_LOCAL_MACHINE;
constexpr zanver::StoreKey kUsers = zanver::HKEY_USERS;
constexpr zanver::StoreKey kCurrentConfig = zanver::HKEY_CURRENT_CONFIG;
}  // namespace

#include <windows.h>

#include <memory>
#include <string>

using namespace zanver;
using namespace zanver::err;

// Wine's registry sorts values by name and folds names to lower case for the
// order of subkeys; the registry of Windows does neither.
INSTANTIATE_TEST_SUITE_P(Win32, StoreConformanceTest,
                         ::testing::Values(StoreUnderTest{
                             .name = "Win32",
                             .make = [] { return std::make_unique<Win32Store>(); },
                             .sortsValues = Win32Store::RunningUnderWine(),
                             .foldsToLower = Win32Store::RunningUnderWine(),
                             .rollsBack = false}),
                         StoreUnderTestName);

namespace {

constexpr const char* kBase = "Software\\ZanverWin32StoreTest";

// Works below HKEY_CURRENT_USER\<kBase> and HKEY_CLASSES_ROOT\<kClasses>,
// removed with the API itself before and after each test.
class Win32StoreTest : public ::testing::Test {
  protected:
    static constexpr const char* kClasses = "ZanverWin32StoreTest";

    void SetUp() override { RemoveTestKeys(); }
    void TearDown() override {
        CloseAll();
        RemoveTestKeys();
    }

    static void RemoveTestKeys() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kBase);
        RegDeleteKeyA(HKEY_CURRENT_USER, kBase);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kClasses);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kClasses);
    }

    StoreKey Create(StoreKey parent, const std::string& path) {
        StoreKey key = 0;
        bool existed = false;
        EXPECT_EQ(store.CreateKey(parent, path, kKeyAllAccess, key, existed), kSuccess) << path;
        opened.push_back(key);
        return key;
    }
    StoreKey Open(StoreKey parent, const std::string& path) {
        StoreKey key = 0;
        EXPECT_EQ(store.OpenKey(parent, path, kKeyAllAccess, key), kSuccess) << path;
        opened.push_back(key);
        return key;
    }
    void CloseAll() {
        for (StoreKey key : opened)
            if (key != 0)
                store.CloseKey(key);
        opened.clear();
    }

    // A path of `levels` key names.
    static std::string Levels(std::size_t levels) {
        std::string path = "d";
        for (std::size_t i = 1; i < levels; ++i)
            path += "\\d";
        return path;
    }

    Win32Store store;
    std::vector<StoreKey> opened;
};

TEST_F(Win32StoreTest, RootsAreTheSystemsPredefinedKeys) {
    const StoreKey key = Create(kCurrentUser, std::string(kBase) + "\\Made");
    const std::uint8_t data[] = {'o', 'k', 0};
    ASSERT_EQ(store.SetValue(key, "v", RegSz, data, sizeof data), kSuccess);

    HKEY raw = nullptr;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ZanverWin32StoreTest\\made", 0, KEY_READ, &raw),
        ERROR_SUCCESS);
    char text[8] = {};
    DWORD size = sizeof text;
    EXPECT_EQ(RegQueryValueExA(raw, "V", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, "ok");
    RegCloseKey(raw);

    // Written through the API's HKEY_LOCAL_MACHINE, read through our classes root.
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\ZanverWin32StoreTest", 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &raw, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(raw);
    StoreKey classes = 0;
    EXPECT_EQ(store.OpenKey(kClassesRoot, kClasses, kKeyRead, classes), kSuccess);
    EXPECT_EQ(store.CloseKey(classes), kSuccess);

    for (StoreKey root : {kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kCurrentConfig}) {
        StoreKey handle = 0;
        EXPECT_EQ(store.OpenKey(root, "", kKeyRead, handle), kSuccess) << root;
        EXPECT_EQ(store.CloseKey(handle), kSuccess) << root;
    }
}

TEST_F(Win32StoreTest, EachOpenGivesItsOwnHandle) {
    // The API gives the predefined HKEY itself back for an empty path below a
    // root; the store still hands out two handles that close separately.
    const StoreKey first = Open(kCurrentUser, "");
    const StoreKey second = Open(kCurrentUser, "");
    EXPECT_NE(first, second);
    EXPECT_FALSE(IsPredefinedRoot(first));
    EXPECT_EQ(store.CloseKey(first), kSuccess);
    EXPECT_EQ(store.CloseKey(first), kInvalidHandle);
    const StoreKey software = Open(second, "Software");
    opened = {software};
    EXPECT_EQ(store.CloseKey(second), kSuccess);
}

TEST_F(Win32StoreTest, DepthCountsFromTheRootThroughOpenedHandles) {
    // Opened handles carry their depth: Software\ZanverWin32StoreTest is at
    // level 2, so 510 more levels are allowed below it and no more.
    const StoreKey base = Create(kCurrentUser, kBase);
    const StoreKey deep = Create(base, Levels(500));
    const StoreKey reopened = Open(kCurrentUser, std::string(kBase) + "\\" + Levels(500));
    StoreKey key = 0;
    bool existed = false;
    EXPECT_EQ(store.CreateKey(deep, Levels(10), kKeyAllAccess, key, existed), kSuccess);
    EXPECT_EQ(store.CloseKey(key), kSuccess);
    EXPECT_EQ(store.CreateKey(deep, Levels(11), kKeyAllAccess, key, existed), kInvalidParameter);
    EXPECT_EQ(store.CreateKey(reopened, Levels(11), kKeyAllAccess, key, existed),
              kInvalidParameter);
    const StoreKey same = Open(reopened, "");
    EXPECT_EQ(store.CreateKey(same, Levels(11), kKeyAllAccess, key, existed), kInvalidParameter);

    // Below HKEY_CLASSES_ROOT, opened or reached through HKEY_LOCAL_MACHINE,
    // a key lies two levels deeper.
    const StoreKey classes = Open(kClassesRoot, "");
    EXPECT_EQ(store.CreateKey(classes, Levels(511), kKeyAllAccess, key, existed),
              kInvalidParameter);
    const StoreKey machineClasses = Open(kLocalMachine, "Software\\Classes");
    EXPECT_EQ(store.CreateKey(machineClasses, Levels(511), kKeyAllAccess, key, existed),
              kInvalidParameter);
    EXPECT_EQ(store.CreateKey(classes, std::string(kClasses) + "\\" + Levels(509), kKeyAllAccess,
                              key, existed),
              kSuccess);
    EXPECT_EQ(store.CloseKey(key), kSuccess);
}

TEST_F(Win32StoreTest, MalformedPathsAreRefusedBeforeTheApiSeesThem) {
    const StoreKey base = Create(kCurrentUser, kBase);
    StoreKey key = 0;
    bool existed = false;
    for (const char* path : {"\\lead", "a\\\\b"}) {
        EXPECT_EQ(store.CreateKey(base, path, kKeyAllAccess, key, existed), kInvalidParameter)
            << path;
        EXPECT_EQ(store.OpenKey(base, path, kKeyRead, key), kInvalidParameter) << path;
    }
    // A trailing backslash is allowed and names the same key.
    EXPECT_EQ(store.CreateKey(base, "t\\", kKeyAllAccess, key, existed), kSuccess);
    EXPECT_FALSE(existed);
    EXPECT_EQ(store.CloseKey(key), kSuccess);
    EXPECT_EQ(store.CreateKey(base, "T", kKeyAllAccess, key, existed), kSuccess);
    EXPECT_TRUE(existed);
    EXPECT_EQ(store.CloseKey(key), kSuccess);
    EXPECT_EQ(store.SetValue(base, "v", RegBinary, nullptr, 1), kInvalidParameter);
}

TEST(Win32ErrorTexts, ComeFromTheSystem) {
    SetLastErrorCode(kAccessDenied);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(kAccessDenied));
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(LastErrorCode(), kFileNotFound);

    char expected[256] = {};
    ASSERT_NE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             ERROR_FILE_NOT_FOUND, 0, expected, sizeof expected, nullptr),
              0u);
    EXPECT_EQ(SystemErrorText(kFileNotFound), expected);
    EXPECT_EQ(SystemErrorText(0x20001234), "Unknown error 536875572");
}

}  // namespace
