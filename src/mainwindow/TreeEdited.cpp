// The in-place edit of a node's caption in either tree view. The caption is
// "name = value text": a changed value is written first, then a changed name
// renames the value or moves the key. Both are confirmed (one question when
// both change) and recorded as one step for Undo.
#include <optional>
#include <string>

#include "Confirm.h"
#include "ErrorCodes.h"
#include "Errors.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "MainWindow.h"
#include "QtGuard.h"
#include "RegistryAccess.h"
#include "StrUtils.h"
#include "Undo.h"
#include "UndoGroup.h"
#include "ValueTextRegistry.h"
#include "ZVRegTreeView.h"

namespace zanver {

// What one in-place edit is about: the node's registry address before the
// edit, the name and value the new caption holds, and how far it got.
struct TZVFormMain::EditStep {
    EditStep(TZVRegTreeView* tree, TRegTreeNode* node, std::string& s)
        : Tree(tree), Node(node), S(s) {}

    TZVRegTreeView* Tree;
    TRegTreeNode* Node;
    // The caption the tree gives the node when the edit is handled.
    std::string& S;
    // The key: for a key node its own path, for a value its key's path.
    std::string KeyPath;
    // The value's name; empty for a key node (its default value).
    std::string Name;
    std::string OldValue;
    std::string NewName;
    std::string NewValue;
    // The undo description of a rename that joins the value change's group.
    std::string Description;
    // The value change was confirmed, which covers the rename as well.
    bool Confirmed = false;
    // The value change recorded undo entries that the rename joins.
    bool Grouped = false;
};

void TZVFormMain::RegTreeViewEdited(TRegTreeView* sender, TRegTreeNode* node, std::string& s) {
    auto* tree = dynamic_cast<TZVRegTreeView*>(sender);
    if (node == nullptr || tree == nullptr)
        return;
    EditStep step(tree, node, s);
    node->GetRegAddress(step.KeyPath, step.Name, step.OldValue);
    SplitCaption(s, step.NewName, step.NewValue);
    if (!KeyExists(tree->Registry.GetRootKey(), step.KeyPath)) {
        // Gone behind the tree's back: a write would make the key anew, a
        // rename could not happen. The tree shows what the store holds.
        SetLastErrorCode(err::kFileNotFound);
        const std::string message =
            "Failed to change " + tree->FullPath(node->NodePath()) + ". " + LastErrorText();
        tree->RefreshPath(step.KeyPath, true);
        throw EZanver(message);
    }

    // Errors of the value change reach the caller: the caption stays as it was.
    const int count = UndoList.Count();
    ChangeEditedValue(step);

    // A rename recorded now joins the value change's undo group.
    step.Grouped = UndoList.Count() > count;
    std::optional<UndoDepthScope> group;
    if (step.Grouped)
        group.emplace();
    if (node->IsKey())
        RenameEditedKey(step);
    else
        RenameEditedValue(step);
}

void TZVFormMain::ChangeEditedValue(EditStep& step) {
    if (step.NewValue == step.OldValue)
        return;
    TZVRegTreeView* tree = step.Tree;
    const bool isKey = step.Node->IsKey();
    if (step.Name.empty()) {
        // A key's default value.
        if (step.NewName.empty())
            throw EZanver("Keyname expected.");
        if (step.NewValue.empty()) {
            if (tree->DeleteValueUndoable(step.KeyPath, "")) {
                step.S = step.NewName;
                step.Description = "Delete default value of " + step.KeyPath;
                if (tree->OnNodeValueChanged)
                    tree->OnNodeValueChanged(step.Node, std::string());
            } else {
                step.NewValue = step.OldValue;
                step.S =
                    step.OldValue.empty() ? step.NewName : step.NewName + " = " + step.OldValue;
            }
            return;
        }
    }

    const std::string ownName = isKey ? ExtractKeyName(step.KeyPath) : step.Name;
    if (step.NewName == step.Name || (isKey && step.NewName == ownName))
        step.Description = "Change value of " + step.NewName;
    else
        step.Description = "Rename " + ownName + " to " + step.NewName + " and change its value";
    if (!ConfirmWrite(step.Description + " to " + step.NewValue + "?")) {
        step.NewValue = step.OldValue;
        step.S =
            isKey && step.OldValue.empty() ? step.NewName : step.NewName + " = " + step.OldValue;
        return;
    }
    step.Confirmed = true;
    // The value keeps its old name here; the rename follows. Undo puts back
    // the old type and bytes exactly, or removes a value the key did not have.
    const RootKey root = tree->Registry.GetRootKey();
    const bool existed = ValueExists(root, step.KeyPath, step.Name);
    const std::string exactOld = existed ? ReadExactValueText(root, step.KeyPath, step.Name) : "";
    SetValueText(root, step.KeyPath, step.Name, step.NewValue);
    const std::string valuePath = step.KeyPath + "\\" + step.Name;
    if (existed)
        AddUndoForActiveControl("change value " + tree->FullPath(valuePath),
                                ValueUndoText(root, step.KeyPath, step.Name, exactOld),
                                TZVRegTreeView::RestoreValue, tree);
    else
        AddUndoForActiveControl("change value " + tree->FullPath(valuePath),
                                CreatedValueUndoText(step.KeyPath, step.Name),
                                TZVRegTreeView::RemoveCreated, tree);
    if (tree->OnNodeValueChanged)
        tree->OnNodeValueChanged(step.Node, step.NewValue);
}

void TZVFormMain::RenameEditedValue(EditStep& step) {
    if (step.NewName == step.Name)
        return;
    TZVRegTreeView* tree = step.Tree;
    const std::string restore = step.Name + " = " + step.NewValue;
    // Once the registry holds the new name, the caption keeps it too, even
    // when what follows fails.
    bool renamed = false;
    const bool done = Guarded([&] {
        if (step.NewName.find('\\') != std::string::npos)
            throw EZanver("Cannot handle value name with a backslash.");
        if (!step.Confirmed && !ConfirmWriteFmt("Rename %s to %s?", {step.Name, step.NewName})) {
            step.S = restore;
            return;
        }
        tree->RenameValue(step.KeyPath, step.Name, step.NewName);
        renamed = true;
        if (!step.Grouped)
            step.Description = "rename " + step.Name;
        AddUndoForActiveControl(step.Description,
                                JoinUndoFields({step.KeyPath, step.Name, step.NewName}),
                                TZVRegTreeView::UndoValueRename, tree);
        if (tree->OnValueNameChanged)
            tree->OnValueNameChanged(step.Node, step.Name, step.NewName);
    });
    if (!done && !renamed)
        step.S = restore;
}

void TZVFormMain::RenameEditedKey(EditStep& step) {
    TZVRegTreeView* tree = step.Tree;
    TRegTreeNode* node = step.Node;
    const std::string restore =
        node->NodeName() + (step.NewValue.empty() ? std::string() : " = " + step.NewValue);
    bool moved = false;
    const bool done = Guarded([&] {
        if (step.NewName.empty())
            throw EZanver("Keyname expected.");
        if (step.NewName.find('\\') != std::string::npos)
            throw EZanver("Cannot handle key name with a backslash (\\).");
        const TRegTreeNode* parent = node->ParentNode();
        // The top node of the extension tree names an extension.
        if (parent == nullptr && tree == RegTreeViewExt && step.NewName.front() != '.')
            throw EZanver("Root key in this view should start with a .");
        // A top node lies below the tree's root path ("CLSID" for a class).
        const std::string newPath = parent != nullptr ? parent->KeyPath() + "\\" + step.NewName
                                                      : tree->RootedPath(step.NewName);
        if (newPath == step.KeyPath)
            return;
        if (!step.Confirmed && !ConfirmWriteFmt("Rename %s to %s?", {step.KeyPath, newPath})) {
            step.S = restore;
            return;
        }
        const RootKey root = tree->Registry.GetRootKey();
        tree->MoveCopyKey(root, step.KeyPath, false, newPath, root);
        moved = true;
        if (!step.Grouped)
            step.Description = "rename key " + step.KeyPath;
        AddUndoForActiveControl(step.Description, JoinUndoFields({step.KeyPath, newPath}),
                                TZVRegTreeView::UndoKeyRename, tree);
        tree->FireKeyNameChanged(node, step.KeyPath, newPath);
    });
    if (!done && !moved)
        step.S = restore;
}

}  // namespace zanver
