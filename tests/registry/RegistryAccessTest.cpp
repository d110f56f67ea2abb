#include <gtest/gtest.h>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "Exception.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "RegistryFixture.h"

using namespace zanver;
using namespace zanver::test;
using Call = FaultStore::Call;

class RegistryAccess : public RegistryFixture {};

TEST_F(RegistryAccess, QueriesReportAbsenceWithoutRaising) {
    for (RootKey root : {HKEY_CLASSES_ROOT, kUnknownRoot}) {
        EXPECT_FALSE(KeyExists(root, "missing"));
        EXPECT_FALSE(ValueExists(root, "missing", ""));
        EXPECT_EQ(GetValueType(root, "missing", "x"), RegNone);
        std::uint32_t type = 99;
        Bytes data{1, 2};
        EXPECT_FALSE(ReadRawValue(root, "missing", "x", type, data));
        EXPECT_EQ(type, RegNone);
        EXPECT_TRUE(data.empty());
        EXPECT_EQ(ReadString(root, "missing", ""), "");
        EXPECT_EQ(ReadDWordDef(root, "missing", "", 7u), 7u);
    }
    EXPECT_FALSE(KeyExists(kUnknownRoot, ""));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ""));
}

TEST_F(RegistryAccess, ReadersAcceptOnlyTheirTypes) {
    SetBytes(HKEY_CLASSES_ROOT, "k", "sz", RegSz, Sz("text"));
    SetBytes(HKEY_CLASSES_ROOT, "k", "expand", RegExpandSz, Sz("%PATH%"));
    SetBytes(HKEY_CLASSES_ROOT, "k", "bin4", RegBinary, {1, 0, 0, 0});
    SetBytes(HKEY_CLASSES_ROOT, "k", "dw", RegDword, {0x1F, 0, 0, 0x80});
    SetBytes(HKEY_CLASSES_ROOT, "k", "dw3", RegDword, {1, 2, 3});
    SetBytes(HKEY_CLASSES_ROOT, "k", "unterminated", RegSz, {'a', 'b'});
    SetBytes(HKEY_CLASSES_ROOT, "k", "empty", RegSz, {});

    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "K", "SZ"), "text");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "k", "expand"), "");
    EXPECT_EQ(ReadExpandString(HKEY_CLASSES_ROOT, "k", "expand"), "%PATH%");
    EXPECT_EQ(ReadExpandString(HKEY_CLASSES_ROOT, "k", "sz"), "text");
    EXPECT_EQ(ReadExpandString(HKEY_CLASSES_ROOT, "k", "bin4"), "");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "k", "unterminated"), "ab");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "k", "empty"), "");

    EXPECT_EQ(ReadDWordDef(HKEY_CLASSES_ROOT, "k", "dw", 0), 0x8000001Fu);
    EXPECT_EQ(ReadDWordDef(HKEY_CLASSES_ROOT, "k", "bin4", 5), 5u);
    EXPECT_EQ(ReadDWordDef(HKEY_CLASSES_ROOT, "k", "dw3", 5), 5u);
    EXPECT_EQ(GetValueType(HKEY_CLASSES_ROOT, "k", "dw"), RegDword);
}

TEST_F(RegistryAccess, SetRawValueStoresEmptyStringsWithTheirTerminator) {
    ASSERT_TRUE(SetRawValue(HKEY_CLASSES_ROOT, "a\\b", "", RegNone, nullptr, 0));
    ASSERT_TRUE(SetRawValue(HKEY_CLASSES_ROOT, "a", "s", RegExpandSz, nullptr, 0));
    // A named value may be unassigned, and keeps its bytes.
    const Bytes bytes{1, 2};
    ASSERT_TRUE(SetRawValue(HKEY_CLASSES_ROOT, "a", "n", RegNone, bytes.data(), bytes.size()));
    ASSERT_TRUE(WriteDWord(HKEY_CLASSES_ROOT, "a", "d", 0x01020304));
    EXPECT_EQ(memory.Dump(HKEY_CLASSES_ROOT, "a"),
              "[HKEY_CLASSES_ROOT\\a]\n  \"s\" 2: 00\n  \"n\" 0: 01 02\n  \"d\" 4: 04 03 02 01\n"
              "[HKEY_CLASSES_ROOT\\a\\b]\n  \"\" 1: 00\n");
}

TEST_F(RegistryAccess, WriteStringFailureNamesValueKeyAndText) {
    WriteString(HKEY_CLASSES_ROOT, ".abc", "", false, "");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, ".abc", ""), "");
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, ".abc", ""));

    faults.FailNth(Call::SetValue, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf([] { WriteString(HKEY_CLASSES_ROOT, ".abc", "", false, ""); }),
              "Failed to set default value for key HKEY_CLASSES_ROOT\\.abc to empty string. " +
                  ErrorText(err::kAccessDenied));
    faults.FailNth(Call::CreateKey, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf([] { WriteString(HKEY_CLASSES_ROOT, ".abc", "Content Type", true, "x"); }),
              "Failed to set value Content Type of key HKEY_CLASSES_ROOT\\.abc to x. " +
                  ErrorText(err::kAccessDenied));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".abc", "Content Type"));
}

TEST_F(RegistryAccess, CreateKeyReportsWhetherTheKeyExisted) {
    bool existed = true;
    StoreKey key = CreateKey(HKEY_CLASSES_ROOT, "x\\y", kKeyAllAccess, existed);
    EXPECT_FALSE(existed);
    EXPECT_EQ(memory.OpenHandleCount(), 1u);
    CloseStoreKey(key);
    key = CreateKey(HKEY_CLASSES_ROOT, "X\\Y", kKeyAllAccess, existed);
    EXPECT_TRUE(existed);
    CloseStoreKey(key);
    EXPECT_EQ(memory.OpenHandleCount(), 0u);

    faults.FailNth(Call::CreateKey, 1, err::kAccessDenied);
    EXPECT_EQ(
        ErrorOf([&] { CreateKey(HKEY_CLASSES_ROOT, "z", kKeyAllAccess, existed); }),
        "Could not create or open key HKEY_CLASSES_ROOT\\z. " + ErrorText(err::kAccessDenied));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "z"));
}

TEST_F(RegistryAccess, CopyValueCopiesTypeAndBytesOrSaysWhatFailed) {
    SetBytes(HKEY_CLASSES_ROOT, "src", "v", 0x1234, {0, 1, 0, 2});
    CopyValue(HKEY_CLASSES_ROOT, "src", "v", HKEY_CURRENT_USER, "dst\\deep", "w");
    EXPECT_EQ(memory.Dump(HKEY_CURRENT_USER, "dst\\deep"),
              "[HKEY_CURRENT_USER\\dst\\deep]\n  \"w\" 4660: 00 01 00 02\n");

    EXPECT_EQ(
        ErrorOf([] { CopyValue(HKEY_CLASSES_ROOT, "src", "none", HKEY_CURRENT_USER, "dst", "w"); }),
        "Failed to retrieve HKEY_CLASSES_ROOT\\src\\none from the registry. " +
            ErrorText(err::kFileNotFound));
    faults.FailNth(Call::SetValue, 1, err::kAccessDenied);
    EXPECT_EQ(
        ErrorOf([] { CopyValue(HKEY_CLASSES_ROOT, "src", "v", HKEY_CURRENT_USER, "dst", ""); }),
        "Failed to write HKEY_CURRENT_USER\\dst\\ to the registry. " +
            ErrorText(err::kAccessDenied));
}

TEST_F(RegistryAccess, DeleteValueReportsFailure) {
    SetBytes(HKEY_CLASSES_ROOT, "k", "v", RegSz, Sz("x"));
    EXPECT_FALSE(DeleteValue(HKEY_CLASSES_ROOT, "k", "other"));
    EXPECT_FALSE(DeleteValue(HKEY_CLASSES_ROOT, "missing", "v"));
    EXPECT_TRUE(DeleteValue(HKEY_CLASSES_ROOT, "K", "V"));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "k", "v"));
}

TEST_F(RegistryAccess, DeleteKeyTreeRemovesEverythingBelow) {
    for (const char* key : {"t\\a\\x", "t\\a\\y\\z", "t\\b", "t\\c\\d\\e\\f", "keep"})
        SetBytes(HKEY_CLASSES_ROOT, key, "v", RegSz, Sz(key));
    EXPECT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "T"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "t"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "keep"));
    EXPECT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "never-there"));
    EXPECT_EQ(memory.OpenHandleCount(), 0u);
}

TEST_F(RegistryAccess, DeleteKeyTreeThatFailsChangesNothing) {
    for (const char* key : {"t\\a", "t\\b\\inner", "t\\c"})
        SetBytes(HKEY_CLASSES_ROOT, key, "", RegSz, Sz(""));
    const std::string before = memory.Dump();
    // A subkey that cannot be deleted, a failed delete further down, and a
    // commit that cannot be written: each leaves every key in place.
    ASSERT_TRUE(memory.SetUnreadable(HKEY_CLASSES_ROOT, "t\\b", true));
    EXPECT_FALSE(DeleteKeyTree(HKEY_CLASSES_ROOT, "t"));
    ASSERT_TRUE(memory.SetUnreadable(HKEY_CLASSES_ROOT, "t\\b", false));
    EXPECT_EQ(memory.Dump(), before);
    faults.FailNth(Call::DeleteKey, 4, err::kAccessDenied);
    EXPECT_FALSE(DeleteKeyTree(HKEY_CLASSES_ROOT, "t"));
    EXPECT_EQ(memory.Dump(), before);
    faults.FailNth(Call::Commit, 1, err::kDiskFull);
    EXPECT_FALSE(DeleteKeyTree(HKEY_CLASSES_ROOT, "t"));
    EXPECT_EQ(LastErrorText(), ErrorText(err::kDiskFull));
    EXPECT_EQ(memory.Dump(), before);
    // A store without transactions finds the key it may not delete first.
    faults.DisableTransactions();
    ASSERT_TRUE(memory.SetUnreadable(HKEY_CLASSES_ROOT, "t\\b\\inner", true));
    EXPECT_FALSE(DeleteKeyTree(HKEY_CLASSES_ROOT, "t"));
    EXPECT_EQ(LastErrorText(), ErrorText(err::kAccessDenied));
    ASSERT_TRUE(memory.SetUnreadable(HKEY_CLASSES_ROOT, "t\\b\\inner", false));
    EXPECT_EQ(memory.Dump(), before);
    EXPECT_EQ(memory.OpenHandleCount(), 0u);
}

TEST_F(RegistryAccess, DeleteKeyTreeNamesTheKeyItCouldNotQuery) {
    SetBytes(HKEY_CLASSES_ROOT, "top\\sub\\leaf", "", RegSz, Sz(""));
    faults.FailNth(Call::QueryInfoKey, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf([] { DeleteKeyTree(HKEY_CLASSES_ROOT, "top"); }),
              "Could not query key top. " + ErrorText(err::kAccessDenied));
    faults.FailNth(Call::QueryInfoKey, 2, err::kAccessDenied);
    EXPECT_EQ(ErrorOf([] { DeleteKeyTree(HKEY_CLASSES_ROOT, "top"); }),
              "Could not query key sub. " + ErrorText(err::kAccessDenied));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "top\\sub\\leaf"));
    EXPECT_EQ(memory.OpenHandleCount(), 0u);
}

TEST_F(RegistryAccess, DeleteKeyTreeRefusesTheRootItselfHoweverWritten) {
    SetBytes(HKEY_CURRENT_USER, "a", "", RegSz, Sz(""));
    SetBytes(HKEY_CLASSES_ROOT, "b", "", RegSz, Sz(""));
    const std::string before = memory.Dump();
    for (const RootKey root : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT})
        for (const char* path : {"", "\\", "\\\\", " ", " \\ ", "\t\\"}) {
            EXPECT_FALSE(DeleteKeyTree(root, path)) << root << " [" << path << "]";
            EXPECT_EQ(LastErrorText(), ErrorText(err::kAccessDenied));
        }
    // The key that holds the classes root goes only as a whole.
    EXPECT_FALSE(DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software"));
    EXPECT_EQ(memory.Dump(), before);
}

TEST_F(RegistryAccess, TemplatesFolderComesFromTheShellFolders) {
    EXPECT_EQ(GetTemplatesFolder(), "");
    WriteString(HKEY_CURRENT_USER,
                "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                "Templates", false, "C:\\Templates");
    EXPECT_EQ(GetTemplatesFolder(), "C:\\Templates");
}
