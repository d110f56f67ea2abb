// The window's answers to the events of its two tree views, the new file type
// made in the file type tree, and paste into a tree.
#include <QLineEdit>

#include "CoordinationFixture.h"
#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "FaultStore.h"
#include "KeyPaths.h"
#include "Options.h"

namespace zanver {
namespace {

using enum PanelField;
using Fields = std::vector<PanelField>;

constexpr char kShortcutClass[] = "CLSID\\{00021401-0000-0000-C000-000000000046}";

// One tree event, fired as the tree fires it, and the refreshes it must cause.
// path is the node's path (none: an event without a node); for Changed it
// gives the level, name and parent reported, and a deletion must do the same.
enum Event { KeyRenamed, Changed, ValueChanged, ValueRenamed, Selected };
struct Row {
    Event event;
    const char* path;
    Fields want;
    const char* a = "";
    const char* b = "";
};

void CheckEvents(TZVRegTreeView* tree, Fields& fields, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        const std::string path = row.path != nullptr ? row.path : "";
        SCOPED_TRACE(std::to_string(row.event) + " " + path + " " + row.a + " " + row.b);
        TRegTreeNode* node = row.path != nullptr ? tree->FindNode(path, true) : nullptr;
        const int level = static_cast<int>(std::ranges::count(path, '\\'));
        TRegTreeNode* parent =
            row.event == Changed ? tree->FindNode(ExtractParentKey(path), true) : nullptr;
        fields.clear();
        switch (row.event) {
            case KeyRenamed:
                tree->OnKeyNameChanged(node, row.a, row.b);
                break;
            case Changed:
                tree->OnNodeChanged(level, ExtractKeyName(path), parent);
                EXPECT_EQ(fields, row.want);
                fields.clear();
                tree->OnNodeDeleted(level, ExtractKeyName(path), parent);
                break;
            case ValueChanged:
                tree->OnNodeValueChanged(node, "\"v\"");
                break;
            case ValueRenamed:
                tree->OnValueNameChanged(node, row.a, row.b);
                break;
            case Selected:
                tree->OnChange(node);
                break;
        }
        EXPECT_EQ(fields, row.want);
    }
}

TEST_F(CoordinationTest, TreeEventsRefreshTheirFields) {
    OpenTxt();
    CheckEvents(
        window->RegTreeViewExt, fields,
        {
            {KeyRenamed, ".txt\\ShellNew", {Template}, ".txt\\shellnew", ".txt\\Bar"},
            {KeyRenamed, ".txt\\txtfile", {Template}, ".txt\\x", ".txt\\TXTFILE"},
            {KeyRenamed, ".txt\\ShellNew", {}, ".txt\\A", ".txt\\B"},
            {KeyRenamed, ".txt\\txtfile\\ShellNew", {Template}, "", ".txt\\t\\ShellNew"},
            {KeyRenamed, ".txt\\txtfile\\ShellNew", {}, "", ".txt\\t\\txtfile"},
            {Changed, ".txt\\CONTENT TYPE", {Mime}},
            {Changed, ".txt\\ShellNew", {Template}},
            {Changed, ".txt\\TxtFile", {Template}},
            {Changed, ".txt\\Other", {}},
            {Changed, ".txt\\a\\FileName", {Template}},
            {Changed, ".txt\\a\\b\\nullfile", {Template}},
            {Changed, ".txt\\a\\b\\c\\ShellNew", {}},
            {Changed, ".txt\\a\\txtfile", {}},
            {ValueChanged, ".txt\\Content Type", {Mime}},
            {ValueChanged, ".txt\\ShellNew", {}},
            {ValueChanged, ".txt\\ShellNew\\FileName", {Template}},
            {ValueChanged, ".txt\\txtfile\\ShellNew\\FileName", {Template}},
            {ValueChanged, ".txt\\ShellNew\\NullFile", {}},
            {ValueRenamed, ".txt\\Content Type", {Mime}, "Content Type", "Mime"},
            {ValueRenamed, ".txt\\Content Type", {}, "NullFile", "b"},
            {ValueRenamed, ".txt\\ShellNew\\FileName", {Template}, "NullFile", "x"},
            {ValueRenamed, ".txt\\txtfile\\ShellNew\\FileName", {Template}, "a", "FILENAME"},
            {ValueRenamed, nullptr, {}, "Content Type", "x"},
        });
    CheckEvents(
        window->RegTreeViewFileType, fields,
        {
            {KeyRenamed, "txtfile\\DefaultIcon", {Icon}, "txtfile\\DefaultIcon", "txtfile\\I"},
            {KeyRenamed, "txtfile\\CLSID", {Icon, ClassCheck}, "txtfile\\x", "txtfile\\clsid"},
            {KeyRenamed, "txtfile\\shell", {Actions}, "txtfile\\Verbs", "txtfile\\shell"},
            {KeyRenamed, "txtfile\\Misc", {ServerCheck}, "txtfile\\Misc", "txtfile\\Other"},
            {KeyRenamed, "txtfile\\shell\\open", {Actions}, "", "txtfile\\shell\\edit"},
            {KeyRenamed, "txtfile\\Misc\\Sub", {}, "", "txtfile\\Misc\\shell"},
            {KeyRenamed, "txtfile\\shell\\open\\command", {Command}, "t\\s\\o\\command", "t\\c"},
            {KeyRenamed, "txtfile\\shell\\open\\ddeexec", {DdeCaption}, "", "t\\s\\o\\DDEExec"},
            {KeyRenamed, "txtfile\\shell\\open\\ddeexec", {}, "t\\s\\o\\a", "t\\s\\o\\b"},
            // Without a node, level and parent come from the new path.
            {KeyRenamed, nullptr, {Actions}, "txtfile\\shell\\x", "txtfile\\Shell\\y"},
            {Changed, "txtfile\\shell", {Actions}},
            {Changed, "txtfile\\DefaultIcon", {Icon}},
            {Changed, "txtfile\\CLSID", {Icon, ClassCheck}},
            {Changed, "txtfile\\editflags", {ConfirmOpen}},
            {Changed, "txtfile\\AlwaysShowExt", {ShowExt}},
            {Changed, "txtfile\\NeverShowExt", {ShowExt}},
            {Changed, "txtfile\\Foo", {ServerCheck}},
            {Changed, "txtfile\\shell\\open", {Actions}},
            {Changed, "txtfile\\Misc\\Sub", {}},
            {Changed, "txtfile\\a\\b\\command", {Command}},
            {Changed, "txtfile\\a\\b\\DDEEXEC", {DdeCaption}},
            {Changed, "txtfile\\a\\b\\other", {}},
            {Changed, "txtfile\\a\\b\\c\\command", {}},
            {ValueChanged, "txtfile\\DefaultIcon", {Icon}},
            {ValueChanged, "txtfile\\CLSID", {Icon, ClassCheck}},
            {ValueChanged, "txtfile\\EditFlags", {ConfirmOpen}},
            {ValueChanged, "txtfile\\shell", {ActionLabel}},
            {ValueChanged, "txtfile\\AlwaysShowExt", {ServerCheck}},
            {ValueChanged, "txtfile\\shell\\open", {ActionDescr}},
            {ValueChanged, "txtfile\\Misc\\Sub", {}},
            {ValueChanged, "txtfile\\shell\\open\\command", {Command}},
            {ValueChanged, "txtfile\\shell\\open\\ddeexec", {}},
            {ValueRenamed, "txtfile\\EditFlags", {ConfirmOpen}, "EditFlags", "x"},
            {ValueRenamed, "txtfile\\AlwaysShowExt", {ShowExt}, "a", "NeverShowExt"},
            {ValueRenamed, "txtfile\\Other", {}, "a", "b"},
            {ValueRenamed, "txtfile\\shell\\open\\command", {}, "EditFlags", "b"},
            {Selected, "txtfile\\CLSID", {ClassCheck}},
            {Selected, "txtfile\\Other", {}},
            {Selected, nullptr, {}},
        });
}

TEST_F(CoordinationTest, TopNodeEventsSelectWhatTheTreesShow) {
    TZVFormMain& w = OpenTxt();
    // A default value of the extension that is no string names no file type.
    w.RegTreeViewExtNodeValueChanged(w.RegTreeViewExt->TopNode(), "dword: 00000001");
    EXPECT_EQ(w.CurFileType, "Unknown");
    // A key moved or copied to the top of a tree becomes what it shows.
    w.RegTreeViewExtNodeChanged(0, ".bmp", nullptr);
    EXPECT_EQ(w.CurExt, ".bmp");
    EXPECT_EQ(w.CurFileType, "Paint.Picture");
    w.RegTreeViewFileTypeNodeChanged(0, "txtfile", nullptr);
    EXPECT_EQ(w.CurFileType, "txtfile");
}

TEST_F(CoordinationTest, DeletingAndCreatingTopKeys) {
    TZVFormMain& w = OpenTxt();
    OptionFlags |= kOptionShowClassIds;
    w.FillLists();
    questions.ExpectQuestion("Delete HKEY_CLASSES_ROOT\\.txt from the registry?");
    w.RegTreeViewExt->DeleteNodeUndoable(w.RegTreeViewExt->TopNode(), true);
    EXPECT_FALSE(HasItem(w.ComboExt, ".txt"));
    EXPECT_EQ(w.CurExt, "");
    // A new key at the top of the empty tree becomes the extension.
    questions.ExpectConfirm("Create HKEY_CLASSES_ROOT\\.NewExt?");
    w.RegTreeViewExt->CreateNew(-1, true);
    EXPECT_EQ(w.CurExt, ".NewExt");
    ASSERT_NE(w.RegTreeViewExt->TopNode(), nullptr);
    EXPECT_EQ(w.RegTreeViewExt->TopNode()->NodeName(), ".NewExt");

    // A file type the extension does not name: the extension's own comes back.
    w.SelectExtension(".log", 0);
    w.SelectFileType("Paint.Picture", 0);
    questions.ExpectQuestion("Delete HKEY_CLASSES_ROOT\\Paint.Picture from the registry?");
    w.RegTreeViewFileType->DeleteNodeUndoable(w.RegTreeViewFileType->TopNode(), true);
    EXPECT_FALSE(HasItem(w.ComboFileType, "Paint.Picture"));
    EXPECT_EQ(w.CurFileType, "txtfile");
    EXPECT_EQ(CaptionOf(w.RegTreeViewFileType->TopNode()), "txtfile = \"Text Document\"");

    // A class leaves the list under its full name.
    w.SelectExtension(".cls", 0);
    ASSERT_TRUE(HasItem(w.ComboFileType, kShortcutClass));
    questions.ExpectQuestion(std::string("Delete HKEY_CLASSES_ROOT\\") + kShortcutClass +
                             " from the registry?");
    w.RegTreeViewFileType->DeleteNodeUndoable(w.RegTreeViewFileType->TopNode(), true);
    EXPECT_FALSE(HasItem(w.ComboFileType, kShortcutClass));
}

TEST_F(CoordinationTest, MovingATopKeyIntoTheOtherTreeFollowsIt) {
    TZVFormMain& w = OpenTxt();
    // The extension's key below the file type: the extension tree empties
    // (its handler clears the tree that held the moved node).
    w.RegTreeViewExt->MoveCopyNode(w.RegTreeViewExt->TopNode(), w.RegTreeViewFileType->TopNode(),
                                   false);
    EXPECT_TRUE(Exists("txtfile\\.txt\\ShellNew"));
    EXPECT_FALSE(Exists(".txt"));
    EXPECT_EQ(w.CurExt, "");
    EXPECT_TRUE(w.RegTreeViewExt->IsEmpty());
    // A file type's key below the extension: the file type tree is read
    // again for what the extension names.
    w.SelectExtension(".bmp", 0);
    w.RegTreeViewFileType->MoveCopyNode(w.RegTreeViewFileType->TopNode(),
                                        w.RegTreeViewExt->TopNode(), false);
    EXPECT_TRUE(Exists(".bmp\\Paint.Picture"));
    EXPECT_FALSE(Exists("Paint.Picture"));
    EXPECT_NE(ExtNode(".bmp\\Paint.Picture"), nullptr);
    EXPECT_FALSE(HasItem(w.ComboFileType, "Paint.Picture"));
}

TEST_F(CoordinationTest, NewFileTypeKeyIsAssociatedInOneUndoStep) {
    TZVFormMain& w = OpenTxt();
    w.SelectExtension(".nft", 0);  // names a file type without a key
    // Refused association: the key goes again, without a question or undo entry.
    questions.ExpectConfirm("Create HKEY_CLASSES_ROOT\\New key?");
    questions.ExpectConfirm("Set file type of extension .nft to \"New key\"?", MessageResult::No);
    w.RegTreeViewFileType->CreateNew(-1, false);
    EXPECT_FALSE(Exists("New key"));
    EXPECT_EQ(DefaultOf(".nft"), "nofile");
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_EQ(UndoGroupDepth, 0);

    questions.ExpectConfirm("Create HKEY_CLASSES_ROOT\\New key?");
    questions.ExpectConfirm("Set file type of extension .nft to \"New key\"?");
    w.RegTreeViewFileType->CreateNew(-1, false);
    EXPECT_EQ(DefaultOf(".nft"), "New key");
    EXPECT_EQ(CaptionOf(w.RegTreeViewExt->TopNode()), ".nft = \"New key\"");
    EXPECT_EQ(UndoGroupDepth, 0);
    ASSERT_EQ(UndoList.Count(), 2);
    // One undo takes back the default value, then the key.
    questions.ExpectQuestion("Delete HKEY_CLASSES_ROOT\\New key from the registry?");
    PerformUndo(UndoList);
    EXPECT_EQ(DefaultOf(".nft"), "nofile");
    EXPECT_FALSE(Exists("New key"));
    EXPECT_TRUE(UndoList.Empty());
}

TEST_F(CoordinationTest, PasteRecordsWhatItCreated) {
    TZVFormMain& w = OpenTxt(true);
    TZVRegTreeView* tree = w.RegTreeViewFileType;
    // While a caption is edited, the text goes into the editor.
    QLineEdit* editor = StartEdit(tree, tree->TopNode());
    ASSERT_NE(editor, nullptr);
    editor->setCursorPosition(0);
    gui::SetClipboard("REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\x\\Pasted]\r\n");
    w.RegTreeViewPaste();
    EXPECT_EQ(editor->text().toStdString(),
              "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\x\\Pasted]\r\ntxtfile = \"Text Document\"");
    EXPECT_FALSE(Exists("x\\Pasted"));
    gui::PressKey(editor, Qt::Key_Escape);
    gui::ProcessEvents();
    EXPECT_TRUE(UndoList.Empty());
}

TEST_F(CoordinationTest, EveryPasteThatWroteCanBeUndoneAsAWhole) {
    TZVFormMain& w = OpenTxt(true);
    TZVRegTreeView* tree = w.RegTreeViewFileType;
    OptionFlags |= kOptionNoConfirmPaste;
    const std::uint8_t odd[] = {1, 2, 3};
    ASSERT_TRUE(SetExactRawValue(HKEY_CLASSES_ROOT, "txtfile\\Misc", "", RegNone, odd, 3));
    ASSERT_TRUE(SetRawValue(HKEY_CLASSES_ROOT, "txtfile\\Misc", "note", RegNone, odd, 3));
    tree->RefreshPath("txtfile\\Misc", false);
    const std::string before = store.Dump();
    const auto expectDelete = [&](const std::string& path) {
        questions.ExpectQuestion("Delete HKEY_CLASSES_ROOT\\txtfile\\Misc\\" + path +
                                 " from the registry?");
    };
    const auto undoAll = [&] {
        while (!UndoList.Empty())
            PerformUndo(UndoList);
        EXPECT_EQ(store.Dump(), before);
    };
    // Values for the selected key, one over its default value.
    const auto pasteValues = [&] {
        gui::SetClipboard(
            "REGEDIT4\r\n; Associate value\r\n[HKEY_CLASSES_ROOT\\x]\r\n"
            "@=\"new\"\r\n\"n\"=\"v\"\r\n");
        Expect(AppTitle(), "HKEY_CLASSES_ROOT\\txtfile\\Misc\\ already exists. Overwrite it?",
               MessageButtons::YesNoCancelAll, MessageIcon::Question, MessageResult::Yes);
        return ErrorOf([&] { w.RegTreeViewPaste(); });
    };

    // Pasted into the key of the selected value: undo puts the old bytes
    // back and leaves the key.
    tree->Select(FileTypeNode("txtfile\\Misc\\note"));
    EXPECT_EQ(pasteValues(), "no error");
    EXPECT_EQ(DefaultOf("txtfile\\Misc"), "new");
    EXPECT_EQ(ValueOf("txtfile\\Misc", "n"), "v");
    EXPECT_EQ(UndoList.LastDescription(), "paste HKEY_CLASSES_ROOT\\txtfile\\Misc\\n");
    expectDelete("n");
    undoAll();

    // A paste that fails part-way: what was written is one undo step, and
    // the tree shows it.
    const std::string keys =
        "REGEDIT4\r\n[HKEY_CLASSES_ROOT\\a]\r\n[HKEY_CLASSES_ROOT\\a\\b]\r\n"
        "[HKEY_CLASSES_ROOT\\c]\r\n";
    tree->Select(FileTypeNode("txtfile\\Misc"));
    gui::SetClipboard(keys + "\"v\"=dword:zz\r\n");
    EXPECT_EQ(ErrorOf([&] { w.RegTreeViewPaste(); }), "Could not covert $zz to DWORD");
    EXPECT_TRUE(Exists("txtfile\\Misc\\a\\b"));
    EXPECT_NE(FileTypeNode("txtfile\\Misc\\c"), nullptr);
    ASSERT_EQ(UndoList.Count(), 2);
    EXPECT_EQ(UndoList.LastDescription(), "paste HKEY_CLASSES_ROOT\\txtfile\\Misc\\a");
    expectDelete("a");
    expectDelete("c");
    undoAll();

    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);
    // A value the store refuses: only what was written is recorded.
    faults.FailNth(FaultStore::Call::SetValue, 2, err::kAccessDenied);
    tree->Select(FileTypeNode("txtfile\\Misc"));
    EXPECT_NE(pasteValues(), "no error");
    ASSERT_EQ(UndoList.Count(), 1);
    EXPECT_EQ(UndoList.LastDescription(), "paste HKEY_CLASSES_ROOT\\txtfile\\Misc\\");
    undoAll();

    // A paste the store cannot commit: nothing written, nothing recorded, no
    // pasted node.
    faults.FailNth(FaultStore::Call::Commit, 1, err::kDiskFull);
    tree->Select(FileTypeNode("txtfile\\Misc"));
    gui::SetClipboard(keys);
    EXPECT_EQ(ErrorOf([&] { w.RegTreeViewPaste(); }),
              "Could not complete the paste. " + ErrorText(err::kDiskFull));
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_EQ(store.Dump(), before);
    EXPECT_EQ(tree->FindNode("txtfile\\Misc\\a", false), nullptr);
}

}  // namespace
}  // namespace zanver
