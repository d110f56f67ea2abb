// The undo procedures of the association tree view: each takes back one
// change that the view (or the main window through it) recorded.
#include <string>

#include "KeyPaths.h"
#include "NameRules.h"
#include "RegistryAccess.h"
#include "StrUtils.h"
#include "UndoBackup.h"
#include "ValueTextRegistry.h"
#include "Vocabulary.h"
#include "WindowHost.h"
#include "ZVRegTreeView.h"

namespace zanver {

namespace {

TZVRegTreeView& ViewOf(void* target) {
    return *static_cast<TZVRegTreeView*>(target);
}

// The text before and after the first carriage return.
void SplitAtReturn(const std::string& text, std::string& first, std::string& rest) {
    const std::size_t pos = text.find('\r');
    first = text.substr(0, pos);
    rest = pos == std::string::npos ? std::string() : text.substr(pos + 1);
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

}  // namespace

bool TZVRegTreeView::EditUndo(void* target, TUndo& record) {
    return ViewOf(target).EditUndoRecord(record);
}

bool TZVRegTreeView::RestoreValue(void* target, TUndo& record) {
    return ViewOf(target).RestoreValueRecord(record);
}

bool TZVRegTreeView::RemoveCreated(void* target, TUndo& record) {
    return ViewOf(target).RemoveCreatedRecord(record);
}

bool TZVRegTreeView::RestoreKey(void* target, TUndo& record) {
    return ViewOf(target).RestoreKeyRecord(record);
}

bool TZVRegTreeView::UndoKeyRename(void* target, TUndo& record) {
    return ViewOf(target).UndoKeyRenameRecord(record);
}

bool TZVRegTreeView::UndoValueRename(void* target, TUndo& record) {
    return ViewOf(target).UndoValueRenameRecord(record);
}

bool TZVRegTreeView::RestoreValueRecord(const TUndo& record) {
    CancelEdit();
    // Full value path "=" old value text; the path runs from the root key's
    // name over the key path to the value name (empty for a default value).
    const std::size_t equals = record.Value.find('=');
    const std::string fullPath = Trim(std::string_view(record.Value).substr(0, equals));
    const std::string old =
        equals == std::string::npos ? std::string() : Trim(record.Value.substr(equals + 1));
    const std::size_t firstSlash = fullPath.find('\\');
    const std::size_t lastSlash = fullPath.rfind('\\');
    const RootKey root = RootKeyFromName(fullPath.substr(0, firstSlash));
    const std::string keyPath = firstSlash == lastSlash
                                    ? std::string()
                                    : fullPath.substr(firstSlash + 1, lastSlash - firstSlash - 1);
    const std::string name =
        lastSlash == std::string::npos ? std::string() : fullPath.substr(lastSlash + 1);
    if (root == Registry.GetRootKey()) {
        RestoreValueText(root, keyPath, name, old);
        // The record may hold a byte list where the value has a display form.
        const std::string shown = ReadValueText(root, keyPath, name, false);
        if (TRegTreeNode* node = ShowWritten(keyPath, name, shown)) {
            if (record.Control == this)
                SelectWithFocus(node);
            if (OnNodeValueChanged)
                OnNodeValueChanged(node, shown);
        }
    } else {
        RestoreValueText(root, keyPath, name, old);
        if (StartsWithText(keyPath, kFileExtsPrefix))
            HostEditApplicationRefresh();
    }
    return true;
}

bool TZVRegTreeView::RemoveCreatedRecord(const TUndo& record) {
    CancelEdit();
    const std::string& path = record.Value;
    const RootKey root = Registry.GetRootKey();
    if (!path.empty() && path.back() == '\\') {
        // A created default value: its key stays.
        const std::string keyPath = path.substr(0, path.size() - 1);
        TRegTreeNode* keyNode = FindNode(keyPath, false);
        if (keyNode != nullptr && !ConfirmDelete(path))
            return false;
        DeleteValue(root, keyPath, "");
        if (keyNode != nullptr)
            keyNode->SetValue("");
        return true;
    }
    if (!KeyExists(root, path) &&
        !ValueExists(root, ExtractParentKey(path), ExtractKeyName(path))) {
        // Gone already: nothing to take back, and the view drops its node.
        if (FindNode(path, false) != nullptr)
            RefreshPath(ExtractParentKey(path), true);
        return true;
    }
    if (TRegTreeNode* node = FindNode(path, true)) {
        DeleteNodeUndoable(node, false);
        return FindNode(path, false) == nullptr;
    }
    if (!KeyExists(root, path))
        DeleteValue(root, ExtractParentKey(path), ExtractKeyName(path));
    else
        DeleteKeyTree(root, path);
    return true;
}

bool TZVRegTreeView::RestoreKeyRecord(const TUndo& record) {
    CancelEdit();
    const std::string& backup = record.Value;
    const std::size_t stamped = UndoBackupBase.size() + kBackupStampLength;
    if (backup.size() <= stamped)
        return true;
    const std::string path = backup.substr(stamped);
    if (Registry.KeyExists(path))
        // The key is there again (in part): it gets back only what it lacks.
        MergeBackup(backup, path);
    else
        MoveCopyKey(HKEY_LOCAL_MACHINE, backup, false, path, Registry.GetRootKey());
    RefreshPath(path, false);
    FireKeyNameChanged(FindNode(path, true), std::string(), path);
    // The intermediate backup key emptied by the move.
    if (path.find('\\') != std::string::npos)
        DeleteKeyTree(HKEY_LOCAL_MACHINE, backup.substr(0, stamped + FirstKeyName(path).size()));
    return true;
}

bool TZVRegTreeView::UndoKeyRenameRecord(const TUndo& record) {
    CancelEdit();
    std::string oldPath;
    std::string newPath;
    SplitAtReturn(record.Value, oldPath, newPath);
    const RootKey root = Registry.GetRootKey();
    MoveCopyKey(root, newPath, false, oldPath, root);
    TRegTreeNode* node = FindNode(newPath, false);
    if (node != nullptr) {
        node->SetNameValue(ExtractKeyName(oldPath), node->NodeValue());
        SelectWithFocus(node);
    } else {
        RefreshPath(oldPath, false);
        TRegTreeNode* selected = Selected();
        node = selected != nullptr && selected->NodePath() == oldPath ? selected : nullptr;
    }
    FireKeyNameChanged(node, newPath, oldPath);
    return true;
}

bool TZVRegTreeView::UndoValueRenameRecord(const TUndo& record) {
    CancelEdit();
    std::string keyPath;
    std::string names;
    std::string oldName;
    std::string newName;
    SplitAtReturn(record.Value, keyPath, names);
    SplitAtReturn(names, oldName, newName);
    RenameValue(keyPath, newName, oldName);
    TRegTreeNode* node = FindNode(keyPath + "\\" + newName, false);
    if (node != nullptr) {
        SelectWithFocus(node);
        node->SetText(oldName + " = " + node->NodeValue());
    } else {
        const std::string oldPath = keyPath + "\\" + oldName;
        RefreshPath(oldPath, false);
        TRegTreeNode* selected = Selected();
        node = selected != nullptr && SameName(selected->NodePath(), oldPath) ? selected : nullptr;
    }
    if (OnValueNameChanged)
        OnValueNameChanged(node, newName, oldName);
    return true;
}

}  // namespace zanver
