// Shared set-up of the tree coordination tests: the window's data set with
// extra keys at every level of both trees, the field refreshes the window
// asks for, and the driving of in-place edits.
#pragma once

#include <QLineEdit>

#include <string>
#include <vector>

#include "AppTitle.h"
#include "Confirm.h"
#include "MainWindowFixture.h"
#include "RegistryAccess.h"
#include "RootKeys.h"
#include "Undo.h"
#include "ValueTextRegistry.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

namespace zanver {

// Keys and values at each level below .txt and txtfile.
inline constexpr char kCoordinationData[] = R"(REGEDIT4

[HKEY_CLASSES_ROOT\.txt\ShellNew]
"NullFile"=""
"FileName"="x.txt"

[HKEY_CLASSES_ROOT\.txt\txtfile\ShellNew]
"FileName"="y.txt"

[HKEY_CLASSES_ROOT\.txt\Other]
"Plain"="p"

[HKEY_CLASSES_ROOT\txtfile]
"EditFlags"=dword:00010000
"AlwaysShowExt"=""
"Other"="o"

[HKEY_CLASSES_ROOT\txtfile\DefaultIcon]
@="icon.dll,1"

[HKEY_CLASSES_ROOT\txtfile\CLSID]
@="{00021401-0000-0000-C000-000000000046}"

[HKEY_CLASSES_ROOT\txtfile\shell\open\ddeexec]
@="[open]"

[HKEY_CLASSES_ROOT\txtfile\shell\open\other]

[HKEY_CLASSES_ROOT\txtfile\Misc\Sub]
@="s"
)";

class CoordinationTest : public MainWindowTest {
  protected:
    CoordinationTest() { Import(kCoordinationData); }

    // The window showing .txt (and so txtfile), watching the field
    // refreshes; when shown, the file type tree has the focus.
    TZVFormMain& OpenTxt(bool shown = false) {
        TZVFormMain& form = Open();
        form.SelectExtension(".txt", 0);
        if (shown) {
            EXPECT_TRUE(gui::ShowAndFocus(form.RegTreeViewFileType));
        }
        WatchFields();
        return form;
    }
    void WatchFields() {
        fields.clear();
        window->FieldRefreshed = [this](PanelField field) { fields.push_back(field); };
    }

    TRegTreeNode* ExtNode(const std::string& path) {
        return window->RegTreeViewExt->FindNode(path, true);
    }
    TRegTreeNode* FileTypeNode(const std::string& path) {
        return window->RegTreeViewFileType->FindNode(path, true);
    }
    static std::string CaptionOf(const TRegTreeNode* node) {
        return node != nullptr ? node->Text() : std::string("(no node)");
    }

    // Questions: a write confirmation, a question of the trees, an error box.
    void ExpectConfirm(const std::string& text, MessageResult answer = MessageResult::Yes) {
        Expect(AppTitle() + kConfirmWriteCaptionSuffix, text, MessageButtons::YesNo,
               MessageIcon::Question, answer);
    }
    void ExpectQuestion(const std::string& text, MessageResult answer = MessageResult::Yes) {
        Expect(AppTitle(), text, MessageButtons::YesNo, MessageIcon::Question, answer);
    }
    void ExpectError(const std::string& text) {
        Expect(AppTitle(), text, MessageButtons::Ok, MessageIcon::Stop, MessageResult::Ok);
    }

    // Starts the in-place edit of node the way the user does (F2 on the
    // selected node), or nullptr when no editor opened.
    QLineEdit* StartEdit(TZVRegTreeView* tree, TRegTreeNode* node) {
        tree->setFocus(Qt::OtherFocusReason);
        tree->Select(node);
        gui::PressKey(tree, Qt::Key_F2);
        // A key without value shows its value part first and opens the
        // editor at the next idle moment.
        if (tree->EditControl() == nullptr)
            tree->StartPendingEdit();
        return tree->EditControl();
    }
    // Edits the caption of node: the whole text is typed anew, then Return.
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
        for (const std::string& item : Items(combo))
            if (item == text)
                return true;
        return false;
    }

    std::vector<PanelField> fields;
};

}  // namespace zanver
