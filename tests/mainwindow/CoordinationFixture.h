// Shared set-up of the tree coordination tests: keys at every level below .txt
// and txtfile, the field refreshes the window asks for, and in-place edits.
#pragma once

#include <QLineEdit>

#include <algorithm>
#include <string>
#include <vector>

#include "MainWindowFixture.h"
#include "RegistryAccess.h"
#include "RootKeys.h"
#include "Undo.h"
#include "ZVComboBox.h"
#include "ZVRegTreeView.h"

namespace zanver {

inline constexpr char kCoordinationData[] = R"(REGEDIT4

[HKEY_CLASSES_ROOT\.txt\ShellNew]
"NullFile"=""
"FileName"="x.txt"

[HKEY_CLASSES_ROOT\.txt\txtfile\ShellNew]
"FileName"="y.txt"

[HKEY_CLASSES_ROOT\txtfile]
"EditFlags"=dword:00010000
"AlwaysShowExt"=""
"Other"="o"

[HKEY_CLASSES_ROOT\txtfile\DefaultIcon]
@="icon.dll,1"

[HKEY_CLASSES_ROOT\txtfile\CLSID]

[HKEY_CLASSES_ROOT\txtfile\shell\open\ddeexec]

[HKEY_CLASSES_ROOT\txtfile\Misc\Sub]
)";

class CoordinationTest : public MainWindowTest {
  protected:
    CoordinationTest() { Import(kCoordinationData); }

    // The window showing .txt and txtfile, recording the field refreshes;
    // when shown, the file type tree has the focus.
    TZVFormMain& OpenTxt(bool shown = false) {
        TZVFormMain& form = Open();
        form.SelectExtension(".txt", 0);
        if (shown) {
            EXPECT_TRUE(gui::ShowAndFocus(form.RegTreeViewFileType));
        }
        fields.clear();
        form.FieldRefreshed = [this](PanelField field) { fields.push_back(field); };
        return form;
    }

    TRegTreeNode* ExtNode(const std::string& path) {
        return window->RegTreeViewExt->FindNode(path, true);
    }
    TRegTreeNode* FileTypeNode(const std::string& path) {
        return window->RegTreeViewFileType->FindNode(path, true);
    }

    // Opens the in-place editor of node with F2 (for a key without value at
    // the next idle moment).
    QLineEdit* StartEdit(TZVRegTreeView* tree, TRegTreeNode* node) {
        tree->setFocus(Qt::OtherFocusReason);
        tree->Select(node);
        gui::PressKey(tree, Qt::Key_F2);
        if (tree->EditControl() == nullptr)
            tree->StartPendingEdit();
        return tree->EditControl();
    }
    // Types a new caption for node and presses Return.
    void EditCaption(TZVRegTreeView* tree, TRegTreeNode* node, const QString& text) {
        QLineEdit* editor = StartEdit(tree, node);
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        gui::Type(editor, text);
        gui::PressKey(editor, Qt::Key_Return);
        gui::ProcessEvents();
    }

    static std::string ValueOf(const std::string& key, const std::string& name) {
        return ReadString(HKEY_CLASSES_ROOT, key, name);
    }
    static bool HasValue(const std::string& key, const std::string& name) {
        return ValueExists(HKEY_CLASSES_ROOT, key, name);
    }
    static bool HasItem(const QComboBox* combo, const std::string& text) {
        return std::ranges::count(Items(combo), text) > 0;
    }

    std::vector<PanelField> fields;
};

}  // namespace zanver
