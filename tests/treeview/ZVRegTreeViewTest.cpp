// The association tree view: new nodes and their names, deletes with the
// backup of deleted keys (also when the store fails half way), the in-place
// edit records, the class identifiers of the selection and the focus; its
// undo procedures, each against the record it is given.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QVBoxLayout>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "Errors.h"
#include "FaultStore.h"
#include "GuiFixture.h"
#include "KeyPaths.h"
#include "Status.h"
#include "StoreHelpers.h"
#include "SystemHelpers.h"
#include "UndoBackup.h"
#include "Vocabulary.h"
#include "WindowHost.h"
#include "ZVRegTreeView.h"

namespace zanver {
namespace {

using Call = FaultStore::Call;
using namespace test;

constexpr char kTestBackupBase[] = "Software\\KQ\\Zanver\\Undo\\0000BEEF";

// A view over the classes root, a fixed backup base and a status line that
// records what it is shown.
class ZVTreeTest : public GuiTest {
  protected:
    ZVTreeTest() {
        UndoBackupBase = kTestBackupBase;
        // The base key exists from the start, so that a store that is back
        // to its first state has an empty backup area.
        MakeKey(HKEY_LOCAL_MACHINE, kTestBackupBase);
        StatusHandler = [this](std::string_view text, int level) {
            status.emplace_back(std::string(text), level);
        };
        view.resize(400, 600);
    }

    void ExpectDelete(const std::string& fullPath, MessageResult answer = MessageResult::Yes) {
        questions.ExpectQuestion("Delete " + fullPath + " from the registry?", answer);
    }
    // Ends an in-place edit as the Escape key does.
    void Escape() {
        if (QLineEdit* editor = view.EditControl())
            gui::PressKey(editor, Qt::Key_Escape);
        gui::ProcessEvents();
    }
    TRegTreeNode* Node(const std::string& path) { return view.FindNode(path, false); }
    std::string Caption(const std::string& path) {
        TRegTreeNode* node = Node(path);
        return node != nullptr ? node->Text() : "<none>";
    }

    std::vector<std::pair<std::string, int>> status;
    TZVRegTreeView view;
};

// A key with a deep subtree and values of every type, some of them with
// bytes that no value text shows exactly, written in no sorted order.
void MakeRichKey(const std::string& top) {
    const std::string keys[] = {top,
                                top + "\\shell",
                                top + "\\shell\\open",
                                top + "\\shell\\open\\command",
                                top + "\\shell\\open\\ddeexec\\Application",
                                top + "\\DefaultIcon"};
    MakeKey(HKEY_CLASSES_ROOT, top + "\\Empty");
    const char* const texts[][2] = {{"Alpha", "dword: 0000002A"},
                                    {"path", "expandable string: \"%windir%\\x\""},
                                    {"bin", "hex: 00,FF,10"},
                                    {"big", "dword big endian: 01020304"},
                                    {"multi", "multiple strings: 61,00,00,62,00,00,00"},
                                    {"none", "unassigned: "}};
    for (const std::string& key : keys) {
        SetText(HKEY_CLASSES_ROOT, key, "zeta", "\"last first\"");
        SetText(HKEY_CLASSES_ROOT, key, "", "\"default " + key + "\"");
        for (const auto& [name, text] : texts)
            SetText(HKEY_CLASSES_ROOT, key, name, text);
        SetBytes(HKEY_CLASSES_ROOT, key, "odd", RegSz, {'a', 0, 'b'});
        SetBytes(HKEY_CLASSES_ROOT, key, "short", RegDword, {7, 0});
        SetBytes(HKEY_CLASSES_ROOT, key, "type99", 99, {'a', 0, 'b'});
    }
}

using ZVRegTreeViewTest = ZVTreeTest;

TEST_F(ZVRegTreeViewTest, NewNodesGetFreeNamesAndCanBeUndone) {
    OptionFlags = 0;
    SetText(HKEY_CLASSES_ROOT, "a", "", "\"A\"");
    view.RefreshPath("a", false);
    ASSERT_TRUE(gui::ShowAndFocus(&view));
    view.Select(Node("a"));
    for (int i = 0; i < 3; ++i) {
        view.CreateNew(1, false);
        // The new node's in-place edit has started.
        EXPECT_NE(view.EditControl(), nullptr);
        Escape();
    }
    EXPECT_EQ(ValueNamesOf(HKEY_CLASSES_ROOT, "a"),
              (Names{"", "New string", "New string1", "New string2"}));
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
}

TEST_F(ZVRegTreeViewTest, NewExtensionAtTheTopOfAnEmptyTree) {
    MakeKey(HKEY_CLASSES_ROOT, ".NewExt");
    ASSERT_TRUE(gui::ShowAndFocus(&view));
    EXPECT_EQ(ErrorOf<EZanver>([&] { view.CreateNew(1, true); }), "Can only create keys in root.");
    questions.ExpectConfirm("Create HKEY_CLASSES_ROOT\\.NewExt1?", MessageResult::No);
    view.CreateNew(-1, true);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".NewExt1"));
    EXPECT_TRUE(view.IsEmpty());
    EXPECT_TRUE(UndoList.Empty());

    questions.ExpectConfirm("Create HKEY_CLASSES_ROOT\\.NewExt1?");
    TRegTreeNode* created = nullptr;
    view.OnNodeCreated = [&](TRegTreeNode*& node) { created = node; };
    view.CreateNew(-1, true);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->Text(), ".NewExt1 = \"NewExtFile\"");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".NewExt1"));
    // The value text is only shown: the key has no default value yet.
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".NewExt1", ""));
    EXPECT_EQ(UndoList.LastDescription(), "create .NewExt1");
    Escape();
}

TEST_F(ZVRegTreeViewTest, DeletedKeyComesBackByteForByteAndTheBackupGoes) {
    MakeRichKey("txtfile");
    SetText(HKEY_CLASSES_ROOT, "other", "", "\"stays\"");
    // Backups left over under the stamps of the coming seconds are stepped
    // over, never overwritten.
    char stamp[9];
    for (std::uint32_t tick = TickCount(), end = tick + 3000; tick != end; ++tick) {
        std::snprintf(stamp, sizeof stamp, "%.8X", static_cast<unsigned>(tick));
        MakeKey(HKEY_LOCAL_MACHINE, std::string(kTestBackupBase) + "\\" + stamp + "txtfile");
    }
    const std::string before = store.Dump();
    view.RefreshPath("txtfile", false);
    std::string deleted;
    view.OnNodeDeleted = [&](int level, const std::string& name, TRegTreeNode*) {
        deleted = std::to_string(level) + " " + name;
    };
    Names renamed;
    view.OnKeyNameChanged = [&](TRegTreeNode*, const std::string& name,
                                const std::string& newName) {
        renamed = {name, newName};
    };

    // A subkey (a path of several components) and then the top key itself.
    ExpectDelete("HKEY_CLASSES_ROOT\\txtfile\\shell");
    view.DeleteNodeUndoable(view.FindNode("txtfile\\shell", true), true);
    EXPECT_EQ(deleted, "1 shell");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "txtfile\\shell"));
    EXPECT_EQ(Node("txtfile\\shell"), nullptr);
    ASSERT_EQ(SubKeysOf(HKEY_LOCAL_MACHINE, kTestBackupBase).size(), 3001u);
    ExpectDelete("HKEY_CLASSES_ROOT\\txtfile");
    view.DeleteNodeUndoable(view.TopNode(), true);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "txtfile"));
    EXPECT_TRUE(view.IsEmpty());
    // Each deletion has a backup of its own.
    EXPECT_EQ(SubKeysOf(HKEY_LOCAL_MACHINE, kTestBackupBase).size(), 3002u);
    ASSERT_EQ(UndoList.Count(), 2);
    EXPECT_EQ(UndoList.Descriptions(0), "delete HKEY_CLASSES_ROOT\\txtfile\\shell");
    EXPECT_EQ(UndoList.LastDescription(), "delete HKEY_CLASSES_ROOT\\txtfile");

    PerformUndo(UndoList);
    EXPECT_EQ(renamed, (Names{"", "txtfile"}));
    EXPECT_NE(Node("txtfile\\DefaultIcon"), nullptr);
    PerformUndo(UndoList);
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_EQ(renamed, (Names{"", "txtfile\\shell"}));
    EXPECT_NE(Node("txtfile\\shell\\open"), nullptr);
    // Same keys, values, types, bytes and value order; the backup area empty.
    EXPECT_EQ(store.Dump(), before);
}

TEST_F(ZVRegTreeViewTest, FailedMoveIntoTheBackupLosesNothing) {
    MakeRichKey("txtfile");
    const std::string before = store.Dump();
    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);
    // The store's own move fails; for a store without a move, the copy fails
    // half way, or the delete of the original after a whole copy.
    for (const auto& [copy, kind, n] :
         {std::tuple{false, Call::MoveKey, 1}, std::tuple{true, Call::SetValue, 20},
          std::tuple{true, Call::DeleteKey, 3}}) {
        SCOPED_TRACE(testing::Message() << "call kind " << static_cast<int>(kind));
        view.RefreshPath("txtfile", false);
        if (copy)
            faults.FailNth(Call::MoveKey, 1, err::kCallNotImplemented);
        faults.FailNth(kind, n, err::kAccessDenied);
        EXPECT_NE(ErrorOf([&] { view.DeleteKeyUndoable("txtfile\\shell"); }), "no error");
        EXPECT_FALSE(faults.FaultsPending());
        faults.ClearFaults();
        // No record, the node stays, the original is whole and the backup
        // area empty again.
        EXPECT_TRUE(UndoList.Empty());
        EXPECT_NE(view.FindNode("txtfile\\shell\\open\\command", true), nullptr);
        EXPECT_EQ(store.Dump(), before);
    }
}

TEST_F(ZVRegTreeViewTest, DeletingValuesAndConfirmedKeysAsksAndRecords) {
    SetText(HKEY_CLASSES_ROOT, "a", "", "\"x\"");
    SetText(HKEY_CLASSES_ROOT, "a", "v", "dword: 00000005");
    SetText(HKEY_CLASSES_ROOT, "a\\b", "", "\"B\"");
    view.RefreshPath("a", false);
    EXPECT_TRUE(view.DeleteKeyConfirmed("a\\missing"));
    for (const bool yes : {false, true}) {
        questions.ExpectConfirm("Delete key HKEY_CLASSES_ROOT\\a\\b?",
                                yes ? MessageResult::Yes : MessageResult::No);
        EXPECT_EQ(view.DeleteKeyConfirmed("a\\b"), yes);
        EXPECT_NE(KeyExists(HKEY_CLASSES_ROOT, "a\\b"), yes);
    }
    EXPECT_EQ(Node("a\\b"), nullptr);
    ProgramState::ClearUndoList();

    for (const bool yes : {false, true}) {
        questions.ExpectConfirm("Delete default value of HKEY_CLASSES_ROOT\\a\\ from the registry?",
                                yes ? MessageResult::Yes : MessageResult::No);
        EXPECT_EQ(view.DeleteValueUndoable("a", ""), yes);
        EXPECT_NE(ValueExists(HKEY_CLASSES_ROOT, "a", ""), yes);
    }
    EXPECT_EQ(Caption("a"), "a");
    ASSERT_EQ(UndoList.Count(), 1);
    EXPECT_EQ(UndoList.LastDescription(), "delete HKEY_CLASSES_ROOT\\a\\");

    // A value node: the record is made from what the registry holds, not
    // from the caption.
    Node("a\\v")->SetText("v = \"shown\"");
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\v");
    view.DeleteNodeUndoable(Node("a\\v"), true);
    EXPECT_EQ(Node("a\\v"), nullptr);
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
    SetText(HKEY_CLASSES_ROOT, "a\\stale", "", "\"s\"");
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
    SetText(HKEY_CLASSES_ROOT, "a", "v", "\"x\"");
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
    editor->setCursorPosition(1);
    gui::Type(editor, "abc");
    EXPECT_EQ(UndoList.Count(), 4);
    EXPECT_EQ(UndoList.LastDescription(), "edit tree node");
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
    MakeKey(HKEY_CLASSES_ROOT, "a\\plain");
    SetText(HKEY_CLASSES_ROOT, "a", "v", "\"x\"");
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
    SetText(HKEY_CLASSES_ROOT, "CLSID\\" + known, "", "\"Known thing\"");
    SetText(HKEY_CLASSES_ROOT, "a", "one", "\"" + known + "\"");
    SetText(HKEY_CLASSES_ROOT, "a", "two", "\"x{y} " + known + " and " + unknown + "\"");
    view.RefreshPath("a", false);

    view.Select(Node("a\\one"));
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.back(), std::make_pair(known + " is Known thing. ", 1));
    view.Select(Node("a\\two"));
    EXPECT_EQ(status.back(),
              std::make_pair(unknown + " not found. " + known + " is Known thing. ", 6));
}

TEST_F(ZVRegTreeViewTest, ShowKeyOpensOnlyANewTopAndTheFocusSelectsIt) {
    SetText(HKEY_CLASSES_ROOT, "a\\b", "", "\"B\"");
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* zv = new TZVRegTreeView;
    auto* other = new QLineEdit;
    layout->addWidget(zv);
    layout->addWidget(other);
    zv->setToolTip("Tree of the key");
    zv->ShowKey("a");
    EXPECT_TRUE(zv->TopNode()->isExpanded());  // an empty tree opens its top
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
}

class RecordingHost : public WindowHost {
  public:
    void ClearLastFocus() override {}
    void SetLastFocusToActive() override {}
    void UpdateEditCommands(bool, bool) override {}
    void ClearStatus(StatusLevelSet) override {}
    void EditApplicationRefresh() override { ++applicationRefreshes; }
    int applicationRefreshes = 0;
};

class ZVTreeUndoTest : public ZVTreeTest {
  protected:
    ZVTreeUndoTest() { OptionFlags = 0; }
    void Record(const std::string& value, UndoProcedure procedure) {
        AddUndo(UndoList, &view, "test", value, std::move(procedure), &view);
    }
};

TEST_F(ZVTreeUndoTest, RestoreValueWritesTheOldTextBackAndTellsTheOwner) {
    SetText(HKEY_CLASSES_ROOT, "a", "v", "\"old\"");
    SetText(HKEY_CLASSES_ROOT, "a", "", "\"default\"");
    view.RefreshPath("a", false);
    EXPECT_TRUE(view.WriteValueUndoable("a", "v", "dword: 00000001"));
    EXPECT_TRUE(view.WriteStringUndoable("a", "", true, "%x%"));
    EXPECT_EQ(Caption("a"), "a = expandable string: \"%x%\"");
    EXPECT_EQ(Caption("a\\v"), "v = dword: 00000001");
    Names changed;
    view.OnNodeValueChanged = [&](TRegTreeNode* node, const std::string& text) {
        changed.push_back(node->NodeName() + "=" + text);
    };
    PerformUndo(UndoList);
    PerformUndo(UndoList);
    EXPECT_EQ(changed, (Names{"a=\"default\"", "v=\"old\""}));
    EXPECT_EQ(Caption("a"), "a = \"default\"");
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "v", false), "\"old\"");

    // A value of a key the view no longer shows is written without a node.
    view.ClearTree();
    SetText(HKEY_CLASSES_ROOT, "b", "", "\"B\"");
    view.RefreshPath("b", false);
    Record("HKEY_CLASSES_ROOT\\a\\w = hex: 01,02", TZVRegTreeView::RestoreValue);
    PerformUndo(UndoList);
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "w", false), "hex: 01,02");
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_EQ(view.TopNode()->NodeName(), "b");
}

TEST_F(ZVTreeUndoTest, DeletesAndOverwritesComeBackWithTheirExactTypeAndBytes) {
    // Values whose display form drops bytes, also as default values (which
    // a write of "unassigned" or of an empty string would change).
    for (const auto& [type, data] : std::vector<std::pair<std::uint32_t, Bytes>>{
             {RegNone, {1, 2, 3}}, {RegNone, {}}, {RegSz, {}}, {RegExpandSz, {'%', 0, 'A'}}}) {
        SCOPED_TRACE(testing::Message() << type << " of " << data.size() << " bytes");
        // Names of every kind come back too.
        for (const char* name : {"v", "", "a=b", " v ", "C:\\x.dll"}) {
            SetBytes(HKEY_CLASSES_ROOT, "a", name, type, data);
            const std::string before = store.Dump();
            view.RefreshPath("a", false);
            EXPECT_TRUE(view.DeleteValueUndoable("a", name));
            PerformUndo(UndoList);
            EXPECT_TRUE(view.WriteValueUndoable("a", name, "\"x\""));
            PerformUndo(UndoList);
            if (std::string(name) == "v") {
                ExpectDelete("HKEY_CLASSES_ROOT\\a\\v");
                view.DeleteNodeUndoable(Node("a\\v"), true);
                PerformUndo(UndoList);
            }
            EXPECT_TRUE(UndoList.Empty());
            EXPECT_EQ(store.Dump(), before) << name;
        }
        ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "a"));
    }
    // A removal the store refuses says so and keeps its record.
    SetText(HKEY_CLASSES_ROOT, "b", "", "\"B\"");
    EXPECT_TRUE(view.WriteValueUndoable("b", "C:\\x.dll", "\"x\""));
    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);
    faults.FailNth(FaultStore::Call::DeleteValue, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf([] { PerformUndo(UndoList); }),
              "Failed to delete HKEY_CLASSES_ROOT\\b\\C:\\x.dll. " + ErrorText(err::kAccessDenied));
    EXPECT_EQ(UndoList.Count(), 1);
}

TEST_F(ZVTreeUndoTest, RestoreValueOfAnotherRootRefreshesTheApplicationOverride) {
    RecordingHost host;
    WindowHost* previous = SetWindowHost(&host);
    const std::string key = std::string(kFileExtsPrefix) + ".abc";
    WriteString(HKEY_CURRENT_USER, key, "Application", false, "abc.exe");
    EXPECT_TRUE(view.DeleteValueUndoable(HKEY_CURRENT_USER, key, false, "Application"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, key, "Application"));
    PerformUndo(UndoList);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, key, "Application"), "abc.exe");
    EXPECT_EQ(host.applicationRefreshes, 1);
    SetWindowHost(previous);
}

TEST_F(ZVTreeUndoTest, RemoveCreatedTakesAwayKeysAndValuesWithoutNodes) {
    SetText(HKEY_CLASSES_ROOT, "a\\made", "v", "\"1\"");
    SetText(HKEY_CLASSES_ROOT, "a", "w", "\"2\"");
    SetText(HKEY_CLASSES_ROOT, "a", "", "\"3\"");
    SetText(HKEY_CLASSES_ROOT, "b", "", "\"B\"");
    view.RefreshPath("b", false);  // the tree shows none of it
    Record("a\\made", TZVRegTreeView::RemoveCreated);
    Record(JoinUndoFields({"a", "w"}), TZVRegTreeView::RemoveCreated);
    // A created default value goes alone; its key stays.
    Record(JoinUndoFields({"a", ""}), TZVRegTreeView::RemoveCreated);
    PerformUndo(UndoList);
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "a", ""));
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, "a", "w"));
    PerformUndo(UndoList);
    PerformUndo(UndoList);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\made"));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "a", "w"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "a"));

    // A value created beside a subkey of the same name goes alone, and so
    // does one whose name holds a backslash, node and all.
    MakeKey(HKEY_CLASSES_ROOT, "a\\twin\\inner");
    view.RefreshPath("a", false);
    EXPECT_TRUE(view.WriteValueUndoable("a", "twin", "\"v\""));
    EXPECT_TRUE(view.WriteValueUndoable("a", "C:\\x.dll", "\"v\""));
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\C:\\x.dll");
    PerformUndo(UndoList);
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\twin");
    PerformUndo(UndoList);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "a\\twin\\inner"));
    EXPECT_TRUE(ValueNamesOf(HKEY_CLASSES_ROOT, "a").empty());
    EXPECT_EQ(view.TopNode()->childCount(), 1);
}

TEST_F(ZVTreeUndoTest, RenamesAreTakenBack) {
    SetText(HKEY_CLASSES_ROOT, "a\\old", "", "\"O\"");
    SetText(HKEY_CLASSES_ROOT, "a\\old\\deep", "q", "\"Q\"");
    SetText(HKEY_CLASSES_ROOT, "a", "Abc", "\"v\"");
    view.RefreshPath("a", false);
    Names events;
    view.OnKeyNameChanged = [&](TRegTreeNode* node, const std::string& name,
                                const std::string& newName) {
        events.push_back("key " + name + ">" + newName + (node ? " node" : ""));
    };
    view.OnValueNameChanged = [&](TRegTreeNode* node, const std::string& name,
                                  const std::string& newName) {
        events.push_back("value " + name + ">" + newName + (node ? " node" : ""));
    };

    // A key renamed the way the main window does it: moved, node captioned.
    view.MoveCopyKey(HKEY_CLASSES_ROOT, "a\\old", false, "a\\new", HKEY_CLASSES_ROOT);
    Node("a\\old")->SetNameValue("new", "\"O\"");
    Record(JoinUndoFields({"a\\old", "a\\new"}), TZVRegTreeView::UndoKeyRename);
    PerformUndo(UndoList);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "a\\old\\deep"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\new"));
    EXPECT_EQ(Caption("a\\old"), "old = \"O\"");
    EXPECT_EQ(view.Selected(), Node("a\\old"));

    // A value renamed in letter case only.
    view.RenameValue("a", "Abc", "ABC");
    EXPECT_EQ(ValueNamesOf(HKEY_CLASSES_ROOT, "a"), Names{"ABC"});
    Record(JoinUndoFields({"a", "Abc", "ABC"}), TZVRegTreeView::UndoValueRename);
    PerformUndo(UndoList);
    EXPECT_EQ(ValueNamesOf(HKEY_CLASSES_ROOT, "a"), Names{"Abc"});
    EXPECT_EQ(Caption("a\\Abc"), "Abc = \"v\"");

    // Renamed values and keys without nodes are found by reloading.
    view.RenameValue("a", "Abc", "Other");
    delete Node("a\\Abc");
    Record(JoinUndoFields({"a", "Abc", "Other"}), TZVRegTreeView::UndoValueRename);
    PerformUndo(UndoList);
    EXPECT_EQ(ValueNamesOf(HKEY_CLASSES_ROOT, "a"), Names{"Abc"});
    EXPECT_EQ(view.Selected(), Node("a\\Abc"));
    EXPECT_EQ(events,
              (Names{"key a\\new>a\\old node", "value ABC>Abc node", "value Other>Abc node"}));
}

TEST_F(ZVTreeUndoTest, KeyBelowAClassPathComesBackAndItsBackupGoes) {
    const std::string clsid = "{12345678-1234-1234-1234-123456789ABC}";
    const std::string key = "CLSID\\" + clsid;
    SetText(HKEY_CLASSES_ROOT, key, "", "\"Thing\"");
    SetText(HKEY_CLASSES_ROOT, key + "\\InProcServer32", "", "\"thing.dll\"");
    SetText(HKEY_CLASSES_ROOT, key + "\\InProcServer32", "ThreadingModel", "\"Both\"");
    const std::string before = store.Dump();
    view.RootPath = "CLSID";
    view.RefreshPath(key, false);
    ExpectDelete("HKEY_CLASSES_ROOT\\" + key + "\\InProcServer32");
    view.DeleteNodeUndoable(Node(key + "\\InProcServer32"), true);
    EXPECT_EQ(SubKeysOf(HKEY_CLASSES_ROOT, key), Names{});
    PerformUndo(UndoList);
    EXPECT_EQ(store.Dump(), before);
    EXPECT_NE(Node(key + "\\InProcServer32"), nullptr);
}

}  // namespace
}  // namespace zanver
