// The in-place edit of a node's caption: value changes, renames of values and
// keys, their questions, error messages and undo groups.
#include <QApplication>
#include <QTimer>

#include "CoordinationFixture.h"
#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "Errors.h"
#include "Options.h"
#include "Prompter.h"
#include "ValueTextRegistry.h"
#include "ZVEdit.h"

namespace zanver {
namespace {

using TreeEditedTest = CoordinationTest;

TEST_F(TreeEditedTest, ChangingNameAndValueOrEmptyingTheValue) {
    TZVRegTreeView* tree = OpenTxt(true).RegTreeViewFileType;
    questions.ExpectConfirm("Rename Other to Renamed and change its value to \"p\"?");
    EditCaption(tree, FileTypeNode("txtfile\\Other"), "Renamed = \"p\"");
    EXPECT_EQ(ValueOf("txtfile", "Renamed"), "p");
    EXPECT_FALSE(HasValue("txtfile", "Other"));
    EXPECT_EQ(UndoGroupDepth, 0);
    ASSERT_EQ(UndoList.Count(), 2);
    EXPECT_EQ(UndoList.LastDescription(), "Rename Other to Renamed and change its value");
    PerformUndo(UndoList);
    EXPECT_EQ(ValueOf("txtfile", "Other"), "o");
    EXPECT_FALSE(HasValue("txtfile", "Renamed"));

    // A key: the value change and the rename each refresh the icon.
    fields.clear();
    questions.ExpectConfirm("Rename DefaultIcon to Icon2 and change its value to \"icon.dll,2\"?");
    EditCaption(tree, FileTypeNode("txtfile\\DefaultIcon"), "Icon2 = \"icon.dll,2\"");
    EXPECT_EQ(DefaultOf("txtfile\\Icon2"), "icon.dll,2");
    EXPECT_FALSE(Exists("txtfile\\DefaultIcon"));
    EXPECT_EQ(fields, (std::vector<PanelField>{PanelField::Icon, PanelField::Icon}));
    EXPECT_EQ(UndoGroupDepth, 0);
    PerformUndo(UndoList);
    EXPECT_EQ(DefaultOf("txtfile\\DefaultIcon"), "icon.dll,1");
    EXPECT_TRUE(UndoList.Empty());

    // A key without a default value, renamed and given one: the undo takes
    // both back and leaves the key without a default value.
    questions.ExpectConfirm("Rename Sub to Sub2 and change its value to \"s\"?");
    EditCaption(tree, FileTypeNode("txtfile\\Misc\\Sub"), "Sub2 = \"s\"");
    EXPECT_EQ(DefaultOf("txtfile\\Misc\\Sub2"), "s");
    questions.ExpectQuestion("Delete HKEY_CLASSES_ROOT\\txtfile\\Misc\\Sub\\ from the registry?");
    PerformUndo(UndoList);
    EXPECT_TRUE(Exists("txtfile\\Misc\\Sub"));
    EXPECT_FALSE(HasValue("txtfile\\Misc\\Sub", ""));
    EXPECT_TRUE(UndoList.Empty());

    // A value whose display form drops bytes comes back with all of them.
    const std::uint8_t bytes[] = {1, 2, 3};
    ASSERT_TRUE(SetRawValue(HKEY_CLASSES_ROOT, "txtfile", "Other", RegNone, bytes, 3));
    tree->RefreshPath("txtfile", false);
    questions.ExpectConfirm("Change value of Other to \"p\"?");
    EditCaption(tree, FileTypeNode("txtfile\\Other"), "Other = \"p\"");
    PerformUndo(UndoList);
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "txtfile", "Other", true), "hex(0): 01,02,03");

    // An empty value deletes the key's default value, the caption is the name.
    const std::string question =
        "Delete default value of HKEY_CLASSES_ROOT\\txtfile\\ from the registry?";
    std::string s = "txtfile";
    questions.ExpectConfirm(question, MessageResult::No);
    window->RegTreeViewEdited(tree, tree->TopNode(), s);
    EXPECT_EQ(s, "txtfile = \"Text Document\"");
    EXPECT_EQ(DefaultOf("txtfile"), "Text Document");
    questions.ExpectConfirm(question);
    EditCaption(tree, tree->TopNode(), "txtfile = ");
    EXPECT_FALSE(HasValue("txtfile", ""));
    EXPECT_EQ(CaptionOf(tree->TopNode()), "txtfile");
    EXPECT_EQ(window->EditFileTypeDescr->text(), "");  // the description follows
    EXPECT_EQ(UndoList.Count(), 1);
}

// Answers Yes through a window of its own that takes the activation while it
// is open, as a real message box does.
class WindowPrompter : public Prompter {
  public:
    MessageResult Ask(const MessageRequest&) override {
        QWidget box;
        box.resize(200, 100);
        EXPECT_TRUE(gui::ShowAndFocus(&box));
        return MessageResult::Yes;
    }
};

TEST_F(TreeEditedTest, TheFocusStaysInTheTreeAfterAConfirmedEdit) {
    TZVFormMain& w = OpenTxt(true);
    WindowPrompter boxes;
    ScopedPrompter useBoxes(boxes);
    EditCaption(w.RegTreeViewFileType, FileTypeNode("txtfile\\Other"), "Other = \"p\"");
    ASSERT_EQ(ValueOf("txtfile", "Other"), "p");
    w.activateWindow();
    gui::ProcessEvents();
    EXPECT_EQ(QApplication::focusWidget(), w.RegTreeViewFileType);
}

TEST_F(TreeEditedTest, EditingTheExtensionsCaption) {
    TZVFormMain& w = OpenTxt(true);
    TZVRegTreeView* tree = w.RegTreeViewExt;
    // A new value selects the file type it names.
    questions.ExpectConfirm("Change value of .txt to \"Paint.Picture\"?");
    EditCaption(tree, tree->TopNode(), ".txt = \"Paint.Picture\"");
    EXPECT_EQ(w.CurFileType, "Paint.Picture");
    EXPECT_EQ(UndoList.LastDescription(), "change value HKEY_CLASSES_ROOT\\.txt\\");
    PerformUndo(UndoList);
    EXPECT_EQ(w.CurFileType, "txtfile");

    questions.ExpectError("Root key in this view should start with a .");
    EditCaption(tree, tree->TopNode(), "txt = \"txtfile\"");
    EXPECT_EQ(CaptionOf(tree->TopNode()), ".txt = \"txtfile\"");

    questions.ExpectConfirm("Rename .txt to .text?", MessageResult::No);
    EditCaption(tree, tree->TopNode(), ".text = \"txtfile\"");
    EXPECT_EQ(CaptionOf(tree->TopNode()), ".txt = \"txtfile\"");

    // The extension follows its key, and the group box is sized again (at a
    // tick of the timer, held off here).
    w.PendingExtTreeSize = false;
    w.Timer->setInterval(24 * 3600 * 1000);
    questions.ExpectConfirm("Rename .txt to .text?");
    EditCaption(tree, tree->TopNode(), ".text = \"txtfile\"");
    EXPECT_EQ(w.CurExt, ".text");
    EXPECT_FALSE(HasItem(w.ComboExt, ".txt"));
    EXPECT_TRUE(w.PendingExtTreeSize);
    EXPECT_EQ(UndoList.LastDescription(), "rename key .txt");
}

TEST_F(TreeEditedTest, RenamingAClassKeepsItBelowCLSID) {
    TZVFormMain& w = OpenTxt();
    w.SelectExtension(".cls", 0);
    std::string s = "{1} = \"Shortcut\"";
    questions.ExpectConfirm("Rename CLSID\\{00021401-0000-0000-C000-000000000046} to CLSID\\{1}?");
    w.RegTreeViewEdited(w.RegTreeViewFileType, w.RegTreeViewFileType->TopNode(), s);
    EXPECT_EQ(DefaultOf("CLSID\\{1}"), "Shortcut");
    EXPECT_EQ(w.CurFileType, "CLSID\\{1}");
}

TEST_F(TreeEditedTest, RefusalsAndBadNamesLeaveRegistryAndCaption) {
    TZVFormMain& w = OpenTxt();
    // A key deleted behind the tree's back is neither renamed nor made anew.
    TRegTreeNode* stale = FileTypeNode("txtfile\\Misc");
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "txtfile\\Misc"));
    std::string renamed = "Misc2 = \"m\"";
    EXPECT_EQ(
        ErrorOf([&] { w.RegTreeViewEdited(w.RegTreeViewFileType, stale, renamed); }),
        "Failed to change HKEY_CLASSES_ROOT\\txtfile\\Misc. " + ErrorText(err::kFileNotFound));
    EXPECT_FALSE(Exists("txtfile\\Misc"));
    EXPECT_FALSE(Exists("txtfile\\Misc2"));
    EXPECT_EQ(w.RegTreeViewFileType->FindNode("txtfile\\Misc", false), nullptr);

    std::string s = "Mime = \"text/plain\"";
    questions.ExpectConfirm("Rename Content Type to Mime?", MessageResult::No);
    w.RegTreeViewEdited(w.RegTreeViewExt, ExtNode(".txt\\Content Type"), s);
    EXPECT_EQ(s, "Content Type = \"text/plain\"");
    EXPECT_FALSE(HasValue(".txt", "Mime"));

    // The value change refused, the rename asks on its own.
    s = "R = \"p\"";
    questions.ExpectConfirm("Rename Other to R and change its value to \"p\"?", MessageResult::No);
    questions.ExpectConfirm("Rename Other to R?");
    w.RegTreeViewEdited(w.RegTreeViewFileType, FileTypeNode("txtfile\\Other"), s);
    EXPECT_EQ(s, "R = \"o\"");
    EXPECT_EQ(ValueOf("txtfile", "R"), "o");
    ASSERT_EQ(UndoList.Count(), 1);
    EXPECT_EQ(UndoList.LastDescription(), "rename Other");

    // Bad names are reported, and the caption returns.
    OptionFlags &= static_cast<std::uint8_t>(~kOptionConfirmWrites);
    const std::string keyMessage = "Cannot handle key name with a backslash (\\).";
    const std::vector<std::vector<std::string>> rows = {
        // node, caption typed, message, caption restored
        {"txtfile", "a\\b = \"Text Document\"", keyMessage, "txtfile = \"Text Document\""},
        {"txtfile", " = \"Text Document\"", "Keyname expected.", "txtfile = \"Text Document\""},
        {"txtfile\\AlwaysShowExt", "a\\b = \"\"", "Cannot handle value name with a backslash.",
         "AlwaysShowExt = \"\""},
        // The value is written before the rename fails, and stays.
        {"txtfile\\shell", "x\\y = \"edit\"", keyMessage, "shell = \"edit\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row[1]);
        s = row[1];
        questions.ExpectError(row[2]);
        w.RegTreeViewEdited(w.RegTreeViewFileType, FileTypeNode(row[0]), s);
        EXPECT_EQ(s, row[3]);
        EXPECT_EQ(UndoGroupDepth, 0);
    }
    EXPECT_EQ(DefaultOf("txtfile\\shell"), "edit");

    // No key name for a new value: nothing is written, the error reaches the tree.
    s = " = \"New\"";
    EXPECT_EQ(ErrorOf<EZanver>(
                  [&] { w.RegTreeViewEdited(w.RegTreeViewFileType, FileTypeNode("txtfile"), s); }),
              "Keyname expected.");
    EXPECT_EQ(UndoGroupDepth, 0);
}

}  // namespace
}  // namespace zanver
