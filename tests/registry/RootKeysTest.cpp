#include <gtest/gtest.h>

#include "RootKeys.h"

using namespace zanver;

TEST(RootKeys, NamesAndHandlesMatchBothWays) {
    const RootKey roots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,     HKEY_LOCAL_MACHINE,
                             HKEY_USERS,        HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG,
                             HKEY_DYN_DATA};
    for (RootKey root : roots)
        EXPECT_EQ(RootKeyFromName(RootKeyName(root)), root);
    EXPECT_EQ(RootKeyName(HKEY_CLASSES_ROOT), "HKEY_CLASSES_ROOT");
    EXPECT_EQ(RootKeyName(HKEY_LOCAL_MACHINE), "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(RootKeyName(HKEY_CURRENT_USER), "HKEY_CURRENT_USER");
    EXPECT_EQ(HKEY_CLASSES_ROOT, 0x80000000u);
    EXPECT_EQ(HKEY_DYN_DATA, 0x80000006u);
}

TEST(RootKeys, NamesAreMatchedWholeWithoutRegardToCase) {
    EXPECT_EQ(RootKeyFromName("hkey_current_user"), HKEY_CURRENT_USER);
    EXPECT_EQ(RootKeyFromName("Hkey_Classes_Root"), HKEY_CLASSES_ROOT);
    EXPECT_EQ(RootKeyFromName("HKCU"), kUnknownRoot);
    EXPECT_EQ(RootKeyFromName("HKEY_CURRENT_USER\\"), kUnknownRoot);
    EXPECT_EQ(RootKeyFromName(""), kUnknownRoot);
    EXPECT_EQ(kUnknownRoot, 6u);
}

TEST(RootKeys, UnknownRootHasItsOwnName) {
    EXPECT_EQ(RootKeyName(kUnknownRoot), "Unknown root key");
    EXPECT_EQ(RootKeyName(0x80000007u), "Unknown root key");
    EXPECT_FALSE(IsPredefinedRoot(kUnknownRoot));
    EXPECT_TRUE(IsPredefinedRoot(HKEY_USERS));
}
