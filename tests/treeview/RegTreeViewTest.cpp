// The registry tree view and its nodes: captions, lookups, copies and images
// of nodes, lazy loading, reloading against changes made behind its back,
// paths below a root path, and the edits of registry items.
#include <gtest/gtest.h>

#include <QLineEdit>

#include <string>
#include <vector>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "FaultStore.h"
#include "GuiFixture.h"
#include "Progress.h"
#include "RegTreeView.h"
#include "StoreHelpers.h"
#include "TreeErrors.h"

namespace zanver {
namespace {

using namespace test;

void DumpNode(const TRegTreeNode* node, int depth, std::string& out) {
    out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + node->Text() + "\n";
    for (int i = 0; i < node->childCount(); ++i)
        DumpNode(node->Child(i), depth + 1, out);
}

class RegTreeViewTest : public GuiTest {
  protected:
    // The tree, one caption a line, indented by depth, in the shown order.
    std::string Tree() const {
        std::string out;
        for (int i = 0; i < view.topLevelItemCount(); ++i)
            DumpNode(AsNode(view.topLevelItem(i)), 0, out);
        return out;
    }
    TRegTreeNode* Node(const std::string& path) { return view.FindNode(path, false); }
    TRegTreeNode* Key(TRegTreeNode* parent, const std::string& name,
                      const std::string& value = "") {
        return view.AddKeyNode(parent, name, value);
    }
    TRegTreeNode* Value(TRegTreeNode* parent, const std::string& name, const std::string& value) {
        return view.AddValueNode(parent, name, value);
    }
    void ExpectErrorBox(const std::string& text) {
        Expect("Error Zanver", text, MessageButtons::Ok, MessageIcon::Stop, MessageResult::Ok);
    }

    TRegTreeView view;
};

// The nodes alone, without the registry.
using RegTreeNodeTest = RegTreeViewTest;

TEST_F(RegTreeNodeTest, CaptionsAndTheLongTextLimit) {
    TRegTreeNode* key = Key(nullptr, "txtfile");
    EXPECT_EQ(key->Text(), "txtfile");
    key->SetValue("\"\"");
    EXPECT_EQ(key->Text(), "txtfile = \"\"");
    TRegTreeNode* value = Value(key, "EditFlags", "");
    EXPECT_EQ(value->Text(), "EditFlags = ");
    // The first "=" splits; both parts are trimmed.
    value->SetText("  a  =  \"b = c\"  ");
    EXPECT_EQ(value->ValueName(), "a");
    EXPECT_EQ(value->NodeValue(), "\"b = c\"");

    // "v = " and two quotes around the text: 259 and 260 characters.
    TRegTreeNode* exact = Value(key, "v", "\"" + std::string(253, 'x') + "\"");
    EXPECT_EQ(exact->Text().size(), 259u);
    EXPECT_FALSE(exact->LongText);
    TRegTreeNode* longer = Value(key, "w", "\"" + std::string(254, 'x') + "\"");
    EXPECT_TRUE(longer->LongText);
    // The limit counts characters as the editor does, not bytes.
    std::string umlauts;
    for (int i = 0; i < 253; ++i)
        umlauts += "\xC3\xBC";
    EXPECT_FALSE(Value(key, "u", "\"" + umlauts + "\"")->LongText);
}

TEST_F(RegTreeNodeTest, EditingALongCaptionAsksBeforeCuttingIt) {
    TRegTreeNode* key = Key(nullptr, "k");
    TRegTreeNode* node = Value(key, "v", "\"" + std::string(300, 'x') + "\"");
    ASSERT_TRUE(gui::ShowAndFocus(&view));
    view.Select(node);
    const std::string question =
        "The original node value has a textual representation longer than 259 chars. If you start "
        "editing it it will be truncated to 259 chars. Do you want to TRUNCATE and edit it?";

    questions.ExpectQuestion(question, MessageResult::No);
    gui::PressKey(&view, Qt::Key_F2);
    EXPECT_FALSE(view.IsEditing());

    questions.ExpectQuestion(question);
    gui::PressKey(&view, Qt::Key_F2);
    ASSERT_TRUE(view.IsEditing());
    auto* editor = view.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text().size(), 259);
    gui::PressKey(editor, Qt::Key_Escape);
    EXPECT_FALSE(view.IsEditing());
    EXPECT_EQ(node->Text().size(), 306u);
}

TEST_F(RegTreeNodeTest, FindChildIgnoresCaseAndTakesTheFirst) {
    for (int children : {3, 40}) {  // searched one by one, and through the name index
        SCOPED_TRACE(children);
        view.ClearTree();
        TRegTreeNode* top = Key(nullptr, "top");
        for (int i = 0; i < children; ++i)
            Key(top, "k" + std::to_string(i));
        TRegTreeNode* first = Key(top, "ShellNew", "\"1\"");
        Key(top, "SHELLNEW", "\"2\"");
        TRegTreeNode* value = Value(top, "val", "dword: 00000001");
        EXPECT_EQ(top->FindChild("shellnew", false), first);
        EXPECT_EQ(top->FindChild("VAL", false), value);
        ASSERT_NE(top->FindChild("K1", false), nullptr);
        EXPECT_EQ(top->FindChild("K1", false)->NodeName(), "k1");
        EXPECT_EQ(top->FindChild("missing", false), nullptr);

        // Renamed, added and deleted children are found (or not) at once.
        first->SetText("Renamed = \"1\"");
        EXPECT_EQ(top->FindChild("renamed", false), first);
        EXPECT_NE(top->FindChild("shellnew", false), first);
        TRegTreeNode* added = Key(top, "Added");
        EXPECT_EQ(top->FindChild("ADDED", false), added);
        delete added;
        EXPECT_EQ(top->FindChild("added", false), nullptr);
    }
}

TEST_F(RegTreeNodeTest, CopySubtreeCopiesCaptionsKindsAndLongText) {
    TRegTreeNode* top = Key(nullptr, "top");
    TRegTreeNode* a = Key(top, "a", "\"A\"");
    Key(a, "sub");
    TRegTreeNode* longValue = Value(a, "v", "\"" + std::string(300, 'x') + "\"");
    longValue->SetText("v = \"short now\"");
    a->Loaded = a->Complete = true;
    TRegTreeNode* dest = Key(top, "dest");

    TRegTreeNode* copy = a->CopyTo(dest);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Tree(),
              "top\n  a = \"A\"\n    sub\n    v = \"short now\"\n"
              "  dest\n    a = \"A\"\n      sub\n      v = \"short now\"\n");
    EXPECT_TRUE(copy->FindChild("sub", false)->IsKey());
    EXPECT_TRUE(copy->FindChild("v", false)->LongText);
    // The copy is read again from the registry when it is opened.
    EXPECT_FALSE(copy->Loaded || copy->Complete);
}

TEST_F(RegTreeNodeTest, ImagesFollowTypeAndExpandedState) {
    TRegTreeNode* top = Key(nullptr, "top");
    TRegTreeNode* sub = Key(top, "sub");
    Key(sub, "deeper");
    EXPECT_EQ(Value(top, "s", "\"x\"")->ImageIndex(), kImageString);
    EXPECT_EQ(Value(top, "e", "expandable string: \"%x%\"")->ImageIndex(), kImageExpandString);
    EXPECT_EQ(Value(top, "d", "dword: 00000001")->ImageIndex(), kImageBinary);
    EXPECT_EQ(sub->ImageIndex(), kImageKeyClosed);
    sub->Complete = true;
    sub->setExpanded(true);
    EXPECT_EQ(sub->ImageIndex(), kImageKeyOpen);
    sub->setExpanded(false);
    EXPECT_EQ(sub->ImageIndex(), kImageKeyClosed);
}

TEST_F(RegTreeViewTest, LoadsTwoLevelsAndDefaultValuesOfTheThirdThenTheRestOnExpanding) {
    SetText(HKEY_CLASSES_ROOT, "a", "", "\"A\"");
    SetText(HKEY_CLASSES_ROOT, "a", "v", "\"x\"");
    SetText(HKEY_CLASSES_ROOT, "a\\b", "", "\"B\"");
    SetText(HKEY_CLASSES_ROOT, "a\\b\\c", "", "\"C\"");
    SetText(HKEY_CLASSES_ROOT, "a\\b\\c", "cv", "dword: 00000001");
    SetText(HKEY_CLASSES_ROOT, "a\\b\\c\\d", "", "\"D\"");
    MakeKey(HKEY_CLASSES_ROOT, "a\\b\\e");
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
    SetText(HKEY_CLASSES_ROOT, "a", "v1", "\"1\"");
    SetText(HKEY_CLASSES_ROOT, "a", "v2", "\"2\"");
    MakeKey(HKEY_CLASSES_ROOT, "a\\s1");
    SetText(HKEY_CLASSES_ROOT, "a\\s2", "", "\"moved\"");
    MakeKey(HKEY_CLASSES_ROOT, "a\\s3\\below");
    view.RefreshPath("a", false);
    TRegTreeNode* v1 = Node("a\\v1");
    ASSERT_NE(v1, nullptr);
    view.Select(v1);
    ASSERT_TRUE(DeleteValue(HKEY_CLASSES_ROOT, "a", "v2"));
    SetText(HKEY_CLASSES_ROOT, "a", "v1", "\"changed\"");
    SetText(HKEY_CLASSES_ROOT, "a", "v3", "hex: 01");
    TRegistry(HKEY_CLASSES_ROOT).MoveKey("a\\s2", "a\\S2new", true);
    ASSERT_TRUE(store.SetUnreadable(HKEY_LOCAL_MACHINE, "Software\\Classes\\a\\s3", true));
    view.RefreshPath("a", true);
    EXPECT_EQ(Tree(), "a\n  s1\n  S2new = \"moved\"\n  v1 = \"changed\"\n  v3 = hex: 01\n");
    EXPECT_EQ(Node("a\\v1"), v1);
    EXPECT_EQ(view.Selected(), v1);
}

TEST_F(RegTreeViewTest, LargeKeyReportsItsProgressOnceForEverySubkey) {
    for (int i = 0; i < 1200; ++i)
        SetText(HKEY_CLASSES_ROOT, "huge\\k" + std::to_string(i) + "\\sub", "", "\"x\"");
    int steps = 0;
    TProgress::StepHook = [&](int done) {
        EXPECT_EQ(done, ++steps);
        return false;  // a load cannot be cancelled: this must change nothing
    };
    view.RefreshPath("huge", false);
    TProgress::StepHook = nullptr;
    EXPECT_EQ(steps, 1200);
    EXPECT_EQ(view.TopNode()->childCount(), 1200);
    EXPECT_TRUE(view.TopNode()->Complete);
    EXPECT_FALSE(TProgress::Running());
}

TEST_F(RegTreeViewTest, NodesStaySortedWhenAddedOrRenamed) {
    for (const char* name : {"b", "d", "f"})
        MakeKey(HKEY_CLASSES_ROOT, std::string("a\\") + name);
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
    MakeKey(HKEY_CLASSES_ROOT, "a\\b\\c\\d");
    MakeKey(HKEY_CLASSES_ROOT, "a\\x\\y");
    SetText(HKEY_CLASSES_ROOT, "a", "x", "\"a value named like a key\"");
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
    // A path that is gone: its deepest existing ancestor, expanded (a value
    // is no step on the way).
    view.RefreshPath("a\\b\\c\\gone\\deeper", false);
    TRegTreeNode* c = Node("a\\b\\c");
    EXPECT_EQ(view.Selected(), c);
    EXPECT_TRUE(c->isExpanded());
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "a\\x"));
    view.RefreshPath("a\\x\\y", false);
    EXPECT_EQ(view.Selected(), view.TopNode());
    TRegTreeNode* x = Node("a\\x");
    EXPECT_TRUE(x != nullptr && !x->IsKey());  // the key's node went, the value's stays

    // Another key replaces the top.
    view.ClearTree();
    view.LoadKeyPath("a\\b");
    EXPECT_EQ(view.TopNode()->NodeName(), "a");
    MakeKey(HKEY_CLASSES_ROOT, "other\\sub\\deep");
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
    SetText(HKEY_CLASSES_ROOT, "CLSID\\{1}\\InprocServer32", "", "\"x.dll\"");
    MakeKey(HKEY_CLASSES_ROOT, "CLSID\\{2}");
    view.RootPath = "CLSID";
    view.RefreshPath("CLSID\\{1}\\InprocServer32", false);
    EXPECT_EQ(Tree(), "{1}\n  InprocServer32 = \"x.dll\"\n");
    TRegTreeNode* server = view.Selected();
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->KeyPath(), "CLSID\\{1}\\InprocServer32");
    std::string keyPath, name, text;
    server->GetRegAddress(keyPath, name, text);
    EXPECT_EQ(keyPath + "|" + name + "|" + text, "CLSID\\{1}\\InprocServer32||\"x.dll\"");
    EXPECT_EQ(view.FindNode("clsid\\{1}\\inprocserver32", false), server);
    EXPECT_EQ(view.RevealPath("CLSID\\{1}\\gone"), view.TopNode());
    EXPECT_EQ(view.StripRootPath("clsid\\{1}\\x"), "{1}\\x");
    EXPECT_EQ(view.StripRootPath("CLSIDX\\{1}"), "CLSIDX\\{1}");
    EXPECT_TRUE(view.IsBelowRootPath("clsid\\{2}"));
    EXPECT_FALSE(view.IsBelowRootPath("CLSIDX"));
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
    SetText(HKEY_CLASSES_ROOT, "a\\k", "", "\"x\"");
    SetText(HKEY_CLASSES_ROOT, "a", "v", "\"1\"");
    SetText(HKEY_CLASSES_ROOT, "a\\gone", "", "\"g\"");
    view.RefreshPath("a", false);
    // Items someone else has deleted already: the user is told, and the view
    // shows what the store holds.
    ASSERT_TRUE(DeleteValue(HKEY_CLASSES_ROOT, "a", "v"));
    TRegTreeNode* gone = Node("a\\gone");
    ExpectErrorBox("Failed to delete a\\v. " + ErrorText(err::kFileNotFound));
    EXPECT_FALSE(view.DeleteNode(Node("a\\v")));
    EXPECT_EQ(Node("a\\v"), nullptr);
    // The refresh has read the key's subkeys again, and the node stays.
    EXPECT_EQ(Node("a\\gone"), gone);
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "a\\gone"));
    ExpectErrorBox("Failed to delete a\\gone. " + ErrorText(err::kFileNotFound));
    EXPECT_FALSE(view.DeleteNode(gone));
    EXPECT_EQ(Node("a\\gone"), nullptr);
    TRegTreeNode* k = Node("a\\k");
    view.PendingNode = k;
    EXPECT_TRUE(view.DeleteNode(k));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\k"));
    EXPECT_EQ(view.PendingNode, nullptr);
    EXPECT_FALSE(view.DeleteNode(nullptr));

    // A load that cannot read the key's information.
    view.ClearTree();
    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);
    faults.FailNth(FaultStore::Call::QueryInfoKey, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf<ERegTreeView>([&] { view.RefreshPath("a", false); }),
              "Could not query key a. " + ErrorText(err::kAccessDenied));
    // The bracket around the load ended: sorting is on again.
    EXPECT_TRUE(view.isSortingEnabled());
    EXPECT_EQ(store.OpenHandleCount(), 0u);
}

TEST_F(RegTreeViewTest, RenameValueChangesLetterCaseThroughATemporaryName) {
    SetText(HKEY_CLASSES_ROOT, "a", "Abc", "\"1\"");
    SetText(HKEY_CLASSES_ROOT, "a", "Other", "\"2\"");
    view.RenameValue("a", "Abc", "ABC");
    EXPECT_EQ(ValueNamesOf(HKEY_CLASSES_ROOT, "a"), (Names{"Other", "ABC"}));
    // Abc0 is taken: the way goes through Abc1, and Abc0 stays.
    SetText(HKEY_CLASSES_ROOT, "a", "Abc0", "\"0\"");
    view.RenameValue("a", "ABC", "Abc");
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "Abc", false), "\"1\"");
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "Abc0", false), "\"0\"");
    EXPECT_EQ(ValueNamesOf(HKEY_CLASSES_ROOT, "a"), (Names{"Other", "Abc0", "Abc"}));
    EXPECT_EQ(ErrorOf<ERegTreeView>([&] { view.RenameValue("a", "Abc", "Other"); }),
              "Cannot rename \"Abc\" to \"Other\" because \"Other\" already exists.");
    EXPECT_EQ(ErrorOf<ERegTreeView>([&] { view.RenameValue("missing", "Abc", "x"); }),
              "Could not open key: missing");
    EXPECT_EQ(store.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace zanver
