// The window's answers to the events of its two tree views, the new file type
// made in the file type tree, and paste into a tree.
#include <QComboBox>
#include <QLineEdit>

#include "CoordinationFixture.h"
#include "Options.h"

namespace zanver {
namespace {

using enum PanelField;
using Fields = std::vector<PanelField>;

constexpr char kShortcutClass[] = "CLSID\\{00021401-0000-0000-C000-000000000046}";

// An event on a node: its path in the tree, two names (old and new, or the
// value text and nothing) and the refreshes expected.
struct NodeRow {
    const char* path;
    const char* a;
    const char* b;
    Fields want;
};
// An event given as level and name (the parent given as a path, or none).
struct LevelRow {
    int level;
    const char* name;
    const char* parent;
    Fields want;
};

TEST_F(CoordinationTest, ExtensionTreeEventsRefreshTheirFields) {
    OpenTxt();
    TZVFormMain& w = *window;
    const std::vector<NodeRow> keyRenames = {
        {".txt\\ShellNew", ".txt\\Foo", ".txt\\ShellNew", {Template}},
        {".txt\\ShellNew", ".txt\\shellnew", ".txt\\Bar", {Template}},
        {".txt\\txtfile", ".txt\\x", ".txt\\TXTFILE", {Template}},  // the file type's name
        {".txt\\Other", ".txt\\A", ".txt\\Other", {}},
        {".txt\\txtfile\\ShellNew", ".txt\\txtfile\\S", ".txt\\txtfile\\SHELLNEW", {Template}},
        {".txt\\txtfile\\ShellNew", ".txt\\txtfile\\a", ".txt\\txtfile\\txtfile", {}},
    };
    for (const NodeRow& row : keyRenames) {
        SCOPED_TRACE(std::string("key renamed: ") + row.path + " " + row.a + " -> " + row.b);
        fields.clear();
        w.RegTreeViewExtKeyNameChanged(ExtNode(row.path), row.a, row.b);
        EXPECT_EQ(fields, row.want);
    }
    const std::vector<LevelRow> changes = {
        {1, "Content Type", nullptr, {Mime}},
        {1, "CONTENT TYPE", nullptr, {Mime}},
        {1, "ShellNew", nullptr, {Template}},
        {1, "TxtFile", nullptr, {Template}},
        {1, "Other", nullptr, {}},
        {2, "FileName", nullptr, {Template}},
        {3, "nullfile", nullptr, {Template}},
        {2, "ShellNew", nullptr, {Template}},
        {4, "ShellNew", nullptr, {}},
        {2, "Content Type", nullptr, {}},
        {2, "txtfile", nullptr, {}},
    };
    for (const LevelRow& row : changes) {
        SCOPED_TRACE("node changed or deleted: " + std::to_string(row.level) + " " + row.name);
        fields.clear();
        w.RegTreeViewExtNodeChanged(row.level, row.name, nullptr);
        EXPECT_EQ(fields, row.want);
        // Below the top a deletion is handled as a change.
        fields.clear();
        w.RegTreeViewExtNodeDeleted(row.level, row.name, nullptr);
        EXPECT_EQ(fields, row.want);
    }
    const std::vector<NodeRow> valueChanges = {
        {".txt\\Content Type", "\"text/x\"", "", {Mime}},
        {".txt\\ShellNew", "\"x\"", "", {}},
        {".txt\\Other\\Plain", "\"q\"", "", {}},
        {".txt\\ShellNew\\FileName", "\"z.txt\"", "", {Template}},
        {".txt\\txtfile\\ShellNew\\FileName", "\"z.txt\"", "", {Template}},
        {".txt\\ShellNew\\NullFile", "\"\"", "", {}},
    };
    for (const NodeRow& row : valueChanges) {
        SCOPED_TRACE(std::string("value changed: ") + row.path);
        fields.clear();
        w.RegTreeViewExtNodeValueChanged(ExtNode(row.path), row.a);
        EXPECT_EQ(fields, row.want);
    }
    const std::vector<NodeRow> valueRenames = {
        {".txt\\Content Type", "Content Type", "Mime", {Mime}},
        {".txt\\Content Type", "x", "content type", {Mime}},
        {".txt\\Content Type", "a", "b", {}},
        {".txt\\Content Type", "NullFile", "b", {}},
        {".txt\\ShellNew\\FileName", "NullFile", "x", {Template}},
        {".txt\\ShellNew\\FileName", "x", "FILENAME", {Template}},
        {".txt\\ShellNew\\FileName", "a", "b", {}},
        {".txt\\txtfile\\ShellNew\\FileName", "Content Type", "b", {}},
    };
    for (const NodeRow& row : valueRenames) {
        SCOPED_TRACE(std::string("value renamed: ") + row.path + " " + row.a + " -> " + row.b);
        fields.clear();
        w.RegTreeViewExtValueNameChanged(ExtNode(row.path), row.a, row.b);
        EXPECT_EQ(fields, row.want);
    }
    // A value renamed outside the key shown comes without a node.
    fields.clear();
    w.RegTreeViewExtValueNameChanged(nullptr, "Content Type", "x");
    EXPECT_EQ(fields, Fields{});
}

TEST_F(CoordinationTest, FileTypeTreeEventsRefreshTheirFields) {
    OpenTxt();
    TZVFormMain& w = *window;
    const std::vector<NodeRow> keyRenames = {
        {"txtfile\\DefaultIcon", "txtfile\\DefaultIcon", "txtfile\\Icon2", {Icon}},
        {"txtfile\\CLSID", "txtfile\\x", "txtfile\\clsid", {Icon, ClassCheck}},
        {"txtfile\\shell", "txtfile\\Verbs", "txtfile\\shell", {Actions}},
        {"txtfile\\Misc", "txtfile\\Misc", "txtfile\\Other", {ServerCheck}},
        {"txtfile\\shell\\open", "txtfile\\shell\\open", "txtfile\\shell\\edit", {Actions}},
        {"txtfile\\Misc\\Sub", "txtfile\\Misc\\Sub", "txtfile\\Misc\\shell", {}},
        {"txtfile\\shell\\open\\command",
         "txtfile\\shell\\open\\command",
         "txtfile\\shell\\open\\cmd",
         {Command}},
        {"txtfile\\shell\\open\\ddeexec",
         "txtfile\\shell\\open\\x",
         "txtfile\\shell\\open\\DDEExec",
         {DdeCaption}},
        {"txtfile\\shell\\open\\other", "txtfile\\shell\\open\\a", "txtfile\\shell\\open\\b", {}},
    };
    for (const NodeRow& row : keyRenames) {
        SCOPED_TRACE(std::string("key renamed: ") + row.path + " " + row.a + " -> " + row.b);
        fields.clear();
        w.RegTreeViewFileTypeKeyNameChanged(FileTypeNode(row.path), row.a, row.b);
        EXPECT_EQ(fields, row.want);
    }
    // Without a node (the key came back where the tree shows none) the
    // level and the parent come from the path.
    fields.clear();
    w.RegTreeViewFileTypeKeyNameChanged(nullptr, "txtfile\\shell\\x", "txtfile\\Shell\\y");
    EXPECT_EQ(fields, Fields{Actions});

    const std::vector<LevelRow> changes = {
        {1, "shell", nullptr, {Actions}},
        {1, "DefaultIcon", nullptr, {Icon}},
        {1, "CLSID", nullptr, {Icon, ClassCheck}},
        {1, "editflags", nullptr, {ConfirmOpen}},
        {1, "AlwaysShowExt", nullptr, {ShowExt}},
        {1, "NeverShowExt", nullptr, {ShowExt}},
        {1, "Foo", nullptr, {ServerCheck}},
        {2, "open", "txtfile\\shell", {Actions}},
        {2, "Sub", "txtfile\\Misc", {}},
        {3, "command", nullptr, {Command}},
        {3, "DDEEXEC", nullptr, {DdeCaption}},
        {3, "other", nullptr, {}},
        {4, "command", nullptr, {}},
    };
    for (const LevelRow& row : changes) {
        SCOPED_TRACE("node changed or deleted: " + std::to_string(row.level) + " " + row.name);
        TRegTreeNode* parent = row.parent != nullptr ? FileTypeNode(row.parent) : nullptr;
        fields.clear();
        w.RegTreeViewFileTypeNodeChanged(row.level, row.name, parent);
        EXPECT_EQ(fields, row.want);
        fields.clear();
        w.RegTreeViewFileTypeNodeDeleted(row.level, row.name, parent);
        EXPECT_EQ(fields, row.want);
    }
    const std::vector<NodeRow> valueChanges = {
        {"txtfile\\DefaultIcon", "\"i.dll\"", "", {Icon}},
        {"txtfile\\CLSID", "\"{x}\"", "", {Icon, ClassCheck}},
        {"txtfile\\EditFlags", "dword: 00000000", "", {ConfirmOpen}},
        {"txtfile\\shell", "\"open\"", "", {ActionLabel}},
        {"txtfile\\Other", "\"x\"", "", {ServerCheck}},
        {"txtfile\\AlwaysShowExt", "\"x\"", "", {ServerCheck}},
        {"txtfile\\shell\\open", "\"&Open\"", "", {ActionDescr}},
        {"txtfile\\Misc\\Sub", "\"t\"", "", {}},
        {"txtfile\\shell\\open\\command", "\"x.exe\"", "", {Command}},
        {"txtfile\\shell\\open\\ddeexec", "\"[x]\"", "", {}},
    };
    for (const NodeRow& row : valueChanges) {
        SCOPED_TRACE(std::string("value changed: ") + row.path);
        fields.clear();
        w.RegTreeViewFileTypeNodeValueChanged(FileTypeNode(row.path), row.a);
        EXPECT_EQ(fields, row.want);
    }
    const std::vector<NodeRow> valueRenames = {
        {"txtfile\\EditFlags", "EditFlags", "x", {ConfirmOpen}},
        {"txtfile\\AlwaysShowExt", "a", "NeverShowExt", {ShowExt}},
        {"txtfile\\AlwaysShowExt", "alwaysshowext", "b", {ShowExt}},
        {"txtfile\\Other", "a", "b", {}},
        {"txtfile\\shell\\open\\command", "EditFlags", "b", {}},
    };
    for (const NodeRow& row : valueRenames) {
        SCOPED_TRACE(std::string("value renamed: ") + row.path + " " + row.a + " -> " + row.b);
        fields.clear();
        w.RegTreeViewFileTypeValueNameChanged(FileTypeNode(row.path), row.a, row.b);
        EXPECT_EQ(fields, row.want);
    }
    // Selecting a node named CLSID checks the class.
    for (const auto& [path, want] : std::vector<std::pair<const char*, Fields>>{
             {"txtfile\\CLSID", {ClassCheck}}, {"txtfile\\Other", {}}}) {
        SCOPED_TRACE(path);
        fields.clear();
        w.RegTreeViewFileTypeChange(FileTypeNode(path));
        EXPECT_EQ(fields, want);
    }
    fields.clear();
    w.RegTreeViewFileTypeChange(nullptr);
    EXPECT_EQ(fields, Fields{});
}

TEST_F(CoordinationTest, TopNodeEventsSelectWhatTheTreesShow) {
    OpenTxt();
    TZVFormMain& w = *window;
    // The extension names another file type (also one that is no string).
    w.RegTreeViewExtNodeValueChanged(w.RegTreeViewExt->TopNode(), "\"Paint.Picture\"");
    EXPECT_EQ(w.CurFileType, "Paint.Picture");
    w.RegTreeViewExtNodeValueChanged(w.RegTreeViewExt->TopNode(), "dword: 00000001");
    EXPECT_EQ(w.CurFileType, "Unknown");

    // A key moved or copied to the top of a tree becomes what it shows.
    w.RegTreeViewExtNodeChanged(0, ".bmp", nullptr);
    EXPECT_EQ(w.CurExt, ".bmp");
    EXPECT_EQ(w.CurFileType, "Paint.Picture");
    w.RegTreeViewFileTypeNodeChanged(0, "txtfile", nullptr);
    EXPECT_EQ(w.CurFileType, "txtfile");
    w.SelectExtension(".cls", 0);
    w.SelectFileType("txtfile", SelNoFileTypeTree);  // the tree stays below CLSID
    ASSERT_EQ(w.RegTreeViewFileType->RootPath, "CLSID");
    w.RegTreeViewFileTypeNodeChanged(0, "{00021401-0000-0000-C000-000000000046}", nullptr);
    EXPECT_EQ(w.CurFileType, kShortcutClass);
    EXPECT_TRUE(w.IsClass);

    // The file type's default value is its description.
    w.SelectExtension(".txt", 0);
    SetValueText(HKEY_CLASSES_ROOT, "txtfile", "", "\"Plain text\"");
    w.RegTreeViewFileTypeNodeValueChanged(w.RegTreeViewFileType->TopNode(), "\"Plain text\"");
    EXPECT_EQ(w.EditFileTypeDescr->text(), "Plain text");
}

TEST_F(CoordinationTest, DeletingTheTopKeys) {
    OpenTxt();
    TZVFormMain& w = *window;
    OptionFlags |= kOptionShowClassIds;
    w.FillLists();
    // The extension's key: it leaves the list, and no extension is shown.
    ASSERT_TRUE(HasItem(w.ComboExt, ".txt"));
    ExpectQuestion("Delete HKEY_CLASSES_ROOT\\.txt from the registry?");
    w.RegTreeViewExt->DeleteNodeUndoable(w.RegTreeViewExt->TopNode(), true);
    EXPECT_FALSE(Exists(".txt"));
    EXPECT_FALSE(HasItem(w.ComboExt, ".txt"));
    EXPECT_EQ(w.CurExt, "");
    EXPECT_EQ(Text(w.ComboExt), "");
    EXPECT_TRUE(w.RegTreeViewExt->IsEmpty());

    // A file type the extension does not name: the extension's own comes back.
    w.SelectExtension(".log", 0);
    w.SelectFileType("Paint.Picture", 0);
    ASSERT_TRUE(HasItem(w.ComboFileType, "Paint.Picture"));
    ExpectQuestion("Delete HKEY_CLASSES_ROOT\\Paint.Picture from the registry?");
    w.RegTreeViewFileType->DeleteNodeUndoable(w.RegTreeViewFileType->TopNode(), true);
    EXPECT_FALSE(Exists("Paint.Picture"));
    EXPECT_FALSE(HasItem(w.ComboFileType, "Paint.Picture"));
    EXPECT_EQ(w.CurFileType, "txtfile");
    ASSERT_NE(w.RegTreeViewFileType->TopNode(), nullptr);
    EXPECT_EQ(w.RegTreeViewFileType->TopNode()->NodeName(), "txtfile");

    // A class leaves the list under its full name.
    w.SelectExtension(".cls", 0);
    ASSERT_TRUE(HasItem(w.ComboFileType, kShortcutClass));
    ExpectQuestion(std::string("Delete HKEY_CLASSES_ROOT\\") + kShortcutClass +
                   " from the registry?");
    w.RegTreeViewFileType->DeleteNodeUndoable(w.RegTreeViewFileType->TopNode(), true);
    EXPECT_FALSE(Exists(kShortcutClass));
    EXPECT_FALSE(HasItem(w.ComboFileType, kShortcutClass));
}

TEST_F(CoordinationTest, NewExtensionKeyAtTheTopBecomesTheExtension) {
    Open();
    TZVFormMain& w = *window;
    ASSERT_EQ(w.CurExt, "");
    ExpectConfirm("Create HKEY_CLASSES_ROOT\\.NewExt?");
    w.RegTreeViewExt->CreateNew(-1, true);
    EXPECT_TRUE(Exists(".NewExt"));
    EXPECT_EQ(w.CurExt, ".NewExt");
    ASSERT_NE(w.RegTreeViewExt->TopNode(), nullptr);
    EXPECT_EQ(w.RegTreeViewExt->TopNode()->NodeName(), ".NewExt");
}

TEST_F(CoordinationTest, NewFileTypeKeyIsAssociatedInOneUndoStep) {
    OpenTxt();
    TZVFormMain& w = *window;
    w.SelectExtension(".nft", 0);  // names a file type without a key
    ASSERT_TRUE(w.RegTreeViewFileType->IsEmpty());
    const int before = UndoList.Count();

    ExpectConfirm("Create HKEY_CLASSES_ROOT\\New key?");
    ExpectConfirm("Set file type of extension .nft to \"New key\"?");
    w.RegTreeViewFileType->CreateNew(-1, false);
    EXPECT_EQ(DefaultOf(".nft"), "New key");
    EXPECT_EQ(w.CurFileType, "New key");
    EXPECT_EQ(CaptionOf(w.RegTreeViewExt->TopNode()), ".nft = \"New key\"");
    ASSERT_NE(w.RegTreeViewFileType->TopNode(), nullptr);
    EXPECT_EQ(w.RegTreeViewFileType->TopNode()->NodeName(), "New key");
    EXPECT_EQ(UndoGroupDepth, 0);
    ASSERT_EQ(UndoList.Count(), before + 2);
    EXPECT_TRUE(UndoList.Last()->Chained);

    // One undo takes back both: the default value, then the key (which the
    // tree deletes after its question).
    ExpectQuestion("Delete HKEY_CLASSES_ROOT\\New key from the registry?");
    PerformUndo(UndoList);
    EXPECT_EQ(DefaultOf(".nft"), "nofile");
    EXPECT_FALSE(Exists("New key"));
    EXPECT_EQ(UndoList.Count(), before);
    EXPECT_EQ(w.CurFileType, "nofile");
}

TEST_F(CoordinationTest, RefusedNewFileTypeTakesTheKeyBackSilently) {
    OpenTxt();
    TZVFormMain& w = *window;
    w.SelectExtension(".nft", 0);
    const int before = UndoList.Count();

    ExpectConfirm("Create HKEY_CLASSES_ROOT\\New key?");
    ExpectConfirm("Set file type of extension .nft to \"New key\"?", MessageResult::No);
    w.RegTreeViewFileType->CreateNew(-1, false);
    EXPECT_FALSE(Exists("New key"));
    EXPECT_TRUE(w.RegTreeViewFileType->IsEmpty());
    EXPECT_EQ(w.RegTreeViewFileType->EditControl(), nullptr);
    EXPECT_EQ(DefaultOf(".nft"), "nofile");
    EXPECT_EQ(w.CurFileType, "nofile");
    EXPECT_EQ(UndoList.Count(), before);
    EXPECT_EQ(UndoGroupDepth, 0);
}

TEST_F(CoordinationTest, PasteRecordsWhatItCreated) {
    OpenTxt(true);
    TZVFormMain& w = *window;
    TZVRegTreeView* tree = w.RegTreeViewFileType;
    tree->setFocus(Qt::OtherFocusReason);
    tree->Select(tree->TopNode());
    const int before = UndoList.Count();

    // With the option to paste without questions.
    OptionFlags |= kOptionNoConfirmPaste;
    gui::SetClipboard("REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\x\\Pasted]\r\n@=\"p\"\r\n");
    fields.clear();
    w.RegTreeViewPaste();
    EXPECT_EQ(ValueOf("txtfile\\Pasted", ""), "p");
    ASSERT_EQ(UndoList.Count(), before + 1);
    EXPECT_EQ(UndoList.LastDescription(), "paste HKEY_CLASSES_ROOT\\txtfile\\Pasted");
    EXPECT_EQ(UndoList.Last()->Value, "txtfile\\Pasted");
    // The fields follow the node the paste selected.
    EXPECT_EQ(fields, Fields{ServerCheck});

    ExpectQuestion("Delete HKEY_CLASSES_ROOT\\txtfile\\Pasted from the registry?");
    PerformUndo(UndoList);
    EXPECT_FALSE(Exists("txtfile\\Pasted"));
    EXPECT_EQ(UndoList.Count(), before);
}

TEST_F(CoordinationTest, PasteThatCreatesNothingRecordsNothing) {
    OpenTxt(true);
    TZVFormMain& w = *window;
    TZVRegTreeView* tree = w.RegTreeViewExt;
    tree->setFocus(Qt::OtherFocusReason);
    tree->Select(ExtNode(".txt\\ShellNew"));
    const int before = UndoList.Count();

    gui::SetClipboard("REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\x\\Pasted]\r\n");
    Expect(AppTitle(), "Create HKEY_CLASSES_ROOT\\.txt\\ShellNew\\Pasted\\?",
           MessageButtons::YesNoCancelAll, MessageIcon::Question, MessageResult::No);
    fields.clear();
    w.RegTreeViewPaste();
    EXPECT_FALSE(Exists(".txt\\ShellNew\\Pasted"));
    EXPECT_EQ(UndoList.Count(), before);
    // The selected node is reported all the same.
    EXPECT_EQ(fields, Fields{Template});
}

TEST_F(CoordinationTest, PasteWhileEditingACaptionGoesIntoTheEditor) {
    OpenTxt(true);
    TZVFormMain& w = *window;
    TZVRegTreeView* tree = w.RegTreeViewFileType;
    const int before = UndoList.Count();
    QLineEdit* editor = StartEdit(tree, tree->TopNode());
    ASSERT_NE(editor, nullptr);
    editor->setCursorPosition(0);
    gui::SetClipboard("REGEDIT4 [HKEY_CLASSES_ROOT\\x\\Pasted] ");
    w.RegTreeViewPaste();
    EXPECT_EQ(editor->text().toStdString(),
              "REGEDIT4 [HKEY_CLASSES_ROOT\\x\\Pasted] txtfile = \"Text Document\"");
    EXPECT_EQ(DefaultOf("txtfile"), "Text Document");
    EXPECT_FALSE(Exists("x\\Pasted"));
    EXPECT_EQ(UndoList.LastDescription(), "edit tree node");
    gui::PressKey(editor, Qt::Key_Escape);
    gui::ProcessEvents();
    EXPECT_EQ(UndoList.Count(), before);
    EXPECT_EQ(DefaultOf("txtfile"), "Text Document");
}

}  // namespace
}  // namespace zanver
