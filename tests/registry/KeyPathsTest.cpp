#include <gtest/gtest.h>

#include "KeyPaths.h"
#include "RootKeys.h"

using namespace zanver;

TEST(RootKeys, NamesAreMatchedWholeWithoutRegardToCase) {
    for (RootKey root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                         HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA})
        EXPECT_EQ(RootKeyFromName(RootKeyName(root)), root);
    EXPECT_EQ(RootKeyFromName("Hkey_Classes_Root"), HKEY_CLASSES_ROOT);
    for (const char* name : {"HKCU", "HKEY_CURRENT_USER\\", ""})
        EXPECT_EQ(RootKeyFromName(name), kUnknownRoot) << name;
    EXPECT_EQ(RootKeyName(0x80000007u), "Unknown root key");
    EXPECT_FALSE(IsPredefinedRoot(kUnknownRoot));
    EXPECT_TRUE(IsPredefinedRoot(HKEY_USERS));
}

TEST(KeyPaths, FullNamesJoinRootAndPathWithOneBackslash) {
    EXPECT_EQ(FullKeyName(HKEY_CLASSES_ROOT, ""), "HKEY_CLASSES_ROOT");
    EXPECT_EQ(FullKeyName(HKEY_CLASSES_ROOT, ".txt"), "HKEY_CLASSES_ROOT\\.txt");
    EXPECT_EQ(FullKeyName(HKEY_CLASSES_ROOT, "\\.txt"), "HKEY_CLASSES_ROOT\\.txt");
    EXPECT_EQ(FullKeyName(kUnknownRoot, "x"), "Unknown root key\\x");
    EXPECT_EQ(FullValueName(HKEY_CURRENT_USER, "Software\\KQ", "Options"),
              "HKEY_CURRENT_USER\\Software\\KQ\\Options");
    EXPECT_EQ(FullValueName(HKEY_CLASSES_ROOT, ".txt", ""), "HKEY_CLASSES_ROOT\\.txt\\");
}

TEST(KeyPaths, SubKeyTestSeesThroughClassesRootAndCase) {
    EXPECT_TRUE(IsSubKeyOf(HKEY_LOCAL_MACHINE, "Software\\Classes\\txtfile\\shell",
                           HKEY_CLASSES_ROOT, "TXTFILE"));
    EXPECT_TRUE(IsSubKeyOf(HKEY_CLASSES_ROOT, "\\txtfile\\shell", HKEY_CLASSES_ROOT, "txtfile"));
    EXPECT_TRUE(IsSubKeyOf(HKEY_CLASSES_ROOT, "a", HKEY_LOCAL_MACHINE, "Software\\Classes"));
    // A key is not below itself, nor below a sibling that shares its beginning.
    EXPECT_FALSE(IsSubKeyOf(HKEY_CLASSES_ROOT, "txtfile", HKEY_CLASSES_ROOT, "txtfile"));
    EXPECT_FALSE(IsSubKeyOf(HKEY_CLASSES_ROOT, "txtfile2", HKEY_CLASSES_ROOT, "txtfile"));
    EXPECT_FALSE(IsSubKeyOf(HKEY_CLASSES_ROOT, "txtfile", HKEY_CLASSES_ROOT, "txtfile\\shell"));
    EXPECT_FALSE(IsSubKeyOf(HKEY_CURRENT_USER, "a\\b", HKEY_LOCAL_MACHINE, "a"));
}

TEST(KeyPaths, PathPieces) {
    EXPECT_EQ(ExtractKeyName("a\\b\\c"), "c");
    EXPECT_EQ(ExtractParentKey("a\\b\\c"), "a\\b");
    EXPECT_EQ(FirstKeyName("a\\b\\c"), "a");
    EXPECT_EQ(StripFirstKeyName("a\\b\\c"), "b\\c");
    EXPECT_EQ(ExtractKeyName("abc"), "abc");
    EXPECT_EQ(ExtractParentKey("abc"), "");
    EXPECT_EQ(FirstKeyName("abc"), "abc");
    EXPECT_EQ(StripFirstKeyName("abc"), "");
}
