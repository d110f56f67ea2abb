// Confirmed, undoable deletes and writes of the association tree view. A
// deleted key is moved into a backup key below HKEY_LOCAL_MACHINE, from where
// its undo moves it back.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Confirm.h"
#include "ErrorBoxes.h"
#include "ErrorCodes.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "NameRules.h"
#include "Registry.h"
#include "RegistryAccess.h"
#include "SetValueConfirmed.h"
#include "SystemHelpers.h"
#include "TreeErrors.h"
#include "UndoBackup.h"
#include "ValueText.h"
#include "ValueTextRegistry.h"
#include "ZVRegTreeView.h"

namespace zanver {

namespace {

std::string HexStamp(std::uint32_t tick) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%.8X", static_cast<unsigned>(tick));
    return digits;
}

// Moves back from one key into another whatever the other lacks: subkeys
// missing there come back whole, values missing there are copied. Nothing
// that exists at the destination is changed.
void MergeMissing(TRegistry& registry, const std::string& from, const std::string& to) {
    std::vector<std::string> values;
    std::vector<std::string> keys;
    if (!registry.OpenKey(from, false))
        return;
    registry.GetValueNames(values);
    registry.GetKeyNames(keys);
    registry.CloseKey();
    const RootKey root = registry.GetRootKey();
    for (const std::string& name : values)
        if (!ValueExists(root, to, name))
            CopyValue(root, from, name, root, to, name);
    for (const std::string& name : keys) {
        const std::string source = from + "\\" + name;
        const std::string dest = to + "\\" + name;
        if (registry.KeyExists(dest))
            MergeMissing(registry, source, dest);
        else
            registry.MoveKey(source, dest, true);
    }
}

}  // namespace

std::string TZVRegTreeView::NewBackupPath(std::string_view path) const {
    // One backup key per deletion: a stamp already used (two deletions in one
    // millisecond, or a leftover) is stepped over, never overwritten.
    const std::string first = FirstKeyName(path);
    for (std::uint32_t tick = TickCount();; ++tick) {
        const std::string stamped = UndoBackupBase + "\\" + HexStamp(tick);
        if (!KeyExists(HKEY_LOCAL_MACHINE, stamped + first))
            return stamped + std::string(path);
    }
}

void TZVRegTreeView::MergeBackup(const std::string& backup, const std::string& path) {
    RootKey root = Registry.GetRootKey();
    std::string mapped = path;
    MapClassesRoot(root, mapped);
    TRegistry registry(root);
    if (root != HKEY_LOCAL_MACHINE) {
        // Only keys below HKEY_LOCAL_MACHINE can come back from the backup.
        MoveCopyKey(HKEY_LOCAL_MACHINE, backup, false, path, Registry.GetRootKey());
        return;
    }
    MergeMissing(registry, backup, mapped);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, backup);
}

void TZVRegTreeView::DeleteNodeUndoable(TRegTreeNode* node, bool undoable) {
    if (node == nullptr)
        return;
    const std::string path = node->NodePath();
    if (!ConfirmDelete(path))
        return;
    const int level = NodeLevel(node);
    const std::string name = node->NodeName();
    const TNodeRef parent(node->ParentNode());
    bool deleted = true;
    if (!undoable) {
        deleted = DeleteNode(node);
    } else if (!node->IsKey()) {
        // The record holds what the registry has, which the caption may no
        // longer show exactly.
        const RootKey root = Registry.GetRootKey();
        const std::string keyPath = node->KeyPath();
        const std::string valueName = node->ValueName();
        const std::string old = ValueExists(root, keyPath, valueName)
                                    ? ReadExactValueText(root, keyPath, valueName)
                                    : node->NodeValue();
        AddUndoForActiveControl("delete " + FullPath(path),
                                ValueUndoText(root, keyPath, valueName, old), RestoreValue, this);
        const std::shared_ptr<TUndo> record = UndoList.Last();
        deleted = DeleteNode(node);
        // A value that is still there needs no undo.
        if (!deleted)
            UndoList.Remove(*record);
    } else {
        DeleteKeyUndoable(path);
    }
    if (deleted && OnNodeDeleted)
        OnNodeDeleted(level, name, parent.Get());
}

bool TZVRegTreeView::DeleteKeyConfirmed(std::string_view path) {
    if (!Registry.KeyExists(path))
        return true;
    if (!ConfirmWriteFmt("Delete key %s?", {FullPath(path)}))
        return false;
    DeleteKeyUndoable(path);
    return true;
}

void TZVRegTreeView::DeleteKeyUndoable(std::string_view pathView) {
    const std::string path(pathView);
    if (!Registry.KeyExists(path)) {
        // Gone behind the view's back: no record may point at nothing.
        SetLastErrorCode(err::kFileNotFound);
        const std::string message = "Failed to delete " + FullPath(path) + ". " + LastErrorText();
        RefreshPath(path, true);
        throw ERegTreeView(message);
    }
    const std::string backup = NewBackupPath(path);
    // The backup key that holds this deletion (with the intermediate keys of
    // a path of several components).
    const std::string backupTop =
        backup.substr(0, UndoBackupBase.size() + kBackupStampLength + FirstKeyName(path).size());
    const auto record = [&] {
        AddUndo(UndoList, this, "delete " + FullPath(path), backup, RestoreKey, this);
    };
    try {
        MoveCopyKey(Registry.GetRootKey(), path, false, backup, HKEY_LOCAL_MACHINE);
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        if (KeyExists(HKEY_LOCAL_MACHINE, backup)) {
            // The copy is whole but the original lost part of itself: give it
            // back what it lost. Should that fail too, the backup keeps the
            // rest and the undo record leads to it.
            try {
                if (!Registry.KeyExists(path))
                    MoveCopyKey(HKEY_LOCAL_MACHINE, backup, false, path, Registry.GetRootKey());
                else
                    MergeBackup(backup, path);
            } catch (...) {
                record();
                RefreshPath(path, true);
                throw;
            }
            DeleteKeyTree(HKEY_LOCAL_MACHINE, backupTop);
        } else {
            // Nothing was copied, or the partial copy is gone: drop the empty
            // intermediate keys as well.
            DeleteKeyTree(HKEY_LOCAL_MACHINE, backupTop);
        }
        RefreshPath(path, true);
        std::rethrow_exception(failure);
    }
    record();
    RemoveNode(path);
}

bool TZVRegTreeView::DeleteValueUndoable(RootKey root, std::string_view keyPath, bool updateTree,
                                         std::string_view name) {
    const std::string item = std::string(keyPath) + "\\" + std::string(name);
    const std::string full = RootKeyName(root) + "\\" + item;
    if (ValueExists(root, keyPath, name)) {
        if (!ConfirmWriteFmt(name.empty() ? "Delete default value of %s from the registry?"
                                          : "Delete %s from the registry?",
                             {full}))
            return false;
        const std::string old = ReadExactValueText(root, keyPath, name);
        if (!DeleteValue(root, keyPath, name)) {
            ShowError("Failed to delete " + full + ". " + LastErrorText());
            return false;
        }
        AddUndoForActiveControl("delete " + full, ValueUndoText(root, keyPath, name, old),
                                RestoreValue, this);
    }
    if (updateTree && root == Registry.GetRootKey()) {
        if (name.empty()) {
            if (TRegTreeNode* node = FindNode(keyPath, false))
                node->SetValue("");
        } else {
            RemoveNode(item);
        }
    }
    return true;
}

bool TZVRegTreeView::DeleteValueUndoable(std::string_view keyPath, std::string_view name) {
    return DeleteValueUndoable(Registry.GetRootKey(), keyPath, true, name);
}

bool TZVRegTreeView::WriteValueUndoable(std::string_view keyPath, std::string_view name,
                                        std::string_view text) {
    if (!SetValueConfirmed(Registry.GetRootKey(), keyPath, name, "value", "", text, RestoreValue,
                           this, RemoveCreated, this, RemoveCreated, this))
        return false;
    if (TRegTreeNode* node = ShowWritten(keyPath, name, text))
        scrollToItem(node);
    return true;
}

bool TZVRegTreeView::WriteStringUndoable(std::string_view keyPath, std::string_view name,
                                         bool expandable, std::string_view text) {
    return WriteValueUndoable(keyPath, name, MakeStringValueText(text, expandable));
}

bool TZVRegTreeView::SetValueUndoable(std::string_view keyPath, std::string_view name,
                                      std::string_view what, std::string_view label,
                                      std::string_view text) {
    return SetValueConfirmed(Registry.GetRootKey(), keyPath, name, what, label, text, RestoreValue,
                             this, RemoveCreated, this, RemoveCreated, this);
}

bool TZVRegTreeView::SetStringUndoable(std::string_view keyPath, std::string_view name,
                                       std::string_view what, std::string_view label,
                                       bool expandable, std::string_view text) {
    return SetValueUndoable(keyPath, name, what, label, MakeStringValueText(text, expandable));
}

bool TZVRegTreeView::ShowsPath(std::string_view path) const {
    const TRegTreeNode* top = TopNode();
    return top != nullptr && IsBelowRootPath(path) &&
           SameName(top->NodeName(), FirstKeyName(StripRootPath(path)));
}

TRegTreeNode* TZVRegTreeView::ShowWritten(std::string_view keyPath, std::string_view name,
                                          std::string_view text) {
    // A key outside the key shown (the view moved on since) gets no node.
    if (!IsEmpty() && !ShowsPath(keyPath))
        return nullptr;
    return ShowValue(keyPath, name, text);
}

}  // namespace zanver
