// The association tree view: new nodes and their names, deletes with the
// backup of deleted keys (also when the store fails half way), the in-place
// edit records, and the class identifiers of the selection.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include <string>
#include <vector>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "Errors.h"
#include "FaultStore.h"
#include "ZVTreeFixture.h"

namespace zanver {
namespace {

using namespace std::string_literals;

using Call = FaultStore::Call;

// A key with a deep subtree and values of every type, some of them with
// bytes that no value text shows exactly, written in no sorted order.
void MakeRichKey(const std::string& top) {
    const std::vector<std::string> keys = {top,
                                           top + "\\shell",
                                           top + "\\shell\\open",
                                           top + "\\shell\\open\\command",
                                           top + "\\shell\\open\\ddeexec\\Application",
                                           top + "\\DefaultIcon",
                                           top + "\\Empty"};
    for (const std::string& key : keys)
        ASSERT_TRUE(TRegistry(HKEY_CLASSES_ROOT).CreateKey(key));
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        const std::string& key = keys[i];
        SetValueText(HKEY_CLASSES_ROOT, key, "zeta", "\"last first\"");
        SetValueText(HKEY_CLASSES_ROOT, key, "", "\"default " + std::to_string(i) + "\"");
        SetValueText(HKEY_CLASSES_ROOT, key, "Alpha", "dword: 0000002A");
        SetValueText(HKEY_CLASSES_ROOT, key, "path", "expandable string: \"%windir%\\x\"");
        SetValueText(HKEY_CLASSES_ROOT, key, "bin", "hex: 00,FF,10");
        SetValueText(HKEY_CLASSES_ROOT, key, "big", "dword big endian: 01020304");
        SetValueText(HKEY_CLASSES_ROOT, key, "multi", "multiple strings: 61,00,00,62,00,00,00");
        SetValueText(HKEY_CLASSES_ROOT, key, "none", "unassigned: ");
        const std::vector<std::uint8_t> odd = {'a', 0, 'b'};
        ASSERT_TRUE(SetRawValue(HKEY_CLASSES_ROOT, key, "odd", 1, odd.data(), odd.size()));
        const std::vector<std::uint8_t> shortWord = {7, 0};
        ASSERT_TRUE(
            SetRawValue(HKEY_CLASSES_ROOT, key, "short", 4, shortWord.data(), shortWord.size()));
        ASSERT_TRUE(SetRawValue(HKEY_CLASSES_ROOT, key, "type99", 99, odd.data(), odd.size()));
    }
}

using ZVRegTreeViewTest = ZVTreeTest;

TEST_F(ZVRegTreeViewTest, NewNodesGetFreeNamesAndCanBeUndone) {
    OptionFlags = 0;
    Set("a", "", "\"A\"");
    view.RefreshPath("a", false);
    ASSERT_TRUE(gui::ShowAndFocus(&view));
    view.Select(Node("a"));
    for (int i = 0; i < 3; ++i) {
        view.CreateNew(1, false);
        // The new node's in-place edit has started.
        EXPECT_NE(view.EditControl(), nullptr);
        Escape();
    }
    EXPECT_EQ(ValueNames(HKEY_CLASSES_ROOT, "a"),
              (std::vector<std::string>{"", "New string", "New string1", "New string2"}));
    EXPECT_EQ(Caption("a\\New string2"), "New string2 = \"\"");
    view.Select(Node("a"));
    view.CreateNew(4, false);
    Escape();
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "New dword", false), "dword: 00000000");
    view.Select(Node("a\\New dword"));  // a value: its key receives the new node
    view.CreateNew(-1, false);
    Escape();
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "a\\New key"));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "a\\New key", ""));
    EXPECT_EQ(Caption("a\\New key"), "New key = \"\"");
    ASSERT_EQ(UndoList.Count(), 5);
    EXPECT_EQ(UndoList.LastDescription(), "create New key");

    // Undo asks before it deletes what was created; No keeps it and the record.
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\New key", MessageResult::No);
    PerformUndo(UndoList);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "a\\New key"));
    EXPECT_EQ(UndoList.Count(), 5);
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\New key");
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\New dword");
    PerformUndo(UndoList);
    PerformUndo(UndoList);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\New key"));
    EXPECT_EQ(Node("a\\New dword"), nullptr);
    EXPECT_EQ(UndoList.Count(), 3);
}

TEST_F(ZVRegTreeViewTest, NewExtensionAtTheTopOfAnEmptyTree) {
    MakeKey(".NewExt");
    ASSERT_TRUE(gui::ShowAndFocus(&view));
    EXPECT_EQ(ErrorOf<EZanver>([&] { view.CreateNew(1, true); }), "Can only create keys in root.");
    ExpectConfirm("Create HKEY_CLASSES_ROOT\\.NewExt1?", MessageResult::No);
    view.CreateNew(-1, true);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".NewExt1"));
    EXPECT_TRUE(view.IsEmpty());
    EXPECT_TRUE(UndoList.Empty());

    ExpectConfirm("Create HKEY_CLASSES_ROOT\\.NewExt1?");
    TRegTreeNode* created = nullptr;
    view.OnNodeCreated = [&](TRegTreeNode*& node) { created = node; };
    view.CreateNew(-1, true);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->Text(), ".NewExt1 = \"NewExtFile\"");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".NewExt1"));
    // The value text is only shown: the key has no default value yet.
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".NewExt1", ""));
    EXPECT_EQ(UndoList.LastDescription(), "create .NewExt1");
    EXPECT_EQ(UndoList.Last()->Value, ".NewExt1");
    Escape();

    // A handler that takes the node away: no edit is started.
    view.ClearTree();
    view.OnNodeCreated = [](TRegTreeNode*& node) { node = nullptr; };
    ExpectConfirm("Create HKEY_CLASSES_ROOT\\.NewExt2?");
    view.CreateNew(-1, true);
    EXPECT_EQ(view.EditControl(), nullptr);
}

TEST_F(ZVRegTreeViewTest, DeletedKeyComesBackByteForByteAndTheBackupGoes) {
    MakeRichKey("txtfile");
    Set("other", "", "\"stays\"");
    const std::string before = store.Dump();
    view.RefreshPath("txtfile", false);
    int deletedLevel = -1;
    std::string deletedName;
    view.OnNodeDeleted = [&](int level, const std::string& name, TRegTreeNode*) {
        deletedLevel = level;
        deletedName = name;
    };
    std::vector<std::string> renamed;
    view.OnKeyNameChanged = [&](TRegTreeNode*, const std::string& name,
                                const std::string& newName) {
        renamed = {name, newName};
    };

    // A subkey (a path of several components) and then the top key itself.
    ExpectDelete("HKEY_CLASSES_ROOT\\txtfile\\shell");
    view.DeleteNodeUndoable(view.FindNode("txtfile\\shell", true), true);
    EXPECT_EQ(deletedLevel, 1);
    EXPECT_EQ(deletedName, "shell");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "txtfile\\shell"));
    EXPECT_EQ(Node("txtfile\\shell"), nullptr);
    ASSERT_EQ(SubKeys(HKEY_LOCAL_MACHINE, kTestBackupBase).size(), 1u);
    ExpectDelete("HKEY_CLASSES_ROOT\\txtfile");
    view.DeleteNodeUndoable(view.TopNode(), true);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "txtfile"));
    EXPECT_TRUE(view.IsEmpty());
    // Two deletions within the same millisecond get backups of their own.
    EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, kTestBackupBase).size(), 2u);
    ASSERT_EQ(UndoList.Count(), 2);
    EXPECT_EQ(UndoList.Descriptions(0), "delete HKEY_CLASSES_ROOT\\txtfile\\shell");
    EXPECT_EQ(UndoList.LastDescription(), "delete HKEY_CLASSES_ROOT\\txtfile");

    PerformUndo(UndoList);
    EXPECT_EQ(renamed, (std::vector<std::string>{"", "txtfile"}));
    EXPECT_NE(Node("txtfile\\DefaultIcon"), nullptr);
    PerformUndo(UndoList);
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_EQ(renamed, (std::vector<std::string>{"", "txtfile\\shell"}));
    EXPECT_NE(Node("txtfile\\shell\\open"), nullptr);
    // Same keys, values, types, bytes and value order; the backup area empty.
    EXPECT_EQ(store.Dump(), before);
}

TEST_F(ZVRegTreeViewTest, FailedMoveIntoTheBackupLosesNothing) {
    MakeRichKey("txtfile");
    const std::string before = store.Dump();
    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);
    // Both ways a store moves a key: its own move, and copy then delete for a
    // store that has none.
    for (const bool nativeMove : {true, false}) {
        int failures = 0;
        int halfMoved = 0;  // the copy was whole, the original lost part of itself
        const std::vector<Call> kinds =
            nativeMove
                ? std::vector<Call>{Call::MoveKey, Call::CreateKey, Call::DeleteKey, Call::Commit}
                : std::vector<Call>{Call::CreateKey, Call::SetValue, Call::EnumValue,
                                    Call::DeleteKey, Call::Commit};
        for (const Call kind : kinds) {
            for (int n = 1; n <= 40; ++n) {
                SCOPED_TRACE(testing::Message() << "native move " << nativeMove << " call kind "
                                                << static_cast<int>(kind) << " n " << n);
                view.RefreshPath("txtfile", false);
                faults.ClearFaults();
                if (!nativeMove)
                    faults.FailNth(Call::MoveKey, 1, err::kCallNotImplemented);
                faults.FailNth(kind, n, err::kAccessDenied);
                bool failed = false;
                try {
                    view.DeleteKeyUndoable("txtfile\\shell");
                } catch (const Exception&) {
                    failed = true;
                }
                faults.ClearFaults();
                if (failed) {
                    ++failures;
                    halfMoved += kind == Call::DeleteKey ? 1 : 0;
                    // The original is whole, the backup area empty, no record made.
                    EXPECT_EQ(store.Dump(), before);
                    EXPECT_TRUE(UndoList.Empty());
                    EXPECT_NE(view.FindNode("txtfile\\shell\\open\\command", true), nullptr);
                } else {
                    ASSERT_EQ(UndoList.Count(), 1);
                    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "txtfile\\shell"));
                    PerformUndo(UndoList);
                    EXPECT_EQ(store.Dump(), before);
                }
                ASSERT_EQ(store.Dump(), before);
            }
        }
        if (nativeMove) {
            EXPECT_GE(failures, 1);  // the move itself failed
        } else {
            // Both a failed copy and a failed delete of the original were met.
            EXPECT_GT(failures, 8);
            EXPECT_GT(halfMoved, 2);
        }
    }
}

TEST_F(ZVRegTreeViewTest, DeletingValuesAndConfirmedKeysAsksAndRecords) {
    Set("a", "", "\"x\"");
    Set("a", "v", "dword: 00000005");
    Set("a\\b", "", "\"B\"");
    view.RefreshPath("a", false);
    EXPECT_TRUE(view.DeleteKeyConfirmed("a\\missing"));
    ExpectConfirm("Delete key HKEY_CLASSES_ROOT\\a\\b?", MessageResult::No);
    EXPECT_FALSE(view.DeleteKeyConfirmed("a\\b"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "a\\b"));
    ExpectConfirm("Delete key HKEY_CLASSES_ROOT\\a\\b?");
    EXPECT_TRUE(view.DeleteKeyConfirmed("a\\b"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\b"));
    EXPECT_EQ(Node("a\\b"), nullptr);
    ClearUndoList();

    ExpectConfirm("Delete default value of HKEY_CLASSES_ROOT\\a\\ from the registry?",
                  MessageResult::No);
    EXPECT_FALSE(view.DeleteValueUndoable("a", ""));
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, "a", ""));
    ExpectConfirm("Delete default value of HKEY_CLASSES_ROOT\\a\\ from the registry?");
    EXPECT_TRUE(view.DeleteValueUndoable("a", ""));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "a", ""));
    EXPECT_EQ(Caption("a"), "a");
    ASSERT_EQ(UndoList.Count(), 1);
    EXPECT_EQ(UndoList.LastDescription(), "delete HKEY_CLASSES_ROOT\\a\\");
    EXPECT_EQ(UndoList.Last()->Value, "HKEY_CLASSES_ROOT\\a\0\0\"x\""s);
    // A value that is not there: nothing asked, nothing recorded, true.
    EXPECT_TRUE(view.DeleteValueUndoable("a", "missing"));
    EXPECT_EQ(UndoList.Count(), 1);

    // A value node: the record is made from what the registry holds.
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\v");
    view.DeleteNodeUndoable(Node("a\\v"), true);
    EXPECT_EQ(Node("a\\v"), nullptr);
    EXPECT_EQ(UndoList.Last()->Value, "HKEY_CLASSES_ROOT\\a\0v\0dword: 00000005"s);
    PerformUndo(UndoList);
    PerformUndo(UndoList);
    EXPECT_EQ(Caption("a"), "a = \"x\"");
    EXPECT_EQ(Caption("a\\v"), "v = dword: 00000005");
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "", false), "\"x\"");

    // A delete that fails leaves no record behind.
    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);
    faults.FailNth(Call::DeleteValue, 1, err::kAccessDenied);
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\v");
    Expect("Error Zanver", "Failed to delete a\\v. Access is denied", MessageButtons::Ok,
           MessageIcon::Stop, MessageResult::Ok);
    view.DeleteNodeUndoable(Node("a\\v"), true);
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_NE(Node("a\\v"), nullptr);

    // A key deleted behind the view's back: the user is told, no record
    // points at nothing, and the view drops the node.
    Set("a\\stale", "", "\"s\"");
    view.RefreshPath("a", false);
    TRegTreeNode* stale = Node("a\\stale");
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "a\\stale"));
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\stale");
    EXPECT_EQ(ErrorOf([&] { view.DeleteNodeUndoable(stale, true); }),
              "Failed to delete HKEY_CLASSES_ROOT\\a\\stale. " + ErrorText(err::kFileNotFound));
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_EQ(view.FindNode("a\\stale", false), nullptr);
}

TEST_F(ZVRegTreeViewTest, KeystrokesAreRecordedOnlyWhileTheEditLasts) {
    Set("a", "v", "\"x\"");
    view.RefreshPath("a", false);
    ASSERT_TRUE(gui::ShowAndFocus(&view));
    AddUndo(
        UndoList, nullptr, "earlier", "", [](void*, TUndo&) { return true; }, nullptr);

    // Escape after three characters: the list is as it was.
    view.Select(Node("a\\v"));
    view.EditSelected();
    QLineEdit* editor = view.EditControl();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(view.Editing);
    EXPECT_EQ(view.EditPath, "a\\v");
    editor->setCursorPosition(1);
    gui::Type(editor, "abc");
    EXPECT_EQ(UndoList.Count(), 4);
    EXPECT_EQ(UndoList.LastDescription(), "edit tree node");
    EXPECT_EQ(UndoList.Last()->Value, "a\\v\0vab = \"x\""s);
    gui::PressKey(editor, Qt::Key_Escape);
    gui::ProcessEvents();
    EXPECT_EQ(UndoList.Count(), 1);
    EXPECT_EQ(UndoList.LastDescription(), "earlier");
    EXPECT_FALSE(view.Editing);
    EXPECT_EQ(Caption("a\\v"), "v = \"x\"");

    // Undo inside the edit puts the earlier text back with the caret where
    // the change was; committing then withdraws only the edit's own records.
    view.EditSelected();
    editor = view.EditControl();
    ASSERT_NE(editor, nullptr);
    editor->setCursorPosition(1);
    gui::Type(editor, "yz");
    PerformUndo(UndoList);
    EXPECT_EQ(editor->text(), "vy = \"x\"");
    EXPECT_EQ(editor->selectedText(), "");
    PerformUndo(UndoList);
    EXPECT_EQ(editor->text(), "v = \"x\"");
    EXPECT_EQ(editor->cursorPosition(), 1);
    EXPECT_EQ(UndoList.Count(), 1);
    gui::Type(editor, "q");
    EXPECT_EQ(UndoList.Count(), 2);
    std::string edited;
    view.OnEdited = [&](TRegTreeView*, TRegTreeNode*, std::string& text) {
        edited = text;
        // The edit's records are gone before the owner records the change.
        EXPECT_EQ(UndoList.Count(), 1);
    };
    gui::PressKey(editor, Qt::Key_Return);
    gui::ProcessEvents();
    EXPECT_EQ(edited, "vq = \"x\"");
    EXPECT_EQ(UndoList.Count(), 1);
    EXPECT_EQ(UndoList.LastDescription(), "earlier");
}

TEST_F(ZVRegTreeViewTest, EditsThatStartAgainLater) {
    MakeKey("a\\plain");
    Set("a\\word", "", "dword: 00000001");
    Set("a", "v", "\"x\"");
    view.RefreshPath("a", false);
    ASSERT_TRUE(gui::ShowAndFocus(&view));
    // An edit undo puts the text back, restarting the edit that has ended.
    TUndo record;
    record.Value = JoinUndoFields({"a\\v", "v = \"old\""});
    EXPECT_TRUE(TZVRegTreeView::EditUndo(&view, record));
    ASSERT_NE(view.EditControl(), nullptr);
    EXPECT_EQ(view.EditControl()->text(), "v = \"old\"");
    EXPECT_EQ(view.EditControl()->selectedText(), "old");
    EXPECT_TRUE(UndoList.Empty());  // setting the text made no record
    Escape();
    record.Value = JoinUndoFields({"a\\gone", "text"});
    EXPECT_TRUE(TZVRegTreeView::EditUndo(&view, record));
    EXPECT_EQ(view.EditControl(), nullptr);

    // A key without value: refused at first, the caption first shows the value part.
    view.Select(Node("a\\plain"));
    view.EditSelected();
    EXPECT_EQ(view.EditControl(), nullptr);
    EXPECT_EQ(Caption("a\\plain"), "plain = ");
    EXPECT_EQ(view.EditNode(), Node("a\\plain"));
    // The idle processing starts it again, and this time it goes through.
    EXPECT_TRUE(view.StartPendingEdit());
    EXPECT_EQ(view.EditNode(), nullptr);
    QLineEdit* editor = view.EditControl();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "plain = ");
    EXPECT_FALSE(view.StartPendingEdit());
    Escape();
    EXPECT_EQ(Caption("a\\plain"), "plain");  // cancelled: as it was
    view.EditSelected();
    ASSERT_TRUE(view.StartPendingEdit());
    gui::PressKey(view.EditControl(), Qt::Key_Return);
    gui::ProcessEvents();
    EXPECT_EQ(Caption("a\\plain"), "plain");  // ended without a value: the name alone
    // A key with a value is edited at once.
    view.Select(Node("a\\word"));
    view.EditSelected();
    EXPECT_NE(view.EditControl(), nullptr);
    Escape();
    // A node that goes before the idle moment is forgotten.
    view.Select(Node("a\\plain"));
    view.EditSelected();
    ASSERT_NE(view.EditNode(), nullptr);
    delete Node("a\\plain");
    EXPECT_EQ(view.EditNode(), nullptr);
    EXPECT_FALSE(view.StartPendingEdit());
}

TEST_F(ZVRegTreeViewTest, SelectionShowsTheClassesItNames) {
    const std::string known = "{00000000-0000-0000-C000-000000000046}";
    const std::string unknown = "{11111111-2222-3333-4444-555555555555}";
    Set("CLSID\\" + known, "", "\"Known thing\"");
    Set("a", "one", "\"" + known + "\"");
    Set("a", "two", "\"x{y} " + known + " and " + unknown + "\"");
    Set("a", "none", "\"{short}\"");
    view.RefreshPath("a", false);

    view.Select(Node("a\\one"));
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.back(), std::make_pair(known + " is Known thing. ", 1));
    EXPECT_EQ(view.GuidsOfSelected(), std::vector<std::string>{known});

    view.Select(Node("a\\two"));
    EXPECT_EQ(status.back(),
              std::make_pair(unknown + " not found. " + known + " is Known thing. ", 6));
    EXPECT_EQ(view.GuidsOfSelected(), (std::vector<std::string>{known, unknown}));

    view.Select(Node("a\\none"));
    EXPECT_EQ(status.back(), std::make_pair(std::string(), 1));
    EXPECT_TRUE(view.GuidsOfSelected().empty());
}

TEST_F(ZVRegTreeViewTest, ShowKeyCaptionFocusAndMoveEvents) {
    Set("a\\b", "", "\"B\"");
    Set("a", "v", "\"x\"");
    Set("c", "", "\"C\"");
    QWidget window;
    auto* box = new QGroupBox(&window);
    auto* layout = new QVBoxLayout(box);
    auto* other = new QLineEdit(&window);
    auto* zv = new TZVRegTreeView(box);
    layout->addWidget(zv);
    new QVBoxLayout(&window);
    window.layout()->addWidget(box);
    window.layout()->addWidget(other);
    zv->setToolTip("Tree of the key");

    zv->UpdateCaption();
    EXPECT_EQ(box->title(), "");
    zv->ShowKey("a");
    EXPECT_TRUE(zv->TopNode()->isExpanded());  // an empty tree opens its top
    zv->UpdateCaption();
    EXPECT_EQ(box->title(), "HKEY_CLASSES_ROOT\\a");
    zv->TopNode()->setExpanded(false);
    zv->ShowKey("a");
    EXPECT_FALSE(zv->TopNode()->isExpanded());  // a closed top stays closed

    // Getting the focus selects the top node and shows the hint.
    ASSERT_TRUE(gui::ShowAndFocus(other));
    int entered = 0;
    zv->OnEnter = [&] { ++entered; };
    zv->Select(nullptr);
    status.clear();
    zv->setFocus(Qt::TabFocusReason);
    gui::ProcessEvents();
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(zv->Selected(), zv->TopNode());
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.back(), std::make_pair(std::string("Tree of the key"), 0));

    // A value moved here from another view: changed here, deleted there.
    TZVRegTreeView source;
    source.RefreshPath("c", false);
    std::string changed;
    std::string deleted;
    zv->OnNodeChanged = [&](int level, const std::string& name, TRegTreeNode* parent) {
        changed = std::to_string(level) + " " + name + " in " + parent->NodeName();
    };
    source.OnNodeDeleted = [&](int level, const std::string& name, TRegTreeNode* parent) {
        deleted = std::to_string(level) + " " + name + " in " + parent->NodeName();
    };
    zv->ShowKey("a");
    Set("c", "w", "\"moved\"");
    source.RefreshPath("c", false);
    zv->MoveCopyNode(source.FindNode("c\\w", false), zv->FindNode("a\\b", true), false);
    EXPECT_EQ(changed, "2 w in b");
    EXPECT_EQ(deleted, "1 w in c");
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, "a\\b", "w"));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "c", "w"));
}

}  // namespace
}  // namespace zanver
