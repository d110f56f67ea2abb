// Adding, showing, writing, renaming and deleting the registry items of a
// registry tree view's nodes, and the end of an in-place edit.
#include <QPersistentModelIndex>

#include <memory>
#include <string>

#include "AppMessageBox.h"
#include "ErrorBoxes.h"
#include "ErrorCodes.h"
#include "Exception.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "NameRules.h"
#include "RegTreeSort.h"
#include "RegTreeView.h"
#include "RegistryAccess.h"
#include "TreeErrors.h"
#include "ValueText.h"
#include "ValueTextRegistry.h"

namespace zanver {

namespace {

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Closes the registry object's current key on every way out.
class CurrentKeyCloser {
  public:
    explicit CurrentKeyCloser(TRegistry& registry) : registry_(registry) {}
    ~CurrentKeyCloser() { registry_.CloseKey(); }
    CurrentKeyCloser(const CurrentKeyCloser&) = delete;
    CurrentKeyCloser& operator=(const CurrentKeyCloser&) = delete;

  private:
    TRegistry& registry_;
};

}  // namespace

TRegTreeNode* TRegTreeView::ParentForNew() const {
    TRegTreeNode* selected = Selected();
    if (selected == nullptr) {
        if (!IsEmpty())
            throw Exception("Please select a parent for the new node.");
        return nullptr;
    }
    return selected->IsKey() ? selected : selected->ParentNode();
}

TRegTreeNode* TRegTreeView::AddNode(TRegTreeNode* parent, std::string_view name, bool isKey,
                                    std::string_view value) {
    if (name.empty())
        throw ERegTreeView("Name expected.");
    if (parent != nullptr)
        return parent->AddChild(name, value, isKey);
    auto node = std::make_unique<TRegTreeNode>();
    node->InitNode(name, value, isKey);
    InsertChildSorted(this, invisibleRootItem(), node.get());
    TRegTreeNode* added = node.release();
    added->UpdateImage();
    return added;
}

TRegTreeNode* TRegTreeView::AddKeyNode(TRegTreeNode* parent, std::string_view name,
                                       std::string_view value) {
    return AddNode(parent, name, true, value);
}

TRegTreeNode* TRegTreeView::AddValueNode(TRegTreeNode* parent, std::string_view name,
                                         std::string_view value) {
    return AddNode(parent, name, false, value);
}

TRegTreeNode* TRegTreeView::ShowValue(std::string_view path, std::string_view name,
                                      std::string_view value) {
    const std::string rest = StripRootPath(path);
    const std::string first = FirstKeyName(rest);
    TRegTreeNode* top = TopNode();
    if (top == nullptr)
        top = AddKeyNode(nullptr, first, "\"\"");
    if (!SameName(top->NodeName(), first))
        throw Exception("Root key name " + top->NodeName() + " expected but " + first + " found.");
    return top->AddPath(StripFirstKeyName(rest), name, value);
}

TRegTreeNode* TRegTreeView::WriteValue(std::string_view path, std::string_view name,
                                       std::string_view value) {
    SetValueText(Registry.GetRootKey(), path, name, value);
    return ShowValue(path, name, value);
}

TRegTreeNode* TRegTreeView::WriteExactValue(std::string_view path, std::string_view name,
                                            std::string_view value) {
    std::uint32_t type = RegNone;
    Bytes data;
    ParseValueText(value, type, data);
    const RootKey root = Registry.GetRootKey();
    if (!SetExactRawValue(root, path, name, type, data.empty() ? nullptr : data.data(),
                          data.size()))
        throw Exception(SetValueFailureText(root, path, name, true, value));
    return ShowValue(path, name, FormatValueText(data, type, false));
}

TRegTreeNode* TRegTreeView::WriteStringValue(std::string_view path, std::string_view name,
                                             bool expandable, std::string_view text) {
    WriteString(Registry.GetRootKey(), path, name, expandable, text);
    return ShowValue(path, name, MakeStringValueText(text, expandable));
}

void TRegTreeView::RenameValue(std::string_view keyPath, std::string_view oldName,
                               std::string_view newName) {
    if (oldName == newName)
        return;
    if (!Registry.OpenKey(keyPath, false))
        throw ERegTreeView("Could not open key: " + std::string(keyPath));
    CurrentKeyCloser closer(Registry);
    if (!Registry.ValueExists(newName)) {
        Registry.RenameValue(oldName, newName);
        return;
    }
    if (!SameName(oldName, newName))
        throw ERegTreeView("Cannot rename " + Quoted(oldName) + " to " + Quoted(newName) +
                           " because " + Quoted(newName) + " already exists.");
    // Only the letter case changes: the store finds the new name as the old
    // one, so the value goes by way of a free temporary name.
    std::string temp;
    for (unsigned n = 0;; ++n) {
        temp = std::string(oldName) + std::to_string(n);
        if (!Registry.ValueExists(temp))
            break;
    }
    Registry.RenameValue(oldName, temp);
    Registry.RenameValue(temp, newName);
}

bool TRegTreeView::DeleteNode(TRegTreeNode* node) {
    if (node == nullptr)
        return false;
    const RootKey root = Registry.GetRootKey();
    const std::string keyPath = node->KeyPath();
    const std::string name = node->ValueName();
    if (node->IsKey() ? !KeyExists(root, keyPath) : !ValueExists(root, keyPath, name)) {
        // Gone behind the view's back: nothing was deleted, and the view
        // shows again what the store holds.
        SetLastErrorCode(err::kFileNotFound);
        const std::string message = "Failed to delete " + node->NodePath() + ". " + LastErrorText();
        RefreshPath(keyPath, true);
        ShowError(message);
        return false;
    }
    const bool deleted =
        node->IsKey() ? DeleteKeyTree(root, keyPath) : DeleteValue(root, keyPath, name);
    if (!deleted) {
        ShowError("Failed to delete " + node->NodePath() + ". " + LastErrorText());
        return false;
    }
    delete node;
    return true;
}

bool TRegTreeView::ConfirmDelete(std::string_view path) const {
    return ShowMessageBox("Delete " + FullPath(path) + " from the registry?", MessageButtons::YesNo,
                          MessageIcon::Question) == MessageResult::Yes;
}

void TRegTreeView::RemoveNode(std::string_view path) {
    delete FindNode(path, false);
}

void TRegTreeView::EditSelected() {
    if (TRegTreeNode* node = Selected(); node != nullptr && !IsEditing())
        edit(indexFromItem(node), AllEditTriggers, nullptr);
}

void TRegTreeView::CouldNot(std::string_view path, std::string_view verb) const {
    throw ERegTreeView("Could not " + std::string(verb) + " " + FullPath(path) + ". " +
                       LastErrorText());
}

void TRegTreeView::EditFinished(TRegTreeNode* node, std::string text) {
    if (node == nullptr)
        return;
    if (OnEdited) {
        // The handler may reload the tree, deleting the node: its caption is
        // then the tree's business.
        const QPersistentModelIndex index = indexFromItem(node);
        OnEdited(this, node, text);
        if (!index.isValid())
            return;
        node = AsNode(itemFromIndex(index));
        if (node == nullptr)
            return;
    }
    node->Edited(text);
    // A key without value shows its name alone.
    std::string name;
    std::string value;
    SplitCaption(text, name, value);
    node->SetText(node->IsKey() && value.empty() ? name : text);
}

}  // namespace zanver
