// What the main window does when something changes in one of its two tree
// views: the fields of the panel that show the changed key or value are read
// again, or another extension or file type is selected. Also the paste into a
// tree view with its undo record.
#include <QLineEdit>

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "Errors.h"
#include "Exception.h"
#include "KeyPaths.h"
#include "MainWindow.h"
#include "NameRules.h"
#include "Options.h"
#include "RegistryAccess.h"
#include "Undo.h"
#include "UndoGroup.h"
#include "ValueText.h"
#include "Vocabulary.h"
#include "ZVComboBox.h"
#include "ZVRegTreeView.h"

namespace zanver {

namespace {

// Either name is the word (letter case ignored).
bool SameNameAs(std::string_view a, std::string_view b, std::string_view word) {
    return SameName(a, word) || SameName(b, word);
}

std::string NameOf(const TRegTreeNode* node) {
    return node != nullptr ? node->NodeName() : std::string();
}

// The depth of the key at path in the tree (0 for its top node).
int PathLevel(const TRegTreeView* tree, std::string_view path) {
    const std::string below = tree->StripRootPath(path);
    int level = 0;
    for (const char c : below)
        if (c == '\\')
            ++level;
    return level;
}

// The level of a renamed key: its node's depth, or, when the tree has no node
// for it, the depth of its new path.
int RenamedKeyLevel(const TRegTreeView* tree, const TRegTreeNode* node, std::string_view newPath) {
    return node != nullptr ? NodeLevel(node) : PathLevel(tree, newPath);
}

// The name of the key that holds a renamed key (its node's parent, or the
// parent component of its new path).
std::string RenamedKeyParentName(const TRegTreeNode* node, std::string_view newPath) {
    if (node != nullptr)
        return NameOf(node->ParentNode());
    return ExtractKeyName(ExtractParentKey(newPath));
}

// The file type an extension's default value names. Only a string names one;
// a value of another type (or text that no longer parses) names none, as the
// registry read of the default value would give.
std::string FileTypeOfValueText(const std::string& valueText) {
    try {
        return StringFromValueText(valueText);
    } catch (const Exception&) {
        return std::string();
    }
}

// One step for Undo of what a paste wrote: the values it overwrote come back,
// the items it created go. The newest record names the first item created.
void RecordPaste(TZVRegTreeView* tree, const TPasteChanges& changes) {
    const RootKey root = tree->Registry.GetRootKey();
    std::optional<UndoDepthScope> group;
    const auto record = [&](const std::string& path, std::string value, UndoProcedure undo) {
        AddUndoForActiveControl("paste " + tree->FullPath(path), std::move(value), std::move(undo),
                                tree);
        if (!group)
            group.emplace();
    };
    for (const TPasteChanges::Overwrite& overwrite : changes.Overwritten)
        record(overwrite.keyPath + "\\" + overwrite.name,
               ValueUndoText(root, overwrite.keyPath, overwrite.name, overwrite.oldText),
               TZVRegTreeView::RestoreValue);
    for (auto created = changes.Created.rbegin(); created != changes.Created.rend(); ++created) {
        // A created value is named by its key path and name apart by a zero.
        std::string path = *created;
        std::replace(path.begin(), path.end(), '\0', '\\');
        record(path, *created, TZVRegTreeView::RemoveCreated);
    }
}

}  // namespace

// ---- Extension tree ----------------------------------------------------------

void TZVFormMain::RegTreeViewExtKeyNameChanged(TRegTreeNode* node, const std::string& oldName,
                                               const std::string& newName) {
    const int level = RenamedKeyLevel(RegTreeViewExt, node, newName);
    const std::string o = ExtractKeyName(oldName);
    const std::string n = ExtractKeyName(newName);
    switch (level) {
        case 0:
            ComboExt->RemoveItemAndClear(oldName);
            SelectExtension(newName, SelNoExtTree);
            // The group box fits the tree again once the tree shows the new name.
            RequestExtTreeSize();
            break;
        case 1:
            if (SameNameAs(o, n, kShellNew) || SameNameAs(o, n, CurFileType))
                RefreshField(PanelField::Template);
            break;
        case 2:
            if (SameNameAs(o, n, kShellNew))
                RefreshField(PanelField::Template);
            break;
        default:
            break;
    }
}

void TZVFormMain::RegTreeViewExtNodeChanged(int level, const std::string& name, TRegTreeNode*) {
    switch (level) {
        case 0:
            SelectExtension(name, SelNoExtTree);
            break;
        case 1:
            if (SameName(name, kContentType))
                RefreshField(PanelField::Mime);
            else if (SameName(name, kShellNew) || SameName(name, CurFileType))
                RefreshField(PanelField::Template);
            break;
        case 2:
        case 3:
            if (SameName(name, kShellNew) || SameName(name, kFileNameValue) ||
                SameName(name, kNullFile))
                RefreshField(PanelField::Template);
            break;
        default:
            break;
    }
}

void TZVFormMain::RegTreeViewExtNodeDeleted(int level, const std::string& name,
                                            TRegTreeNode* parent) {
    if (level == 0) {
        ComboExt->RemoveItemAndClear(name);
        CurExt.clear();
        SelectExtension(CurExt, 0);
    } else if (RegTreeViewExt->OnNodeChanged) {
        RegTreeViewExt->OnNodeChanged(level, name, parent);
    }
}

void TZVFormMain::RegTreeViewExtNodeCreated(TRegTreeNode*& node) {
    if (node == nullptr || NodeLevel(node) != 0)
        return;
    // A new extension key at the top: it becomes the current extension, and
    // the tree, shown again for it, holds a new node for it.
    SelectExtension(node->NodeName(), 0);
    node = RegTreeViewExt->FindNode(CurExt, true);
}

void TZVFormMain::RegTreeViewExtNodeValueChanged(TRegTreeNode* node, const std::string& value) {
    if (node == nullptr)
        return;
    switch (NodeLevel(node)) {
        case 0:
            // The extension names another file type now.
            SelectFileType(FileTypeOfValueText(value), 0);
            break;
        case 1:
            if (SameName(node->NodeName(), kContentType))
                RefreshField(PanelField::Mime);
            break;
        case 2:
        case 3:
            if (SameName(node->NodeName(), kFileNameValue))
                RefreshField(PanelField::Template);
            break;
        default:
            break;
    }
}

void TZVFormMain::RegTreeViewExtValueNameChanged(TRegTreeNode* node, const std::string& oldName,
                                                 const std::string& newName) {
    // Without a node the renamed value is not in the key shown.
    if (node == nullptr)
        return;
    switch (NodeLevel(node)) {
        case 1:
            if (SameNameAs(oldName, newName, kContentType))
                RefreshField(PanelField::Mime);
            break;
        case 2:
        case 3:
            if (SameNameAs(oldName, newName, kNullFile) ||
                SameNameAs(oldName, newName, kFileNameValue))
                RefreshField(PanelField::Template);
            break;
        default:
            break;
    }
}

// ---- File type tree ----------------------------------------------------------

void TZVFormMain::RegTreeViewFileTypeKeyNameChanged(TRegTreeNode* node, const std::string& oldName,
                                                    const std::string& newName) {
    const int level = RenamedKeyLevel(RegTreeViewFileType, node, newName);
    const std::string o = ExtractKeyName(oldName);
    const std::string n = ExtractKeyName(newName);
    switch (level) {
        case 0:
            // The names are key paths, with "CLSID\" for a class as the
            // combo's items have it.
            ComboFileType->RemoveItemAndClear(oldName);
            SelectFileType(newName, SelNoFileTypeTree);
            break;
        case 1:
            if (SameNameAs(o, n, kDefaultIcon)) {
                RefreshField(PanelField::Icon);
            } else if (SameNameAs(o, n, kClsid)) {
                RefreshField(PanelField::Icon);
                RefreshField(PanelField::ClassCheck);
            } else if (SameNameAs(o, n, kShell)) {
                RefreshField(PanelField::Actions, 0);
            } else {
                RefreshField(PanelField::ServerCheck);
            }
            break;
        case 2:
            // A verb got a new name.
            if (SameName(RenamedKeyParentName(node, newName), kShell))
                RefreshField(PanelField::Actions, 0);
            break;
        case 3:
            if (SameNameAs(o, n, kCommand))
                RefreshField(PanelField::Command);
            else if (SameNameAs(o, n, kDdeExec))
                RefreshField(PanelField::DdeCaption);
            break;
        default:
            break;
    }
}

void TZVFormMain::RegTreeViewFileTypeNodeChanged(int level, const std::string& name,
                                                 TRegTreeNode* parent) {
    switch (level) {
        case 0:
            // Below the class root a class name becomes "CLSID\" + name.
            SelectFileType(RegTreeViewFileType->RootedPath(name), SelNoFileTypeTree);
            break;
        case 1:
            if (SameName(name, kShell)) {
                RefreshField(PanelField::Actions, 0);
            } else if (SameName(name, kDefaultIcon)) {
                RefreshField(PanelField::Icon);
            } else if (SameName(name, kClsid)) {
                RefreshField(PanelField::Icon);
                RefreshField(PanelField::ClassCheck);
            } else if (SameName(name, kEditFlags)) {
                RefreshField(PanelField::ConfirmOpen);
            } else if (SameName(name, kAlwaysShowExt) || SameName(name, kNeverShowExt)) {
                RefreshField(PanelField::ShowExt);
            } else {
                RefreshField(PanelField::ServerCheck);
            }
            break;
        case 2:
            if (SameName(NameOf(parent), kShell))
                RefreshField(PanelField::Actions, 0);
            break;
        case 3:
            if (SameName(name, kCommand))
                RefreshField(PanelField::Command);
            else if (SameName(name, kDdeExec))
                RefreshField(PanelField::DdeCaption);
            break;
        default:
            break;
    }
}

void TZVFormMain::RegTreeViewFileTypeNodeDeleted(int level, const std::string& name,
                                                 TRegTreeNode* parent) {
    if (level == 0) {
        // The combo lists a class as "CLSID\" + its name.
        ComboFileType->RemoveItemAndClear(RegTreeViewFileType->RootedPath(name));
        // What the extension names decides what is shown next.
        ReloadFileType(0);
    } else if (RegTreeViewFileType->OnNodeChanged) {
        RegTreeViewFileType->OnNodeChanged(level, name, parent);
    }
}

// A new key at the top of the file type tree becomes the extension's file
// type: its creation, the new default value of the extension and the new
// top node of the extension tree are one step for Undo.
void TZVFormMain::RegTreeViewFileTypeNodeCreated(TRegTreeNode*& node) {
    if (node == nullptr || NodeLevel(node) != 0)
        return;
    TZVRegTreeView* tree = RegTreeViewFileType;
    // The key's path, which below the class root begins with "CLSID\".
    const std::string path = node->NodePath();
    const int recorded = UndoList.Count();
    UndoDepthScope group;
    try {
        SelectFileType(path, SelWriteDefault | SelShowOnExtTop);
        node = tree->FindNode(CurFileType, true);
    } catch (const EZAbort&) {
        // The user would not have the extension name the new key: the key
        // goes again, without a further question.
        node = nullptr;
        const bool onlyCreation = UndoList.Count() == recorded && recorded > 0 &&
                                  UndoList.Last()->Target == tree && UndoList.Last()->Value == path;
        if (!onlyCreation) {
            PerformUndo(UndoList);
            return;
        }
        UndoList.RemoveLast();
        if (TRegTreeNode* created = tree->FindNode(path, false))
            tree->DeleteNode(created);
        else
            DeleteKeyTree(tree->Registry.GetRootKey(), path);
    } catch (...) {
        node = nullptr;
        PerformUndo(UndoList);
        throw;
    }
}

void TZVFormMain::RegTreeViewFileTypeNodeValueChanged(TRegTreeNode* node, const std::string&) {
    if (node == nullptr)
        return;
    const std::string name = node->NodeName();
    switch (NodeLevel(node)) {
        case 0:
            // A file type's default value is its description.
            RefreshDescription();
            break;
        case 1:
            if (SameName(name, kDefaultIcon)) {
                RefreshField(PanelField::Icon);
            } else if (SameName(name, kClsid)) {
                RefreshField(PanelField::Icon);
                RefreshField(PanelField::ClassCheck);
            } else if (SameName(name, kEditFlags)) {
                RefreshField(PanelField::ConfirmOpen);
            } else if (SameName(name, kShell)) {
                // The default verb changed.
                RefreshField(PanelField::ActionLabel);
            } else {
                RefreshField(PanelField::ServerCheck);
            }
            break;
        case 2:
            if (SameName(NameOf(node->ParentNode()), kShell))
                RefreshField(PanelField::ActionDescr);
            break;
        case 3:
            if (SameName(name, kCommand))
                RefreshField(PanelField::Command);
            break;
        default:
            break;
    }
}

void TZVFormMain::RegTreeViewFileTypeValueNameChanged(TRegTreeNode* node,
                                                      const std::string& oldName,
                                                      const std::string& newName) {
    if (node == nullptr || NodeLevel(node) != 1)
        return;
    if (SameNameAs(oldName, newName, kEditFlags))
        RefreshField(PanelField::ConfirmOpen);
    else if (SameNameAs(oldName, newName, kAlwaysShowExt) ||
             SameNameAs(oldName, newName, kNeverShowExt))
        RefreshField(PanelField::ShowExt);
}

void TZVFormMain::RegTreeViewFileTypeChange(TRegTreeNode* node) {
    if (SameName(NameOf(node), kClsid))
        RefreshField(PanelField::ClassCheck);
}

// ---- Paste -------------------------------------------------------------------

void TZVFormMain::RegTreeViewPaste() {
    TZVRegTreeView* tree = ActiveTree();
    if (tree == nullptr)
        return;
    if (tree->IsEditing()) {
        // The text goes into the caption being edited, not into the registry.
        if (QLineEdit* editor = tree->EditControl())
            editor->paste();
        return;
    }
    TPasteChanges changes;
    std::exception_ptr failure;
    try {
        tree->PasteFromClipboard((OptionFlags & kOptionNoConfirmPaste) == 0, &changes);
    } catch (...) {
        // What was written before the failure is recorded and shown all the same.
        failure = std::current_exception();
    }
    RecordPaste(tree, changes);
    // The fields follow the node the paste ended on.
    if (const TRegTreeNode* selected = tree->Selected(); selected != nullptr && tree->OnNodeChanged)
        tree->OnNodeChanged(NodeLevel(selected), selected->NodeName(), selected->ParentNode());
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace zanver
