// The undo procedures of the association tree view: each takes back one
// change that the view (or the main window through it) recorded.
#include <string>

#include "KeyPaths.h"
#include "LastError.h"
#include "NameRules.h"
#include "RegistryAccess.h"
#include "StrUtils.h"
#include "TreeErrors.h"
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

namespace {

// The fields of a record that puts a value back: ValueUndoText's, or the
// older "full value path=text" form.
void SplitValueRecord(const std::string& value, RootKey& root, std::string& keyPath,
                      std::string& name, std::string& text) {
    std::string fullKey;
    if (const std::size_t first = value.find('\0'); first != std::string::npos) {
        const std::size_t second = value.find('\0', first + 1);
        fullKey = value.substr(0, first);
        name = value.substr(first + 1, second - first - 1);
        text = second == std::string::npos ? std::string() : value.substr(second + 1);
    } else {
        const std::size_t equals = value.find('=');
        const std::string fullPath = Trim(std::string_view(value).substr(0, equals));
        text = equals == std::string::npos ? std::string() : Trim(value.substr(equals + 1));
        const std::size_t lastSlash = fullPath.rfind('\\');
        fullKey = fullPath.substr(0, lastSlash);
        name = lastSlash == std::string::npos ? std::string() : fullPath.substr(lastSlash + 1);
    }
    root = RootKeyFromName(FirstKeyName(fullKey));
    keyPath = StripFirstKeyName(fullKey);
}

}  // namespace

bool TZVRegTreeView::RestoreValueRecord(const TUndo& record) {
    CancelEdit();
    RootKey root = 0;
    std::string keyPath;
    std::string name;
    std::string old;
    SplitValueRecord(record.Value, root, keyPath, name, old);
    RestoreValueText(root, keyPath, name, old);
    if (root == Registry.GetRootKey()) {
        // The record may hold a byte list where the value has a display form.
        const std::string shown = ReadValueText(root, keyPath, name, false);
        if (TRegTreeNode* node = ShowWritten(keyPath, name, shown)) {
            if (record.Control == this)
                SelectWithFocus(node);
            if (OnNodeValueChanged)
                OnNodeValueChanged(node, shown);
        }
    } else if (StartsWithText(keyPath, kFileExtsPrefix)) {
        HostEditApplicationRefresh();
    }
    return true;
}

bool TZVRegTreeView::RemoveCreatedRecord(const TUndo& record) {
    CancelEdit();
    const RootKey root = Registry.GetRootKey();
    // A created value is named by CreatedValueUndoText, or as "key path\"
    // (a default value) or "key path\name"; a created key by its path.
    const std::string& path = record.Value;
    std::string keyPath = path;
    std::string name;
    bool isValue = true;
    if (const std::size_t zero = path.find('\0'); zero != std::string::npos) {
        keyPath = path.substr(0, zero);
        name = path.substr(zero + 1);
    } else if (!path.empty() && path.back() == '\\') {
        keyPath.pop_back();
    } else if (KeyExists(root, path)) {
        isValue = false;
    } else {
        keyPath = ExtractParentKey(path);
        name = ExtractKeyName(path);
    }
    const auto failed = [&](const std::string& item) {
        throw ERegTreeView("Failed to delete " + FullPath(item) + ". " + LastErrorText());
    };
    if (isValue && name.empty()) {
        // A created default value: its key stays.
        TRegTreeNode* keyNode = FindNode(keyPath, false);
        if (keyNode != nullptr && !ConfirmDelete(keyPath + "\\"))
            return false;
        if (!DeleteValue(root, keyPath, "") && ValueExists(root, keyPath, ""))
            failed(keyPath + "\\");
        if (keyNode != nullptr)
            keyNode->SetValue("");
        return true;
    }
    const std::string nodePath = isValue ? keyPath + "\\" + name : path;
    if (isValue && !ValueExists(root, keyPath, name)) {
        // Gone already: nothing to take back, and the view drops its node.
        if (FindNode(nodePath, false) != nullptr)
            RefreshPath(keyPath, true);
        return true;
    }
    if (TRegTreeNode* node = FindNode(nodePath, true)) {
        DeleteNodeUndoable(node, false);
        return FindNode(nodePath, false) == nullptr;
    }
    if (isValue ? !DeleteValue(root, keyPath, name) : !DeleteKeyTree(root, path))
        failed(nodePath);
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
