// The undo procedures of the association tree view: each takes back one
// change that the view (or the main window through it) recorded.
#include <string>
#include <vector>

#include "KeyPaths.h"
#include "LastError.h"
#include "NameRules.h"
#include "RegTreeChildIndex.h"
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

// The fields of a record's value, as many as asked for (missing ones empty).
std::vector<std::string> Fields(const std::string& value, std::size_t count) {
    std::vector<std::string> fields = SplitUndoFields(value);
    fields.resize(count);
    return fields;
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
    if (value.find('\0') != std::string::npos) {
        const std::vector<std::string> fields = Fields(value, 3);
        fullKey = fields[0];
        name = fields[1];
        text = fields[2];
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
    const auto failed = [&](const std::string& item) {
        throw ERegTreeView("Failed to delete " + FullPath(item) + ". " + LastErrorText());
    };
    // A created value is named by its key path and its name, a created key
    // by its path.
    if (record.Value.find('\0') == std::string::npos) {
        const std::string& path = record.Value;
        if (!KeyExists(root, path)) {
            // Gone already: nothing to take back, and the view drops its node.
            if (FindNode(path, false) != nullptr)
                RefreshPath(path, true);
            return true;
        }
        if (TRegTreeNode* node = FindNode(path, true)) {
            DeleteNodeUndoable(node, false);
            return FindNode(path, false) == nullptr;
        }
        if (!DeleteKeyTree(root, path))
            failed(path);
        return true;
    }
    const std::vector<std::string> fields = Fields(record.Value, 2);
    const std::string& keyPath = fields[0];
    const std::string& name = fields[1];
    const std::string valuePath = keyPath + "\\" + name;
    // The value's node is looked for among the values of its key's node: a
    // subkey of the same name, or a name with "\" in it, is not it.
    TRegTreeNode* keyNode = FindNode(keyPath, true);
    if (name.empty()) {
        // A created default value: its key stays.
        if (keyNode != nullptr && !ConfirmDelete(valuePath))
            return false;
        if (!DeleteValue(root, keyPath, "") && ValueExists(root, keyPath, ""))
            failed(valuePath);
        if (keyNode != nullptr)
            keyNode->SetValue("");
        return true;
    }
    TRegTreeNode* node =
        keyNode != nullptr ? FindChildOfKind(keyNode, name, ChildKind::Value) : nullptr;
    if (!ValueExists(root, keyPath, name)) {
        // Gone already: nothing to take back, and the view drops its node.
        if (node != nullptr)
            RefreshPath(keyPath, true);
        return true;
    }
    if (node != nullptr) {
        DeleteNodeUndoable(node, false);
        return !ValueExists(root, keyPath, name);
    }
    if (!DeleteValue(root, keyPath, name))
        failed(valuePath);
    if (keyNode != nullptr)
        RefreshPath(keyPath, true);
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
    const std::vector<std::string> fields = Fields(record.Value, 2);
    const std::string& oldPath = fields[0];
    const std::string& newPath = fields[1];
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
    const std::vector<std::string> fields = Fields(record.Value, 3);
    const std::string& keyPath = fields[0];
    const std::string& oldName = fields[1];
    const std::string& newName = fields[2];
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
