// Moving and copying keys and values, in the registry and in the tree.
#include <string>
#include <string_view>
#include <utility>

#include "AppMessageBox.h"
#include "ErrorCodes.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "NameRules.h"
#include "RegTreeView.h"
#include "RegistryAccess.h"
#include "RootKeys.h"
#include "TreeErrors.h"
#include "ValueTextRegistry.h"

namespace zanver {

namespace {

// Switches a registry object to another root key and gives it back its own
// root when the scope ends, also when an exception leaves it.
class ScopedRootKey {
  public:
    ScopedRootKey(TRegistry& registry, RootKey root)
        : registry_(registry), saved_(registry.GetRootKey()) {
        registry_.SetRootKey(root);
    }
    ~ScopedRootKey() { registry_.SetRootKey(saved_); }
    ScopedRootKey(const ScopedRootKey&) = delete;
    ScopedRootKey& operator=(const ScopedRootKey&) = delete;

  private:
    TRegistry& registry_;
    RootKey saved_;
};

// The key (with the classes root mapped) that a key node or a value's key
// stands for, so that two views over the same key compare equal.
struct MappedKey {
    RootKey root;
    std::string path;
};

MappedKey MapKey(RootKey root, std::string path) {
    MapClassesRoot(root, path);
    return {root, std::move(path)};
}

bool SameKey(const MappedKey& a, const MappedKey& b) {
    return a.root == b.root && SameName(a.path, b.path);
}

// The first of path + "0", path + "1", ... that names no key.
std::string UnusedKeyPath(const TRegistry& registry, const std::string& path) {
    for (unsigned n = 0;; ++n) {
        std::string candidate = path + std::to_string(n);
        if (!registry.KeyExists(candidate))
            return candidate;
    }
}

// The child of key that is a value called name (letter case ignored).
TRegTreeNode* FindValueChild(TRegTreeNode* key, std::string_view name) {
    for (int i = 0; i < key->childCount(); ++i) {
        TRegTreeNode* child = key->Child(i);
        if (child && !child->IsKey() && SameName(child->NodeName(), name))
            return child;
    }
    return nullptr;
}

}  // namespace

void TRegTreeView::MoveCopyNode(TRegTreeNode* source, TRegTreeNode* dest, TMoveMode copy) {
    if (!source)
        return;
    if (!dest) {
        if (source->IsKey())
            throw ERegTreeView("Cannot copy key to root of tree view.");
        throw ERegTreeView("Don't want to create a value in " + RootKeyName(Registry.GetRootKey()) +
                           ".");
    }
    if (dest == source)
        return;
    TRegTreeNode* destKey = dest->IsKey() ? dest : dest->ParentNode();
    if (destKey == source->ParentNode())
        return;
    if (!destKey) {
        // A value without a parent key offers no key to drop into.
        if (source->IsKey())
            throw ERegTreeView("Cannot copy key to root of tree view.");
        throw ERegTreeView("Don't want to create a value in " + RootKeyName(Registry.GetRootKey()) +
                           ".");
    }

    const std::string sourcePath = source->KeyPath();
    const std::string destKeyPath = destKey->KeyPath();
    const RootKey sourceRoot = source->GetRootKey();
    const RootKey destRoot = destKey->GetRootKey();
    if (source->IsKey() ? !KeyExists(sourceRoot, sourcePath)
                        : !ValueExists(sourceRoot, sourcePath, source->ValueName())) {
        // Gone behind the view's back: nothing to move or copy, and the
        // source's view shows again what the store holds.
        SetLastErrorCode(err::kFileNotFound);
        const std::string message = "Cannot " + std::string(copy ? "copy " : "move ") +
                                    FullKeyName(sourceRoot, source->NodePath()) + ". " +
                                    LastErrorText();
        if (TRegTreeView* view = source->TreeView())
            view->RefreshPath(sourcePath, true);
        throw ERegTreeView(message);
    }
    TRegTreeNode* replaced = nullptr;
    std::string deleteFailure;

    if (source->IsKey()) {
        const std::string destPath = destKeyPath + "\\" + source->NodeName();
        // The same key seen in another view (or through the other name of the
        // classes root): already where it should go.
        if (SameKey(MapKey(sourceRoot, sourcePath), MapKey(destRoot, destPath)))
            return;
        MoveCopyKey(sourceRoot, sourcePath, copy, destPath, destRoot);
    } else {
        const std::string name = source->ValueName();
        // Compared with the classes root mapped: copying a value onto itself
        // and then deleting the source would lose it.
        if (SameKey(MapKey(sourceRoot, sourcePath), MapKey(destRoot, destKeyPath)))
            return;
        if (ValueExists(destRoot, destKeyPath, name)) {
            const std::string existing = ReadValueText(destRoot, destKeyPath, name, false);
            const std::string incoming = ReadValueText(sourceRoot, sourcePath, name, false);
            if (ShowMessageBox(
                    "Overwrite existing value " + existing + " of " +
                        FullValueName(destRoot, destKeyPath, name) + " with " + incoming + "?",
                    MessageButtons::OkCancel, MessageIcon::Question) != MessageResult::Ok)
                return;
            replaced = FindValueChild(destKey, name);
        }
        CopyValue(sourceRoot, sourcePath, name, destRoot, destKeyPath, name);
        if (!copy && !DeleteValue(sourceRoot, sourcePath, name)) {
            // The value now exists twice: show it so, then say why.
            deleteFailure = "Could not delete " + FullValueName(sourceRoot, sourcePath, name) +
                            ". " + LastErrorText();
            copy = true;
        }
    }

    // Nodes clear the view's pointers to them when they are deleted.
    // The overwritten value's node gives way to the copy, so that the key does
    // not show the name twice.
    if (replaced)
        delete replaced;
    TRegTreeNode* newNode = source->CopyTo(destKey);
    if (newNode) {
        if (TRegTreeView* view = newNode->TreeView())
            view->Select(newNode);
        // The event's handlers may reload or clear either tree, deleting the
        // source node themselves.
        const TNodeRef moved(source);
        const auto dropSource = [&] {
            if (!copy)
                delete moved.Get();
        };
        try {
            DoMoveCopied(source, newNode, copy);
        } catch (...) {
            // The item has moved whatever the event did: so must its node.
            dropSource();
            throw;
        }
        dropSource();
    }
    if (!deleteFailure.empty())
        throw ERegTreeView(deleteFailure);
}

void TRegTreeView::MoveCopyKey(RootKey sourceRoot, std::string sourcePath, TMoveMode copy,
                               std::string destPath, RootKey destRoot) {
    MapClassesRoot(sourceRoot, sourcePath);
    MapClassesRoot(destRoot, destPath);
    const auto refuse = [&](std::string_view reason) {
        throw ERegTreeView("Cannot " + std::string(copy ? "copy " : "move ") +
                           RootKeyName(sourceRoot) + "\\" + sourcePath + " to " +
                           RootKeyName(destRoot) + "\\" + destPath + " " + std::string(reason));
    };
    if (sourceRoot != destRoot)
        refuse(". Cannot (yet) move keys with different roots");
    if (sourcePath == destPath)
        return;

    ScopedRootKey useDestRoot(Registry, destRoot);
    if (Registry.KeyExists(destPath)) {
        if (!SameName(sourcePath, destPath) ||
            ExtractKeyName(sourcePath) == ExtractKeyName(destPath))
            refuse("because the target already exists.");
        // Only the letter case of the key's own name changes: the store finds
        // the key under either spelling, so go by way of a free name.
        const std::string temp = UnusedKeyPath(Registry, sourcePath);
        Registry.MoveKey(sourcePath, temp, true);
        try {
            Registry.MoveKey(temp, destPath, true);
        } catch (...) {
            // Give the key its old name back rather than leave it under the
            // temporary one.
            try {
                Registry.MoveKey(temp, sourcePath, true);
            } catch (...) {
            }
            throw;
        }
        return;
    }
    if (IsSubKeyOf(destRoot, destPath, sourceRoot, sourcePath))
        refuse("because the target is a subkey of the source.");
    // The registry object would move nothing, silently.
    if (!Registry.KeyExists(sourcePath))
        refuse("because the source does not exist.");
    Registry.MoveKey(sourcePath, destPath, !copy);
}

void TRegTreeView::DoMoveCopied(TRegTreeNode* source, TRegTreeNode* dest, TMoveMode moveMode) {
    if (OnMoveCopied)
        OnMoveCopied(source, dest, moveMode);
}

}  // namespace zanver
