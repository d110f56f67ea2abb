// Moving and copying keys and values by drag and drop between registry tree
// views, and the refusals on the way.
#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "FaultStore.h"
#include "StoreHelpers.h"
#include "TreeDrag.h"
#include "TreeErrors.h"
#include "ValueTextRegistry.h"

namespace zanver {
namespace {

class MoveCopyTest : public GuiTest {
  protected:
    MoveCopyTest() {
        WriteString(HKEY_CLASSES_ROOT, ".abc", "", false, "abcfile");
        WriteString(HKEY_CLASSES_ROOT, ".abc", "Content Type", false, "text/abc");
        WriteString(HKEY_CLASSES_ROOT, ".abc\\ShellNew", "NullFile", false, "");
        WriteString(HKEY_CLASSES_ROOT, ".abc\\ShellNew", "Data", false, "x");
        WriteString(HKEY_CLASSES_ROOT, "abcfile", "", false, "ABC file");
        WriteDWord(HKEY_CLASSES_ROOT, "abcfile", "EditFlags", 0);
        WriteString(HKEY_CLASSES_ROOT, "abcfile\\shell\\open\\command", "", false, "abc.exe %1");
        WriteString(HKEY_CLASSES_ROOT, "abcfile\\DefaultIcon", "", false, "abc.exe,0");
        WriteString(HKEY_CURRENT_USER, "Test", "", false, "user");
        other.Registry.SetRootKey(HKEY_CURRENT_USER);

        auto* layout = new QHBoxLayout(&window);
        for (DragView* view : {&ext, &type, &other}) {
            layout->addWidget(view);
            view->ShiftHeld = [this] { return shift; };
        }
        window.resize(900, 500);
        ext.RefreshPath(".abc", false);
        type.RefreshPath("abcfile", false);
        other.RefreshPath("Test", false);
        EXPECT_TRUE(gui::ShowAndFocus(&ext));
        for (DragView* view : {&ext, &type, &other})
            view->expandAll();
    }
    // The node of a path, loaded as needed.
    static TRegTreeNode* Node(DragView& view, const std::string& path) {
        TRegTreeNode* node = view.FindNode(path, true);
        EXPECT_NE(node, nullptr) << path;
        return node;
    }
    // The centre of node, or empty space below the items.
    static QPoint PointOf(DragView& view, TRegTreeNode* node) {
        return node ? gui::ItemCentre(&view, node) : QPoint(5, view.viewport()->height() - 5);
    }

    // Starts a drag of node with the mouse; the drag runs script, seeing the
    // fixture's Shift state. Returns whether the drag started.
    bool Drag(DragView& from, TRegTreeNode* node, std::function<void(DragSimulator&)> script) {
        return gui::DragWithMouse(from, node, [&](DragSimulator& simulator) {
            simulator.ShiftHeld = [this] { return shift; };
            script(simulator);
        });
    }
    // Drags node onto target of view (nullptr: empty space); Shift is held at
    // the release when move is true.
    void DragDrop(DragView& from, TRegTreeNode* node, DragView& to, TRegTreeNode* target,
                  bool move) {
        shift = false;
        const QPoint point = PointOf(to, target);
        ASSERT_TRUE(Drag(from, node, [&](DragSimulator& drag) {
            drag.MoveTo(&to, point);
            shift = move;
            drag.Release();
        }));
        shift = false;
    }
    static std::string Value(RootKey root, const std::string& key, const std::string& name) {
        return ReadValueText(root, key, name, false);
    }
    static std::vector<std::string> Children(TRegTreeNode* node) {
        std::vector<std::string> names;
        for (int i = 0; i < node->childCount(); ++i)
            names.push_back(node->Child(i)->Text());
        return names;
    }

    bool shift = false;
    QWidget window;
    DragView ext;    // HKEY_CLASSES_ROOT\.abc
    DragView type;   // HKEY_CLASSES_ROOT\abcfile
    DragView other;  // HKEY_CURRENT_USER\Test
};

TEST_F(MoveCopyTest, KeysAreCopiedWithoutShiftAndMovedWithIt) {
    DragDrop(ext, Node(ext, ".abc\\ShellNew"), type, Node(type, "abcfile\\shell"), false);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "abcfile\\shell\\ShellNew", "Data"), "\"x\"");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".abc\\ShellNew"));
    TRegTreeNode* copied = type.FindNode("abcfile\\shell\\ShellNew", false);
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(type.Selected(), copied);

    // Shift pressed or released during the drag switches the action at once.
    TRegTreeNode* source = Node(ext, ".abc\\ShellNew");
    const QPoint point = PointOf(type, Node(type, "abcfile\\DefaultIcon"));
    ASSERT_TRUE(Drag(ext, source, [&](DragSimulator& drag) {
        EXPECT_EQ(ext.DragNode, source);
        drag.MoveTo(&type, point);
        EXPECT_EQ(drag.Action(), Qt::CopyAction);
        for (const bool held : {true, false, true}) {
            const int moves = drag.MouseMoves();
            shift = held;
            drag.Key(Qt::Key_Shift, held ? QEvent::KeyPress : QEvent::KeyRelease);
            EXPECT_EQ(drag.Action(), held ? Qt::MoveAction : Qt::CopyAction);
            EXPECT_GT(drag.MouseMoves(), moves);
        }
        drag.Release();
    }));
    shift = false;
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "abcfile\\DefaultIcon\\ShellNew", "NullFile"), "\"\"");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".abc\\ShellNew"));
    EXPECT_EQ(ext.FindNode(".abc\\ShellNew", false), nullptr);
    EXPECT_EQ(ext.DragNode, nullptr);
    EXPECT_NE(type.FindNode("abcfile\\DefaultIcon\\ShellNew", false), nullptr);
}

TEST_F(MoveCopyTest, DropCopiesAndMovesValuesInsideOneViewAndAcrossRoots) {
    DragDrop(type, Node(type, "abcfile\\EditFlags"), type, Node(type, "abcfile\\DefaultIcon"),
             false);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "abcfile\\DefaultIcon", "EditFlags"), "dword: 00000000");
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, "abcfile", "EditFlags"));
    EXPECT_EQ(type.Selected(), type.FindNode("abcfile\\DefaultIcon\\EditFlags", false));

    // Moved within the view, it leaves its old key.
    DragDrop(type, Node(type, "abcfile\\DefaultIcon\\EditFlags"), type,
             Node(type, "abcfile\\shell"), true);
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "abcfile\\DefaultIcon", "EditFlags"));
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "abcfile\\shell", "EditFlags"), "dword: 00000000");
    EXPECT_EQ(type.FindNode("abcfile\\DefaultIcon\\EditFlags", false), nullptr);

    // Values need no common root.
    DragDrop(ext, Node(ext, ".abc\\Content Type"), other, Node(other, "Test"), false);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, "Test", "Content Type"), "\"text/abc\"");
    EXPECT_NE(other.FindNode("Test\\Content Type", false), nullptr);
}

TEST_F(MoveCopyTest, OverwriteQuestionCancelKeepsBothValuesAndOkReplaces) {
    WriteString(HKEY_CLASSES_ROOT, "abcfile", "Content Type", false, "text/old");
    type.RefreshPath("abcfile", false);
    const std::string question =
        "Overwrite existing value \"text/old\" of HKEY_CLASSES_ROOT\\abcfile\\Content Type with "
        "\"text/abc\"?";

    Expect("Zanver", question, MessageButtons::OkCancel, MessageIcon::Question,
           MessageResult::Cancel);
    DragDrop(ext, Node(ext, ".abc\\Content Type"), type, Node(type, "abcfile"), true);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "abcfile", "Content Type"), "\"text/old\"");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, ".abc", "Content Type"), "\"text/abc\"");
    EXPECT_NE(ext.FindNode(".abc\\Content Type", false), nullptr);

    Expect("Zanver", question, MessageButtons::OkCancel, MessageIcon::Question, MessageResult::Ok);
    DragDrop(ext, Node(ext, ".abc\\Content Type"), type, Node(type, "abcfile\\EditFlags"), true);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "abcfile", "Content Type"), "\"text/abc\"");
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".abc", "Content Type"));
    // The key shows the name once, with the new text.
    EXPECT_EQ(
        Children(type.TopNode()),
        (std::vector<std::string>{"Content Type = \"text/abc\"", "DefaultIcon = \"abc.exe,0\"",
                                  "EditFlags = dword: 00000000", "shell"}));
}

TEST_F(MoveCopyTest, RefusedDropsShowTheTopLevelErrorAndChangeNothing) {
    WriteString(HKEY_CLASSES_ROOT, "abcfile\\ShellNew", "", false, "");
    const std::string before = store.Dump();
    const std::vector<std::string> extBefore = Children(ext.TopNode());
    const std::string classes = "HKEY_LOCAL_MACHINE\\Software\\Classes\\";
    // A key onto its own subkey, or onto one of its own values.
    questions.ExpectError(
        "Cannot copy " + classes + "abcfile\\shell to " + classes +
        "abcfile\\shell\\open\\shell because the target is a subkey of the source.");
    DragDrop(type, Node(type, "abcfile\\shell"), type, Node(type, "abcfile\\shell\\open"), false);
    questions.ExpectError("Cannot move " + classes + ".abc to " + classes +
                          ".abc\\.abc because the target is a subkey of the source.");
    DragDrop(ext, Node(ext, ".abc"), ext, Node(ext, ".abc\\Content Type"), true);
    questions.ExpectError("Cannot copy " + classes + ".abc\\ShellNew to " + classes +
                          "abcfile\\ShellNew because the target already exists.");
    DragDrop(ext, Node(ext, ".abc\\ShellNew"), type, Node(type, "abcfile"), false);

    questions.ExpectError("Cannot copy " + classes +
                          ".abc\\ShellNew to HKEY_CURRENT_USER\\Test\\ShellNew"
                          " . Cannot (yet) move keys with different roots.");
    DragDrop(ext, Node(ext, ".abc\\ShellNew"), other, Node(other, "Test"), false);

    questions.ExpectError("Cannot copy key to root of tree view.");
    DragDrop(ext, Node(ext, ".abc\\ShellNew"), type, nullptr, true);
    questions.ExpectError("Don't want to create a value in HKEY_CURRENT_USER.");
    DragDrop(ext, Node(ext, ".abc\\Content Type"), other, nullptr, true);
    questions.ExpectError("Don't want to create a value in HKEY_CLASSES_ROOT.");
    DragDrop(ext, Node(ext, ".abc\\Content Type"), ext, nullptr, false);

    EXPECT_EQ(store.Dump(), before);
    EXPECT_EQ(Children(ext.TopNode()), extBefore);
    EXPECT_EQ(type.FindNode("abcfile\\shell\\open\\shell", false), nullptr);
}

TEST_F(MoveCopyTest, DropsOntoTheItemsOwnPlaceDoNothing) {
    const std::string before = store.Dump();
    const std::vector<std::string> extBefore = Children(ext.TopNode());
    const std::vector<std::string> typeBefore = Children(type.TopNode());
    // A value onto another value of its key, onto its own key, onto itself.
    DragDrop(type, Node(type, "abcfile\\EditFlags"), type, Node(type, "abcfile"), true);
    DragDrop(ext, Node(ext, ".abc\\ShellNew\\NullFile"), ext, Node(ext, ".abc\\ShellNew\\Data"),
             false);
    DragDrop(ext, Node(ext, ".abc\\Content Type"), ext, Node(ext, ".abc"), true);
    DragDrop(ext, Node(ext, ".abc\\Content Type"), ext, Node(ext, ".abc\\Content Type"), true);
    // A key onto its parent or onto itself.
    DragDrop(type, Node(type, "abcfile\\shell"), type, Node(type, "abcfile"), true);
    DragDrop(type, Node(type, "abcfile\\shell"), type, Node(type, "abcfile\\shell"), true);

    // The same key shown in a second view: nothing to copy, nothing to lose,
    // and no second node for it.
    DragView second;
    second.RefreshPath(".abc", false);
    second.MoveCopyNode(Node(ext, ".abc\\Content Type"), second.TopNode(), false);
    second.MoveCopyNode(Node(ext, ".abc\\ShellNew"), second.TopNode(), false);

    // The same value seen below HKEY_LOCAL_MACHINE: no overwrite question,
    // and the move does not delete the only copy.
    DragView machine;
    machine.Registry.SetRootKey(HKEY_LOCAL_MACHINE);
    machine.RootPath = "Software\\Classes";
    machine.RefreshPath("Software\\Classes\\.abc", false);
    ASSERT_NE(machine.TopNode(), nullptr);
    machine.MoveCopyNode(Node(ext, ".abc\\Content Type"), machine.TopNode(), false);

    EXPECT_EQ(store.Dump(), before);
    EXPECT_EQ(Children(ext.TopNode()), extBefore);
    EXPECT_EQ(Children(type.TopNode()), typeBefore);
    EXPECT_EQ(Children(second.TopNode()), extBefore);
}

TEST_F(MoveCopyTest, CaseOnlyKeyRenameGoesThroughAFreeTemporaryName) {
    WriteString(HKEY_CLASSES_ROOT, "abcfile\\a", "v", false, "1");
    WriteString(HKEY_CLASSES_ROOT, "abcfile\\a\\sub", "w", false, "2");
    WriteString(HKEY_CLASSES_ROOT, "abcfile\\a0", "keep", false, "me");

    type.MoveCopyKey(HKEY_CLASSES_ROOT, "abcfile\\a", false, "abcfile\\A", HKEY_CLASSES_ROOT);
    EXPECT_EQ(type.Registry.GetRootKey(), HKEY_CLASSES_ROOT);
    EXPECT_EQ(test::SubKeysOf(HKEY_CLASSES_ROOT, "abcfile"),
              (test::Names{"A", "a0", "DefaultIcon", "shell"}));
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "abcfile\\A", "v"), "\"1\"");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "abcfile\\A\\sub", "w"), "\"2\"");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "abcfile\\a0", "keep"), "\"me\"");

    // A difference of case in a parent is no rename: the target exists.
    WriteString(HKEY_CLASSES_ROOT, "abcfile\\B\\x", "", false, "");
    EXPECT_THROW(type.MoveCopyKey(HKEY_CLASSES_ROOT, "abcfile\\B\\x", false, "abcfile\\b\\x",
                                  HKEY_CLASSES_ROOT),
                 ERegTreeView);
    EXPECT_EQ(type.Registry.GetRootKey(), HKEY_CLASSES_ROOT);
}

TEST_F(MoveCopyTest, FailedMovesLoseNothingAndSaySo) {
    FaultStore faults(store);
    ScopedActiveStore active(faults);
    faults.FailNth(FaultStore::Call::MoveKey, 1, err::kAccessDenied);
    questions.ExpectError(
        "Could not copy key HKEY_LOCAL_MACHINE\\Software\\Classes\\.abc\\ShellNew to "
        "HKEY_LOCAL_MACHINE\\Software\\Classes\\abcfile\\ShellNew. Access is denied.");
    DragDrop(ext, Node(ext, ".abc\\ShellNew"), type, Node(type, "abcfile"), true);

    EXPECT_FALSE(faults.FaultsPending());
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, ".abc\\ShellNew", "NullFile"), "\"\"");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, ".abc\\ShellNew", "Data"), "\"x\"");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "abcfile\\ShellNew"));
    EXPECT_NE(ext.FindNode(".abc\\ShellNew", false), nullptr);
    EXPECT_EQ(type.FindNode("abcfile\\ShellNew", false), nullptr);

    // A value moved whose source cannot be deleted exists twice: both show,
    // and the failure is reported rather than passed off as a move.
    faults.FailNth(FaultStore::Call::DeleteValue, 1, err::kAccessDenied);
    questions.ExpectError(
        "Could not delete HKEY_CLASSES_ROOT\\.abc\\Content Type. Access is denied.");
    DragDrop(ext, Node(ext, ".abc\\Content Type"), type, Node(type, "abcfile"), true);

    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, ".abc", "Content Type"), "\"text/abc\"");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "abcfile", "Content Type"), "\"text/abc\"");
    EXPECT_NE(ext.FindNode(".abc\\Content Type", false), nullptr);
    EXPECT_NE(type.FindNode("abcfile\\Content Type", false), nullptr);

    // Sources someone else deleted: nothing is made at the target, and the
    // source's view drops their nodes.
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, ".abc\\ShellNew"));
    ASSERT_TRUE(DeleteValue(HKEY_CLASSES_ROOT, "abcfile", "EditFlags"));
    const std::string notFound = ErrorText(err::kFileNotFound) + ".";
    questions.ExpectError("Cannot copy HKEY_CLASSES_ROOT\\.abc\\ShellNew. " + notFound);
    DragDrop(ext, Node(ext, ".abc\\ShellNew"), type, Node(type, "abcfile"), false);
    questions.ExpectError("Cannot move HKEY_CLASSES_ROOT\\abcfile\\EditFlags. " + notFound);
    DragDrop(type, Node(type, "abcfile\\EditFlags"), ext, Node(ext, ".abc"), true);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "abcfile\\ShellNew"));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".abc", "EditFlags"));
    EXPECT_EQ(ext.FindNode(".abc\\ShellNew", false), nullptr);
    EXPECT_EQ(type.FindNode("abcfile\\EditFlags", false), nullptr);
}

TEST_F(MoveCopyTest, EscapeCancelsTheDragWithoutAnyChange) {
    const std::vector<std::string> before = Children(type.TopNode());
    ASSERT_TRUE(Drag(ext, Node(ext, ".abc\\ShellNew"), [&](DragSimulator& drag) {
        drag.MoveTo(&type, PointOf(type, type.TopNode()));
        drag.Key(Qt::Key_Escape, QEvent::KeyPress);
        // Even a drop that still arrives changes nothing.
        drag.Release();
    }));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "abcfile\\ShellNew"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".abc\\ShellNew"));
    EXPECT_EQ(Children(type.TopNode()), before);
}

}  // namespace
}  // namespace zanver
