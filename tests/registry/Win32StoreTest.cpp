// Our headers first: <windows.h> turns the root names of RootKeys.h into macros.
#include "ErrorCodes.h"
#include "LastError.h"
#include "RootKeys.h"
#include "StoreConformance.h"
#include "StoreHelpers.h"
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

using namespace zanver::test;

constexpr const char* kBase = "Software\\ZanverWin32StoreTest";
constexpr const char* kClasses = "ZanverWin32StoreTest";

// Works below HKEY_CURRENT_USER\<kBase> and HKEY_CLASSES_ROOT\<kClasses>,
// removed with the API itself before and after each test.
class Win32StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kBase);
        RegDeleteKeyA(HKEY_CURRENT_USER, kBase);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kClasses);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kClasses);
    }
    void TearDown() override { SetUp(); }

    Win32Store store;
};

TEST_F(Win32StoreTest, EachOpenGivesItsOwnHandle) {
    // The API gives the predefined HKEY itself back for an empty path below a
    // root; the store still hands out two handles that close separately.
    Key first(store);
    Key second(store);
    ASSERT_EQ(Open(store, kCurrentUser, "", first), kSuccess);
    ASSERT_EQ(Open(store, kCurrentUser, "", second), kSuccess);
    EXPECT_NE(StoreKey{first}, StoreKey{second});
    EXPECT_FALSE(IsPredefinedRoot(first));
    first.Close();
    EXPECT_EQ(Open(store, second, "Software", first, kKeyRead), kSuccess);
    for (StoreKey root : {kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kCurrentConfig})
        EXPECT_EQ(Open(store, root, "", second, kKeyRead), kSuccess) << root;
}

TEST_F(Win32StoreTest, DepthCountsFromTheRootThroughOpenedHandles) {
    // Opened handles carry their depth: Software\ZanverWin32StoreTest is at
    // level 2, so 510 more levels are allowed below it and no more.
    Key base(store), deep(store), reopened(store), same(store), key(store);
    ASSERT_EQ(Create(store, kCurrentUser, kBase, base), kSuccess);
    ASSERT_EQ(Create(store, base, Deepen("d", 1, 500), deep), kSuccess);
    ASSERT_EQ(Open(store, kCurrentUser, std::string(kBase) + "\\" + Deepen("d", 1, 500), reopened),
              kSuccess);
    ASSERT_EQ(Open(store, reopened, "", same), kSuccess);
    EXPECT_EQ(Create(store, deep, Deepen("d", 1, 10), key), kSuccess);
    for (StoreKey parent : {StoreKey{deep}, StoreKey{reopened}, StoreKey{same}})
        EXPECT_EQ(Create(store, parent, Deepen("d", 1, 11), key), kInvalidParameter);

    // Below HKEY_CLASSES_ROOT, opened or reached through HKEY_LOCAL_MACHINE,
    // a key lies two levels deeper.
    Key classes(store), machineClasses(store);
    ASSERT_EQ(Open(store, kClassesRoot, "", classes), kSuccess);
    ASSERT_EQ(Open(store, kLocalMachine, "Software\\Classes", machineClasses), kSuccess);
    EXPECT_EQ(Create(store, classes, Deepen("d", 1, 511), key), kInvalidParameter);
    EXPECT_EQ(Create(store, machineClasses, Deepen("d", 1, 511), key), kInvalidParameter);
    EXPECT_EQ(Create(store, classes, std::string(kClasses) + "\\" + Deepen("d", 1, 509), key),
              kSuccess);
}

TEST_F(Win32StoreTest, MalformedPathsAreRefusedBeforeTheApiSeesThem) {
    Key base(store), key(store);
    ASSERT_EQ(Create(store, kCurrentUser, kBase, base), kSuccess);
    for (const char* path : {"\\lead", "a\\\\b"}) {
        EXPECT_EQ(Create(store, base, path, key), kInvalidParameter) << path;
        EXPECT_EQ(Open(store, base, path, key), kInvalidParameter) << path;
    }
    // A trailing backslash is allowed and names the same key.
    bool existed = true;
    EXPECT_EQ(Create(store, base, "t\\", key, &existed), kSuccess);
    EXPECT_FALSE(existed);
    EXPECT_EQ(Create(store, base, "T", key, &existed), kSuccess);
    EXPECT_TRUE(existed);
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
