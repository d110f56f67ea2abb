// The in-place edit of a node's caption: value changes, renames of values and
// keys, their questions, error messages and undo groups.
#include <QLineEdit>

#include "CoordinationFixture.h"
#include "Errors.h"
#include "Options.h"

namespace zanver {
namespace {

constexpr char kShortcutGuid[] = "{00021401-0000-0000-C000-000000000046}";

using TreeEditedTest = CoordinationTest;

TEST_F(TreeEditedTest, ValueChangeWithRenameIsOneQuestionAndOneUndoStep) {
    OpenTxt(true);
    TZVFormMain& w = *window;
    TZVRegTreeView* tree = w.RegTreeViewFileType;
    const int before = UndoList.Count();

    ExpectConfirm("Rename Other to Renamed and change its value to \"p\"?");
    EditCaption(tree, FileTypeNode("txtfile\\Other"), "Renamed = \"p\"");
    EXPECT_EQ(ValueOf("txtfile", "Renamed"), "p");
    EXPECT_FALSE(HasValue("txtfile", "Other"));
    EXPECT_EQ(CaptionOf(tree->FindNode("txtfile\\Renamed", false)), "Renamed = \"p\"");
    EXPECT_EQ(UndoGroupDepth, 0);
    ASSERT_EQ(UndoList.Count(), before + 2);
    EXPECT_EQ(UndoList.Descriptions(before), "change value HKEY_CLASSES_ROOT\\txtfile\\Other");
    EXPECT_EQ(UndoList.LastDescription(), "Rename Other to Renamed and change its value");
    EXPECT_TRUE(UndoList.Last()->Chained);

    PerformUndo(UndoList);
    EXPECT_EQ(ValueOf("txtfile", "Other"), "o");
    EXPECT_FALSE(HasValue("txtfile", "Renamed"));
    EXPECT_EQ(CaptionOf(tree->FindNode("txtfile\\Other", false)), "Other = \"o\"");
    EXPECT_EQ(UndoList.Count(), before);
}

TEST_F(TreeEditedTest, KeyRenameWithValueChangeIsOneStepToo) {
    OpenTxt(true);
    TZVFormMain& w = *window;
    TZVRegTreeView* tree = w.RegTreeViewFileType;
    const int before = UndoList.Count();
    fields.clear();

    ExpectConfirm("Rename DefaultIcon to Icon2 and change its value to \"icon.dll,2\"?");
    EditCaption(tree, FileTypeNode("txtfile\\DefaultIcon"), "Icon2 = \"icon.dll,2\"");
    EXPECT_EQ(DefaultOf("txtfile\\Icon2"), "icon.dll,2");
    EXPECT_FALSE(Exists("txtfile\\DefaultIcon"));
    EXPECT_EQ(CaptionOf(tree->FindNode("txtfile\\Icon2", false)), "Icon2 = \"icon.dll,2\"");
    // The value change and the rename each refresh the icon.
    EXPECT_EQ(fields, (std::vector<PanelField>{PanelField::Icon, PanelField::Icon}));
    ASSERT_EQ(UndoList.Count(), before + 2);
    EXPECT_EQ(UndoList.Last()->Value, "txtfile\\DefaultIcon\rtxtfile\\Icon2");

    PerformUndo(UndoList);
    EXPECT_EQ(DefaultOf("txtfile\\DefaultIcon"), "icon.dll,1");
    EXPECT_FALSE(Exists("txtfile\\Icon2"));
    EXPECT_EQ(UndoList.Count(), before);
    EXPECT_EQ(UndoGroupDepth, 0);
}

TEST_F(TreeEditedTest, EmptyingAKeysValueDeletesTheDefaultValue) {
    OpenTxt(true);
    TZVFormMain& w = *window;
    TZVRegTreeView* tree = w.RegTreeViewFileType;

    // Refused: the caption keeps the value.
    std::string s = "txtfile";
    ExpectConfirm("Delete default value of HKEY_CLASSES_ROOT\\txtfile\\ from the registry?",
                  MessageResult::No);
    w.RegTreeViewEdited(tree, tree->TopNode(), s);
    EXPECT_EQ(s, "txtfile = \"Text Document\"");
    EXPECT_EQ(DefaultOf("txtfile"), "Text Document");
    EXPECT_TRUE(UndoList.Empty());

    ExpectConfirm("Delete default value of HKEY_CLASSES_ROOT\\txtfile\\ from the registry?");
    EditCaption(tree, tree->TopNode(), "txtfile = ");
    EXPECT_FALSE(HasValue("txtfile", ""));
    EXPECT_EQ(CaptionOf(tree->TopNode()), "txtfile");
    ASSERT_EQ(UndoList.Count(), 1);
    EXPECT_EQ(UndoList.LastDescription(), "delete HKEY_CLASSES_ROOT\\txtfile\\");
    // The description field follows.
    EXPECT_EQ(w.EditFileTypeDescr->text(), "");
    EXPECT_EQ(StatusText(), "No description found for file type txtfile");
    EXPECT_EQ(StatusLevel(), 3);
}

TEST_F(TreeEditedTest, RenamingTheExtensionKey) {
    OpenTxt(true);
    TZVFormMain& w = *window;
    TZVRegTreeView* tree = w.RegTreeViewExt;
    ASSERT_EQ(CaptionOf(tree->TopNode()), ".txt = \"txtfile\"");

    // Without the leading dot it is no extension: refused, the caption returns.
    ExpectError("Root key in this view should start with a .");
    EditCaption(tree, tree->TopNode(), "txt = \"txtfile\"");
    EXPECT_EQ(CaptionOf(tree->TopNode()), ".txt = \"txtfile\"");
    EXPECT_TRUE(Exists(".txt"));
    EXPECT_FALSE(Exists("txt"));
    EXPECT_TRUE(UndoList.Empty());

    // Refusing the question keeps the name.
    ExpectConfirm("Rename .txt to .text?", MessageResult::No);
    EditCaption(tree, tree->TopNode(), ".text = \"txtfile\"");
    EXPECT_EQ(CaptionOf(tree->TopNode()), ".txt = \"txtfile\"");
    EXPECT_FALSE(Exists(".text"));
    EXPECT_TRUE(UndoList.Empty());

    // The extension follows its key and the old name leaves the list.
    ExpectConfirm("Rename .txt to .text?");
    EditCaption(tree, tree->TopNode(), ".text = \"txtfile\"");
    EXPECT_TRUE(Exists(".text"));
    EXPECT_FALSE(Exists(".txt"));
    EXPECT_EQ(DefaultOf(".text"), "txtfile");
    EXPECT_EQ(w.CurExt, ".text");
    EXPECT_EQ(Text(w.ComboExt), ".text");
    EXPECT_FALSE(HasItem(w.ComboExt, ".txt"));
    EXPECT_EQ(CaptionOf(tree->TopNode()), ".text = \"txtfile\"");
    ASSERT_EQ(UndoList.Count(), 1);
    EXPECT_EQ(UndoList.LastDescription(), "rename key .txt");

    PerformUndo(UndoList);
    EXPECT_TRUE(Exists(".txt"));
    EXPECT_FALSE(Exists(".text"));
    EXPECT_EQ(w.CurExt, ".txt");
    EXPECT_TRUE(HasItem(w.ComboExt, ".txt"));

    // The group box is sized again at the next timer tick.
    w.PendingExtTreeSize = false;
    w.RegTreeViewExtKeyNameChanged(tree->TopNode(), ".txt", ".txt");
    EXPECT_TRUE(w.PendingExtTreeSize);
}

TEST_F(TreeEditedTest, RenamingAClassKeepsItBelowCLSID) {
    OpenTxt();
    TZVFormMain& w = *window;
    w.SelectExtension(".cls", 0);
    TZVRegTreeView* tree = w.RegTreeViewFileType;
    ASSERT_EQ(tree->RootPath, "CLSID");
    const std::string newGuid = "{00021401-0000-0000-C000-000000000047}";
    std::string s = newGuid + " = \"Shortcut\"";
    ExpectConfirm(std::string("Rename CLSID\\") + kShortcutGuid + " to CLSID\\" + newGuid + "?");
    w.RegTreeViewEdited(tree, tree->TopNode(), s);
    EXPECT_TRUE(Exists("CLSID\\" + newGuid));
    EXPECT_FALSE(Exists(std::string("CLSID\\") + kShortcutGuid));
    EXPECT_EQ(w.CurFileType, "CLSID\\" + newGuid);
    EXPECT_EQ(UndoList.Last()->Value,
              std::string("CLSID\\") + kShortcutGuid + "\rCLSID\\" + newGuid);
}

TEST_F(TreeEditedTest, RefusedQuestionsLeaveRegistryAndCaption) {
    OpenTxt();
    TZVFormMain& w = *window;

    // A value rename.
    std::string s = "Mime = \"text/plain\"";
    ExpectConfirm("Rename Content Type to Mime?", MessageResult::No);
    w.RegTreeViewEdited(w.RegTreeViewExt, ExtNode(".txt\\Content Type"), s);
    EXPECT_EQ(s, "Content Type = \"text/plain\"");
    EXPECT_EQ(ValueOf(".txt", "Content Type"), "text/plain");
    EXPECT_FALSE(HasValue(".txt", "Mime"));

    // A key rename.
    s = "Icon2 = \"icon.dll,1\"";
    ExpectConfirm("Rename txtfile\\DefaultIcon to txtfile\\Icon2?", MessageResult::No);
    w.RegTreeViewEdited(w.RegTreeViewFileType, FileTypeNode("txtfile\\DefaultIcon"), s);
    EXPECT_EQ(s, "DefaultIcon = \"icon.dll,1\"");
    EXPECT_TRUE(Exists("txtfile\\DefaultIcon"));
    EXPECT_FALSE(Exists("txtfile\\Icon2"));

    // A value change: the value stays, and the rename asks on its own.
    s = "R = \"p\"";
    ExpectConfirm("Rename Other to R and change its value to \"p\"?", MessageResult::No);
    ExpectConfirm("Rename Other to R?");
    w.RegTreeViewEdited(w.RegTreeViewFileType, FileTypeNode("txtfile\\Other"), s);
    EXPECT_EQ(s, "R = \"o\"");
    EXPECT_EQ(ValueOf("txtfile", "R"), "o");
    ASSERT_EQ(UndoList.Count(), 1);
    EXPECT_EQ(UndoList.LastDescription(), "rename Other");
    EXPECT_EQ(UndoList.Last()->Value, "txtfile\rOther\rR");
    EXPECT_FALSE(UndoList.Last()->Chained);
}

TEST_F(TreeEditedTest, BadNamesAreReportedAndTheCaptionReturns) {
    OpenTxt();
    TZVFormMain& w = *window;
    TZVRegTreeView* tree = w.RegTreeViewFileType;
    struct Row {
        const char* path;
        const char* caption;
        const char* message;
        const char* restored;
    };
    const std::vector<Row> rows = {
        {"txtfile", "a\\b = \"Text Document\"", "Cannot handle key name with a backslash (\\).",
         "txtfile = \"Text Document\""},
        {"txtfile", " = \"Text Document\"", "Keyname expected.", "txtfile = \"Text Document\""},
        {"txtfile\\Other", "a\\b = \"o\"", "Cannot handle value name with a backslash.",
         "Other = \"o\""},
        // The value is changed (confirmation is off) before the rename fails.
        {"txtfile\\shell", "x\\y = \"edit\"", "Cannot handle key name with a backslash (\\).",
         "shell = \"edit\""},
    };
    OptionFlags &= static_cast<std::uint8_t>(~kOptionConfirmWrites);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        std::string s = row.caption;
        ExpectError(row.message);
        w.RegTreeViewEdited(tree, FileTypeNode(row.path), s);
        EXPECT_EQ(s, row.restored);
        EXPECT_EQ(UndoGroupDepth, 0);
    }
    EXPECT_EQ(DefaultOf("txtfile\\shell"), "edit");
    EXPECT_TRUE(Exists("txtfile\\shell"));

    // An empty key name with a new value fails before anything is written;
    // the error reaches the caller, and the tree keeps its caption.
    std::string s = " = \"New\"";
    try {
        w.RegTreeViewEdited(tree, tree->TopNode(), s);
        ADD_FAILURE() << "no error";
    } catch (const EZanver& error) {
        EXPECT_STREQ(error.what(), "Keyname expected.");
    }
    EXPECT_EQ(DefaultOf("txtfile"), "Text Document");
    EXPECT_EQ(UndoGroupDepth, 0);
}

TEST_F(TreeEditedTest, ChangingTheExtensionsValueSelectsTheFileType) {
    OpenTxt(true);
    TZVFormMain& w = *window;
    TZVRegTreeView* tree = w.RegTreeViewExt;
    ExpectConfirm("Change value of .txt to \"Paint.Picture\"?");
    EditCaption(tree, tree->TopNode(), ".txt = \"Paint.Picture\"");
    EXPECT_EQ(DefaultOf(".txt"), "Paint.Picture");
    EXPECT_EQ(w.CurFileType, "Paint.Picture");
    ASSERT_EQ(UndoList.Count(), 1);
    EXPECT_EQ(UndoList.LastDescription(), "change value HKEY_CLASSES_ROOT\\.txt\\");
    EXPECT_EQ(UndoList.Last()->Value, "HKEY_CLASSES_ROOT\\.txt\\=\"txtfile\"");

    PerformUndo(UndoList);
    EXPECT_EQ(DefaultOf(".txt"), "txtfile");
    EXPECT_EQ(w.CurFileType, "txtfile");
}

}  // namespace
}  // namespace zanver
