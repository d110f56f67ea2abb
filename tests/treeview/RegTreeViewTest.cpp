// The registry tree view: lazy loading, reloading against changes made behind
// its back, paths below a root path, and the edits of registry items.
#include <gtest/gtest.h>

#include <QLineEdit>

#include <string>
#include <vector>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "FaultStore.h"
#include "GuiFixture.h"
#include "LastError.h"
#include "Progress.h"
#include "RegTreeView.h"
#include "Registry.h"
#include "RegistryAccess.h"
#include "TreeErrors.h"
#include "ValueTextRegistry.h"

namespace zanver {
namespace {

void DumpNode(const TRegTreeNode* node, int depth, std::string& out) {
    out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + node->Text() + "\n";
    for (int i = 0; i < node->childCount(); ++i)
        DumpNode(node->Child(i), depth + 1, out);
}

class RegTreeViewTest : public GuiTest {
  protected:
    static void Set(const std::string& path, const std::string& name, const std::string& text) {
        SetValueText(HKEY_CLASSES_ROOT, path, name, text);
    }
    static void MakeKey(const std::string& path) {
        ASSERT_TRUE(TRegistry(HKEY_CLASSES_ROOT).CreateKey(path));
    }
    // The tree, one caption a line, indented by depth, in the shown order.
    std::string Tree() const {
        std::string out;
        for (int i = 0; i < view.topLevelItemCount(); ++i)
            DumpNode(AsNode(view.topLevelItem(i)), 0, out);
        return out;
    }
    TRegTreeNode* Node(const std::string& path) { return view.FindNode(path, false); }
    std::vector<std::string> ValueNames(const std::string& path) {
        TRegistry registry(HKEY_CLASSES_ROOT);
        std::vector<std::string> names;
        EXPECT_TRUE(registry.OpenKey(path, false));
        registry.GetValueNames(names);
        return names;
    }

    TRegTreeView view;
};

TEST_F(RegTreeViewTest, LoadsTwoLevelsAndDefaultValuesOfTheThirdThenTheRestOnExpanding) {
    Set("a", "", "\"A\"");
    Set("a", "v", "\"x\"");
    Set("a\\b", "", "\"B\"");
    Set("a\\b\\c", "", "\"C\"");
    Set("a\\b\\c", "cv", "dword: 00000001");
    Set("a\\b\\c\\d", "", "\"D\"");
    MakeKey("a\\b\\e");
    view.RefreshPath("a", false);
    EXPECT_EQ(Tree(), "a = \"A\"\n  b = \"B\"\n    c = \"C\"\n    e\n  v = \"x\"\n");
    TRegTreeNode* top = view.TopNode();
    TRegTreeNode* b = Node("a\\b");
    TRegTreeNode* c = Node("a\\b\\c");
    EXPECT_TRUE(top->Loaded && top->Complete);
    EXPECT_TRUE(b->Loaded && !b->Complete);
    EXPECT_FALSE(c->Loaded || c->Complete);
    // The node asked for is selected, and left as it was (collapsed).
    EXPECT_EQ(view.Selected(), top);
    EXPECT_FALSE(top->isExpanded());
    EXPECT_EQ(view.PendingNode, nullptr);

    // Expanding a node that is not complete reads it at the next idle moment.
    b->setExpanded(true);
    EXPECT_EQ(view.PendingNode, b);
    view.LoadPending();
    EXPECT_EQ(view.PendingNode, nullptr);
    EXPECT_EQ(Node("a\\b"), b);
    EXPECT_TRUE(b->Complete && b->isExpanded());
    EXPECT_EQ(Tree(),
              "a = \"A\"\n  b = \"B\"\n    c = \"C\"\n      cv = dword: 00000001\n"
              "      d = \"D\"\n    e\n  v = \"x\"\n");
    // One node is pending at a time; a complete node expands without a reload.
    c->setExpanded(true);
    EXPECT_EQ(view.PendingNode, c);
    view.PendingNode = nullptr;
    top->setExpanded(false);
    top->setExpanded(true);
    EXPECT_EQ(view.PendingNode, nullptr);
}

TEST_F(RegTreeViewTest, ReloadFollowsChangesBehindTheViewsBackKeepingNodes) {
    Set("a", "v1", "\"1\"");
    Set("a", "v2", "\"2\"");
    MakeKey("a\\s1");
    Set("a\\s2", "", "\"moved\"");
    MakeKey("a\\s3\\below");
    view.RefreshPath("a", false);
    TRegTreeNode* v1 = Node("a\\v1");
    ASSERT_NE(v1, nullptr);
    view.Select(v1);
    ASSERT_TRUE(DeleteValue(HKEY_CLASSES_ROOT, "a", "v2"));
    Set("a", "v1", "\"changed\"");
    Set("a", "v3", "hex: 01");
    TRegistry(HKEY_CLASSES_ROOT).MoveKey("a\\s2", "a\\S2new", true);
    ASSERT_TRUE(store.SetUnreadable(HKEY_LOCAL_MACHINE, "Software\\Classes\\a\\s3", true));
    view.RefreshPath("a", true);
    EXPECT_EQ(Tree(), "a\n  s1\n  S2new = \"moved\"\n  v1 = \"changed\"\n  v3 = hex: 01\n");
    EXPECT_EQ(Node("a\\v1"), v1);
    EXPECT_EQ(view.Selected(), v1);

    // Many children; a value and a subkey of the same name stay two nodes.
    for (int i = 0; i < 50; ++i) {
        Set("big\\k" + std::to_string(i), "", "\"" + std::to_string(i) + "\"");
        Set("big", "v" + std::to_string(i), "dword: 00000001");
    }
    Set("big\\k7", "", "\"key\"");
    Set("big", "k7", "\"value\"");
    view.RefreshPath("big", false);
    TRegTreeNode* key = Node("big\\k7");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(view.TopNode()->childCount(), 101);
    ASSERT_TRUE(DeleteValue(HKEY_CLASSES_ROOT, "big", "v3"));
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "big\\k4"));
    view.RefreshPath("big", false);
    EXPECT_EQ(view.TopNode()->childCount(), 99);
    EXPECT_EQ(Node("big\\k7"), key);
    EXPECT_EQ(key->Text(), "k7 = \"key\"");
    EXPECT_TRUE(key->IsKey());
    EXPECT_EQ(view.TopNode()->FindChild("v3", false), nullptr);
    EXPECT_EQ(view.TopNode()->FindChild("k4", false), nullptr);
}

TEST_F(RegTreeViewTest, LargeKeyReportsItsProgressOnceForEverySubkey) {
    for (int i = 0; i < 1200; ++i)
        Set("huge\\k" + std::to_string(i) + "\\sub", "", "\"x\"");
    std::vector<int> steps;
    TProgress::StepHook = [&](int done) {
        steps.push_back(done);
        return false;  // a load cannot be cancelled: this must change nothing
    };
    view.RefreshPath("huge", false);
    TProgress::StepHook = nullptr;
    ASSERT_EQ(steps.size(), 1200u);
    EXPECT_EQ(steps.front(), 1);
    EXPECT_EQ(steps.back(), 1200);
    EXPECT_EQ(view.TopNode()->childCount(), 1200);
    EXPECT_TRUE(view.TopNode()->Complete);
    EXPECT_FALSE(TProgress::Running());
}

TEST_F(RegTreeViewTest, NodesStaySortedWhenAddedOrRenamed) {
    for (const char* name : {"b", "d", "f"})
        MakeKey(std::string("a\\") + name);
    view.RefreshPath("a", false);
    view.ShowValue("a\\c", "", "");
    view.AddKeyNode(view.TopNode(), "_x", "");  // "_" sorts after the letters
    view.ShowValue("a", "E", "\"v\"");
    view.EditFinished(Node("a\\b"), "z");
    view.BeginUpdate();
    view.ShowValue("a", "A0", "\"first\"");
    view.EditFinished(Node("a\\d"), "D2");
    view.EndUpdate();
    EXPECT_EQ(Tree(), "a\n  A0 = \"first\"\n  c\n  D2\n  E = \"v\"\n  f\n  z\n  _x\n");
    EXPECT_TRUE(view.isSortingEnabled());
}

TEST_F(RegTreeViewTest, RefreshAndLoadKeyPathRestoreSelectionAndExpandedState) {
    MakeKey("a\\b\\c\\d");
    MakeKey("a\\x\\y");
    view.RefreshPath("a", false);
    TRegTreeNode* b = Node("a\\b");
    view.Select(b);
    view.RefreshPath("a", true);
    EXPECT_EQ(view.Selected(), b);
    EXPECT_FALSE(b->isExpanded());
    b->setExpanded(true);
    view.LoadPending();
    EXPECT_EQ(view.Selected(), b);
    view.RefreshPath("a", true);
    EXPECT_EQ(view.Selected(), b);
    EXPECT_TRUE(b->isExpanded());
    // A path that is gone: its deepest existing ancestor, expanded.
    view.RefreshPath("a\\b\\c\\gone\\deeper", false);
    TRegTreeNode* c = Node("a\\b\\c");
    EXPECT_EQ(view.Selected(), c);
    EXPECT_TRUE(c->isExpanded());
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "a\\x"));
    view.RefreshPath("a\\x\\y", false);
    EXPECT_EQ(view.Selected(), view.TopNode());
    EXPECT_EQ(Node("a\\x"), nullptr);

    // Another key replaces the top.
    view.ClearTree();
    view.LoadKeyPath("a\\b");
    EXPECT_EQ(view.TopNode()->NodeName(), "a");
    MakeKey("other\\sub\\deep");
    view.LoadKeyPath("other\\sub");
    ASSERT_EQ(view.topLevelItemCount(), 1);
    EXPECT_EQ(Tree(), "other\n  sub\n    deep\n");
    EXPECT_TRUE(view.TopNode()->Complete);
    EXPECT_TRUE(Node("other\\sub")->Loaded);
    // Nothing of the path exists: the tree empties.
    view.LoadKeyPath("nowhere\\at\\all");
    EXPECT_TRUE(view.IsEmpty());
    // Finding with loading fills an empty tree.
    EXPECT_EQ(view.FindNode("a\\B", true)->KeyPath(), "a\\b");
}

TEST_F(RegTreeViewTest, RootPathIsPutInFrontOfTheTopKey) {
    Set("CLSID\\{1}\\InprocServer32", "", "\"x.dll\"");
    MakeKey("CLSID\\{2}");
    view.RootPath = "CLSID";
    view.RefreshPath("CLSID\\{1}\\InprocServer32", false);
    EXPECT_EQ(Tree(), "{1}\n  InprocServer32 = \"x.dll\"\n");
    TRegTreeNode* server = view.Selected();
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->KeyPath(), "CLSID\\{1}\\InprocServer32");
    EXPECT_EQ(view.FindNode("clsid\\{1}\\inprocserver32", false), server);
    EXPECT_EQ(view.RevealPath("CLSID\\{1}\\gone"), view.TopNode());
    EXPECT_EQ(view.StripRootPath("clsid\\{1}\\x"), "{1}\\x");
    EXPECT_EQ(view.StripRootPath("CLSIDX\\{1}"), "CLSIDX\\{1}");
    EXPECT_TRUE(view.IsBelowRootPath("clsid\\{2}"));
    EXPECT_FALSE(view.IsBelowRootPath("CLSIDX"));
    EXPECT_EQ(view.RootedPath("{2}"), "CLSID\\{2}");
    EXPECT_EQ(view.FullPath("\\x"), "HKEY_CLASSES_ROOT\\x");
    EXPECT_EQ(view.FullPath(""), "HKEY_CLASSES_ROOT");
    view.LoadKeyPath("CLSID\\{2}");
    EXPECT_EQ(Tree(), "{2}\n");
}

TEST_F(RegTreeViewTest, ShowAndWriteValueMakeTheNodesNewNodesNeedAParentAndAName) {
    EXPECT_EQ(view.ParentForNew(), nullptr);
    TRegTreeNode* value = view.ShowValue("a\\b", "v", "\"x\"");
    EXPECT_EQ(Tree(), "a = \"\"\n  b\n    v = \"x\"\n");
    EXPECT_EQ(value->NodePath(), "a\\b\\v");
    EXPECT_EQ(view.ShowValue("a", "", "\"d\""), view.TopNode());
    EXPECT_EQ(view.ShowValue("a\\b", "V", "\"y\""), value);
    EXPECT_EQ(value->Text(), "v = \"y\"");
    EXPECT_EQ(ErrorOf([&] { view.ShowValue("z\\q", "v", "\"\""); }),
              "Root key name a expected but z found.");
    TRegTreeNode* written = view.WriteValue("a\\b\\c", "w", "dword: 00000002");
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a\\b\\c", "w", false), "dword: 00000002");
    EXPECT_EQ(written->ImageIndex(), kImageBinary);
    view.WriteStringValue("a\\b", "e", true, "%PATH%");
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a\\b", "e", false),
              "expandable string: \"%PATH%\"");
    EXPECT_EQ(Node("a\\b\\e")->Text(), "e = expandable string: \"%PATH%\"");
    // Bad value text writes nothing and adds no node.
    EXPECT_THROW(view.WriteValue("a\\b", "bad", "dword: xyz"), Exception);
    EXPECT_EQ(Node("a\\b\\bad"), nullptr);

    view.Select(nullptr);
    EXPECT_EQ(ErrorOf([&] { view.ParentForNew(); }), "Please select a parent for the new node.");
    view.Select(Node("a\\b\\v"));
    EXPECT_EQ(view.ParentForNew(), Node("a\\b"));
    EXPECT_EQ(ErrorOf<ERegTreeView>([&] { view.AddKeyNode(Node("a"), "", ""); }), "Name expected.");
}

TEST_F(RegTreeViewTest, DeleteNodeAndFailuresOfTheStore) {
    Set("a\\k", "", "\"x\"");
    Set("a", "v", "\"1\"");
    Set("a", "w", "\"2\"");
    view.RefreshPath("a", false);
    // Items someone else has deleted already: the user is told, and the view
    // shows what the store holds.
    Set("a\\gone", "", "\"g\"");
    view.RefreshPath("a", false);
    ASSERT_TRUE(DeleteValue(HKEY_CLASSES_ROOT, "a", "v"));
    TRegTreeNode* gone = Node("a\\gone");
    Expect("Error Zanver", "Failed to delete a\\v. " + ErrorText(err::kFileNotFound),
           MessageButtons::Ok, MessageIcon::Stop, MessageResult::Ok);
    EXPECT_FALSE(view.DeleteNode(Node("a\\v")));
    EXPECT_EQ(Node("a\\v"), nullptr);
    // The refresh has read the key's subkeys again, and the node stays.
    EXPECT_EQ(Node("a\\gone"), gone);
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "a\\gone"));
    Expect("Error Zanver", "Failed to delete a\\gone. " + ErrorText(err::kFileNotFound),
           MessageButtons::Ok, MessageIcon::Stop, MessageResult::Ok);
    EXPECT_FALSE(view.DeleteNode(gone));
    EXPECT_EQ(Node("a\\gone"), nullptr);
    TRegTreeNode* k = Node("a\\k");
    view.PendingNode = k;
    EXPECT_TRUE(view.DeleteNode(k));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\k"));
    EXPECT_EQ(view.PendingNode, nullptr);
    EXPECT_FALSE(view.DeleteNode(nullptr));

    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);
    faults.FailNth(FaultStore::Call::DeleteValue, 1, err::kAccessDenied);
    const std::string denied = ErrorText(err::kAccessDenied);
    Expect("Error Zanver", "Failed to delete a\\w. " + denied, MessageButtons::Ok,
           MessageIcon::Stop, MessageResult::Ok);
    EXPECT_FALSE(view.DeleteNode(Node("a\\w")));
    EXPECT_NE(Node("a\\w"), nullptr);
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, "a", "w"));
    Expect("Zanver", "Delete HKEY_CLASSES_ROOT\\a\\w from the registry?", MessageButtons::YesNo,
           MessageIcon::Question, MessageResult::Yes);
    EXPECT_TRUE(view.ConfirmDelete("a\\w"));
    view.RemoveNode("a\\w");
    EXPECT_EQ(Node("a\\w"), nullptr);

    // A load that cannot read the key's information.
    view.ClearTree();
    faults.FailNth(FaultStore::Call::QueryInfoKey, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf<ERegTreeView>([&] { view.RefreshPath("a", false); }),
              "Could not query key a. " + denied);
    // The bracket around the load ended: sorting is on again.
    EXPECT_TRUE(view.isSortingEnabled());
    EXPECT_EQ(store.OpenHandleCount(), 0u);
}

TEST_F(RegTreeViewTest, RenameValueChangesLetterCaseThroughATemporaryName) {
    Set("a", "Abc", "\"1\"");
    Set("a", "Other", "\"2\"");
    view.RenameValue("a", "Abc", "ABC");
    EXPECT_EQ(ValueNames("a"), (std::vector<std::string>{"Other", "ABC"}));
    // Abc0 is taken: the way goes through Abc1, and Abc0 stays.
    Set("a", "Abc0", "\"0\"");
    view.RenameValue("a", "ABC", "Abc");
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "Abc", false), "\"1\"");
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "Abc0", false), "\"0\"");
    EXPECT_EQ(ValueNames("a"), (std::vector<std::string>{"Other", "Abc0", "Abc"}));
    EXPECT_EQ(ErrorOf<ERegTreeView>([&] { view.RenameValue("a", "Abc", "Other"); }),
              "Cannot rename \"Abc\" to \"Other\" because \"Other\" already exists.");
    EXPECT_EQ(ErrorOf<ERegTreeView>([&] { view.RenameValue("missing", "Abc", "x"); }),
              "Could not open key: missing");
    EXPECT_EQ(store.OpenHandleCount(), 0u);
}

TEST_F(RegTreeViewTest, InPlaceEditReachesTheOwnerAndTheNode) {
    Set("a", "v", "\"old\"");
    view.RefreshPath("a", false);
    TRegTreeNode* node = Node("a\\v");
    std::vector<std::string> edited;
    view.OnEdited = [&](TRegTreeView* sender, TRegTreeNode* target, std::string& text) {
        EXPECT_EQ(sender, &view);
        EXPECT_EQ(target, node);
        edited.push_back(text);
        text += "5";  // the owner may change what is stored
    };
    ASSERT_TRUE(gui::ShowAndFocus(&view));
    view.Select(node);
    for (const int endKey : {Qt::Key_Escape, Qt::Key_Return}) {
        gui::PressKey(&view, Qt::Key_F2);
        auto* editor = view.viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        gui::PressKey(editor, Qt::Key_A, Qt::ControlModifier);
        gui::Type(editor, "v = dword: 0000000");
        gui::PressKey(editor, endKey);
        gui::ProcessEvents();
        if (endKey == Qt::Key_Escape) {
            EXPECT_TRUE(edited.empty());
            EXPECT_EQ(node->Text(), "v = \"old\"");
        }
    }
    EXPECT_EQ(edited, std::vector<std::string>{"v = dword: 0000000"});
    EXPECT_EQ(node->Text(), "v = dword: 00000005");
    EXPECT_EQ(node->ValueType, 4);
    EXPECT_EQ(node->ImageIndex(), kImageBinary);
    EXPECT_FALSE(view.IsEditing());
    // The owner may refuse an edit.
    view.OnEditing = [](TRegTreeNode*) { return false; };
    view.EditSelected();
    EXPECT_FALSE(view.IsEditing());
}

}  // namespace
}  // namespace zanver
