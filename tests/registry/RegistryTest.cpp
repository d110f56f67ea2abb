#include <gtest/gtest.h>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "Exception.h"
#include "Registry.h"
#include "RegistryFixture.h"

using namespace zanver;
using namespace zanver::test;
using Call = FaultStore::Call;

class RegistryObject : public RegistryFixture {
  protected:
    // A key with values of several types in a fixed order and a deep subtree.
    void MakeTree(const std::string& top) {
        SetBytes(HKEY_CLASSES_ROOT, top, "", RegSz, Sz("default"));
        SetBytes(HKEY_CLASSES_ROOT, top, "zeta", RegBinary, {1, 2, 3});
        SetBytes(HKEY_CLASSES_ROOT, top, "Alpha", RegDword, {4, 0, 0, 0});
        SetBytes(HKEY_CLASSES_ROOT, top, "none", RegNone, {});
        SetBytes(HKEY_CLASSES_ROOT, top + "\\Shell\\Open\\Command", "", RegExpandSz, Sz("%1"));
        SetBytes(HKEY_CLASSES_ROOT, top + "\\Shell\\Open\\Command", "multi", RegMultiSz,
                 {'a', 0, 0});
        SetBytes(HKEY_CLASSES_ROOT, top + "\\DefaultIcon", "", RegSz, Sz("icon.ico,1"));
    }
    // The key's subtree, without the key's own path.
    std::string Dump(const std::string& key) { return Tree(memory, HKEY_CLASSES_ROOT, key); }

    TRegistry registry{HKEY_CLASSES_ROOT};
};

TEST_F(RegistryObject, OpenKeyCreatesOnlyWhenAsked) {
    EXPECT_FALSE(registry.OpenKey("a\\b", false));
    EXPECT_FALSE(registry.HasCurrentKey());
    EXPECT_TRUE(registry.OpenKey("a\\b", true));
    EXPECT_EQ(registry.CurrentPath(), "a\\b");
    EXPECT_TRUE(registry.KeyExists("A"));
    EXPECT_TRUE(registry.OpenKey("\\A\\B", false));
    EXPECT_EQ(memory.OpenHandleCount(), 1u);
    registry.SetRootKey(HKEY_CURRENT_USER);
    EXPECT_FALSE(registry.HasCurrentKey());
    EXPECT_EQ(memory.OpenHandleCount(), 0u);
    EXPECT_FALSE(registry.KeyExists("a"));
}

TEST_F(RegistryObject, ListsNamesInStoreOrder) {
    MakeTree("t");
    ASSERT_TRUE(registry.OpenKey("t", false));
    std::vector<std::string> names;
    registry.GetValueNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"", "zeta", "Alpha", "none"}));
    registry.CreateKey("t\\apple");
    ASSERT_TRUE(registry.OpenKey("t", false));
    registry.GetKeyNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"apple", "DefaultIcon", "Shell"}));
    EXPECT_TRUE(registry.ValueExists("ALPHA"));
    EXPECT_FALSE(registry.ValueExists("beta"));
}

TEST_F(RegistryObject, WriteStringNeedsAnOpenKeyAndSaysWhatFailed) {
    ASSERT_TRUE(registry.OpenKey("k", true));
    registry.WriteString("name", "text");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "k", "name"), "text");
    faults.FailNth(Call::SetValue, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf([&] { registry.WriteString("name", "other"); }),
              "Failed to set value name of key HKEY_CLASSES_ROOT\\k to other. " +
                  ErrorText(err::kAccessDenied));
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "k", "name"), "text");
}

TEST_F(RegistryObject, RenameValueMovesTypeAndDataOnlyToAFreeName) {
    SetBytes(HKEY_CLASSES_ROOT, "k", "old", RegBinary, {9, 8});
    SetBytes(HKEY_CLASSES_ROOT, "k", "taken", RegSz, Sz("t"));
    ASSERT_TRUE(registry.OpenKey("k", false));
    const std::string before = Dump("k");
    registry.RenameValue("old", "TAKEN");
    registry.RenameValue("old", "OLD");  // letter case only: the name is not free
    registry.RenameValue("missing", "new");
    EXPECT_EQ(Dump("k"), before);

    // A copy that fails keeps the old value.
    faults.FailNth(Call::SetValue, 1, err::kAccessDenied);
    EXPECT_THROW(registry.RenameValue("old", "new"), Exception);
    EXPECT_EQ(Dump("k"), before);

    registry.RenameValue("old", "new");
    EXPECT_EQ(memory.Dump(HKEY_CLASSES_ROOT, "k"),
              "[HKEY_CLASSES_ROOT\\k]\n  \"taken\" 1: 74 00\n  \"new\" 3: 09 08\n");
}

TEST_F(RegistryObject, MoveKeyCopiesOrMovesTheWholeSubtree) {
    MakeTree("src");
    const std::string before = Dump("src");
    faults.ResetCounts();
    registry.MoveKey("src", "copy", false);
    EXPECT_EQ(Dump("copy"), before);
    EXPECT_EQ(Dump("src"), before);
    EXPECT_EQ(faults.Calls(Call::SetValue), 7);  // a copy writes every value

    faults.ResetCounts();
    registry.MoveKey("src", "dest\\moved", true);
    EXPECT_EQ(Dump("dest\\moved"), before);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "src"));
    EXPECT_EQ(faults.Calls(Call::SetValue), 0);  // moved by the store, not copied
    EXPECT_EQ(memory.OpenHandleCount(), 0u);

    faults.FailNth(Call::MoveKey, 1, err::kCallNotImplemented);
    registry.MoveKey("dest\\moved", "back", true);
    EXPECT_EQ(Dump("back"), before);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "dest\\moved"));
}

TEST_F(RegistryObject, MoveKeyLeavesExistingTargetsAndRefusesItsOwnSubtreeAndTheRoot) {
    MakeTree("src");
    MakeTree("other");
    const std::string before = memory.Dump();
    registry.MoveKey("src", "OTHER", true);
    registry.MoveKey("missing", "new", true);
    EXPECT_THROW(registry.MoveKey("src", "SRC\\Shell\\inner", false), Exception);
    for (const char* root : {"", "\\", " \\"}) {
        EXPECT_THROW(registry.MoveKey(root, "src\\inner", false), Exception) << root;
        EXPECT_THROW(registry.MoveKey("src", root, true), Exception) << root;
    }
    EXPECT_EQ(memory.Dump(), before);
}

TEST_F(RegistryObject, MoveKeyThatFailsHalfWayLosesNothing) {
    MakeTree("src");
    const std::string before = Dump("src");
    // The store's own move fails as a whole.
    faults.FailNth(Call::MoveKey, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf([&] { registry.MoveKey("src", "dest\\moved", true); }),
              "Could not copy key HKEY_CLASSES_ROOT\\src to HKEY_CLASSES_ROOT\\dest\\moved. " +
                  ErrorText(err::kAccessDenied));
    EXPECT_EQ(Dump("src"), before);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "dest\\moved"));
    // Stores without a move of their own copy and delete.
    for (int n = 1; n <= 6; ++n) {
        faults.FailNth(Call::MoveKey, 1, err::kCallNotImplemented);
        faults.FailNth(Call::SetValue, n, err::kAccessDenied);
        EXPECT_THROW(registry.MoveKey("src", "dest", true), Exception) << n;
        faults.ClearFaults();
        EXPECT_EQ(Dump("src"), before) << n;
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "dest")) << n;
    }
    // The copy is complete but the source cannot be deleted, or the whole
    // cannot be committed: the move is undone as a whole.
    faults.FailNth(Call::MoveKey, 1, err::kCallNotImplemented);
    faults.FailNth(Call::DeleteKey, 2, err::kAccessDenied);
    EXPECT_THROW(registry.MoveKey("src", "dest", true), Exception);
    for (const bool native : {true, false}) {
        if (!native)
            faults.FailNth(Call::MoveKey, 1, err::kCallNotImplemented);
        faults.FailNth(Call::Commit, 1, err::kDiskFull);
        EXPECT_EQ(ErrorOf([this] { registry.MoveKey("src", "dest", true); }),
                  "Could not copy key HKEY_CLASSES_ROOT\\src to HKEY_CLASSES_ROOT\\dest. " +
                      ErrorText(err::kDiskFull));
    }
    faults.ClearFaults();
    EXPECT_EQ(Dump("src"), before);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "dest"));
    EXPECT_EQ(memory.OpenHandleCount(), 0u);
}
