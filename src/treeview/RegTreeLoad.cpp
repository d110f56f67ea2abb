// Reading registry keys into the nodes of a registry tree view: the lazy
// two-level load, finding nodes by path, and reloading with the selection kept.
#include <QObject>

#include <optional>
#include <string>
#include <vector>

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "KeyHandle.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "NameRules.h"
#include "Progress.h"
#include "RegTreeChildIndex.h"
#include "RegTreeView.h"
#include "RegistryAccess.h"
#include "TreeErrors.h"
#include "ValueText.h"

namespace zanver {

namespace {

// A key with at least this many subkeys shows progress while it is read.
constexpr std::uint32_t kProgressKeys = 1000;

// Begin/end update of the view's nodes, ended on every way out.
class UpdateBracket {
  public:
    explicit UpdateBracket(TRegTreeView& view) : view_(view) { view_.BeginUpdate(); }
    ~UpdateBracket() { view_.EndUpdate(); }
    UpdateBracket(const UpdateBracket&) = delete;
    UpdateBracket& operator=(const UpdateBracket&) = delete;

  private:
    TRegTreeView& view_;
};

// One key load, descending into the subkeys as the options say.
class KeyLoader {
  public:
    explicit KeyLoader(TRegTreeView& view) : view_(view), store_(ActiveStore()) {}

    // lookUp: whether the parent had children before this load began (a new
    // parent has none, so nothing needs to be looked up below it).
    void Load(StoreKey parentKey, TRegTreeNode* parentNode, LoadOptions options,
              const std::string& name, bool lookUp) {
        KeyHandle key(store_);
        if (key.Open(parentKey, name, kKeyRead) != err::kSuccess)
            return;  // an unreadable key drops out at its parent's clean-up

        TRegTreeNode* node = nullptr;
        if (parentNode == nullptr)
            node = view_.FindNode(name, false);
        else if (lookUp)
            node = FindChildOfKind(parentNode, name, ChildKind::Key);
        const bool existed = node != nullptr;
        if (existed) {
            node->Loaded = false;
            node->Complete = false;
        } else {
            node = view_.AddKeyNode(parentNode, name, "");
        }

        node->Marked = true;
        const int previous = node->childCount();
        for (int i = 0; i < previous; ++i)
            if (TRegTreeNode* child = node->Child(i))
                child->Marked = false;

        std::string defaultText;
        if ((options & DefaultOnly) != 0) {
            // Only the default value is wanted: ask for it by its (empty)
            // name. The key's sizes are not needed for that, and asking for
            // them would be most of the cost of the deepest level.
            if (store_.QueryValue(key.Get(), "", &type_, &data_) == err::kSuccess)
                defaultText = Format(options);
            if (existed || !defaultText.empty())
                node->SetValue(defaultText);
            return;
        }
        // The key's sizes: the store needs no buffers sized from them, so they
        // are asked for where they count, at the top of a load (a failure
        // there is reported; below it, enumeration ends at the first failure).
        KeyInfo info;
        if ((options & SecondLevel) == 0) {
            if (const long result = store_.QueryInfoKey(key.Get(), info); result != err::kSuccess) {
                SetLastErrorCode(result);
                throw ERegTreeView("Could not query key " + name + ". " + LastErrorText());
            }
        }
        // The top of a load reads all the rest below it: a large key shows its
        // progress (it cannot be cancelled, since a key read in part would
        // lose the nodes of its unread subkeys).
        std::optional<TProgress> progress;
        if (progress_ == nullptr && info.subKeys >= kProgressKeys) {
            progress.emplace(&view_, QObject::tr("Reading the registry..."),
                             static_cast<int>(info.subKeys), false);
            progress_ = &*progress;
        }

        LoadValues(key.Get(), node, options, previous > 0, defaultText);
        if (existed || !defaultText.empty())
            node->SetValue(defaultText);

        LoadOptions subOptions = options;
        const bool complete = (options & SecondLevel) == 0;
        if (!complete)
            subOptions |= DefaultOnly;
        else if ((options & TwoLevels) != 0)
            subOptions |= SecondLevel;
        std::string subName;
        for (std::uint32_t index = 0; store_.EnumKey(key.Get(), index, subName) == err::kSuccess;
             ++index) {
            Load(key.Get(), node, subOptions, subName, previous > 0);
            if (progress)
                progress->Step(static_cast<int>(index) + 1);
        }
        key.Close();
        if (progress)
            progress_ = nullptr;

        if (previous > 0)
            RemoveUnmarked(node);
        node->Loaded = true;
        if (complete)
            node->Complete = true;
    }

  private:
    std::string Format(LoadOptions options) const {
        return FormatValueText(data_.data(), data_.size(), type_, (options & ExportText) != 0);
    }

    void LoadValues(StoreKey key, TRegTreeNode* node, LoadOptions options, bool lookUp,
                    std::string& defaultText) {
        for (std::uint32_t index = 0;
             store_.EnumValue(key, index, valueName_, &type_, &data_) == err::kSuccess; ++index) {
            const std::string text = Format(options);
            if (valueName_.empty()) {
                defaultText = text;
                continue;
            }
            TRegTreeNode* child =
                lookUp ? FindChildOfKind(node, valueName_, ChildKind::Value) : nullptr;
            if (child != nullptr)
                child->SetNameValue(valueName_, text);
            else
                child = view_.AddValueNode(node, valueName_, text);
            child->Marked = true;
        }
    }

    // Children that no longer exist in the registry were left unmarked.
    static void RemoveUnmarked(TRegTreeNode* node) {
        std::vector<TRegTreeNode*> gone;
        for (int i = 0; i < node->childCount(); ++i)
            if (TRegTreeNode* child = node->Child(i); child != nullptr && !child->Marked)
                gone.push_back(child);
        for (TRegTreeNode* child : gone)
            delete child;
    }

    TRegTreeView& view_;
    RegistryStore& store_;
    TProgress* progress_ = nullptr;
    // Buffers reused for every value read.
    std::string valueName_;
    std::uint32_t type_ = RegNone;
    Bytes data_;
};

}  // namespace

void TRegTreeView::LoadKey(StoreKey parentKey, TRegTreeNode* parentNode, LoadOptions options,
                           const std::string& name) {
    UpdateBracket bracket(*this);
    KeyLoader(*this).Load(parentKey, parentNode, options, name, true);
}

void TRegTreeView::LoadKeyPath(std::string_view path) {
    // The many small reads of a large key run as one read of the store.
    StoreReadScope readScope(ActiveStore());
    const RootKey root = Registry.GetRootKey();
    std::string p(path);
    while (!p.empty() && !KeyExists(root, p))
        p = ExtractParentKey(p);
    if (p.empty()) {
        if (RootPath.empty())
            ClearTree();
        return;
    }

    UpdateBracket bracket(*this);
    const std::string parentPath = ExtractParentKey(p);
    TRegTreeNode* parentNode = FindNode(parentPath, true);
    KeyHandle parentKey(ActiveStore());
    std::string name;
    if (parentNode != nullptr) {
        if (parentKey.Open(root, parentPath, kKeyRead) != err::kSuccess)
            return;
        name = ExtractKeyName(p);
    } else {
        // The key becomes the tree's top.
        if (!IsBelowRootPath(parentPath))
            return;
        if (!IsEmpty() && TopNode()->KeyPath() != p)
            ClearTree();
        if (!RootPath.empty()) {
            if (parentKey.Open(root, RootPath, kKeyRead) != err::kSuccess)
                return;
            p = StripRootPath(p);
            if (p.empty())
                return;
        }
        name = FirstKeyName(p);
    }
    LoadKey(parentKey.IsOpen() ? parentKey.Get() : root, parentNode, TwoLevels, name);
}

TRegTreeNode* TRegTreeView::FindNode(std::string_view path, bool load) {
    if (path.empty())
        return nullptr;
    if (IsEmpty()) {
        if (!load)
            return nullptr;
        LoadKeyPath(path);
        if (IsEmpty())
            return nullptr;
    }
    const std::string rest = StripRootPath(path);
    TRegTreeNode* top = TopNode();
    if (top == nullptr || !SameName(top->NodeName(), FirstKeyName(rest)))
        return nullptr;
    return top->FindPath(StripFirstKeyName(rest), load);
}

TRegTreeNode* TRegTreeView::FindNearestNode(std::string_view path) {
    TRegTreeNode* top = TopNode();
    if (top == nullptr)
        return nullptr;
    const std::string rest = StripRootPath(path);
    if (!SameName(top->NodeName(), FirstKeyName(rest)))
        return top;
    return top->FindDeepest(StripFirstKeyName(rest));
}

TRegTreeNode* TRegTreeView::RevealPath(std::string_view path) {
    TRegTreeNode* node = FindNearestNode(path);
    if (node != nullptr)
        scrollToItem(node);
    return node;
}

void TRegTreeView::RefreshPath(std::string_view path, bool keepSelection) {
    const bool hadFocus = hasFocus();
    std::string target(path);
    bool wasExpanded = false;
    if (keepSelection)
        if (TRegTreeNode* selected = Selected()) {
            target = selected->NodePath();
            wasExpanded = selected->isExpanded();
        }

    UpdateBracket bracket(*this);
    LoadKeyPath(path);
    TRegTreeNode* node = FindNearestNode(target);
    if (node == nullptr && keepSelection) {
        target = std::string(path);
        node = FindNearestNode(path);
        wasExpanded = false;
    }
    if (node == nullptr && Selected() == nullptr && !IsEmpty()) {
        node = TopNode();
        wasExpanded = true;
    }
    if (node == nullptr)
        return;
    if (hadFocus)
        setFocus();
    Select(node);
    if (wasExpanded || !SameName(node->NodePath(), target))
        node->setExpanded(true);
}

void TRegTreeView::LoadPending() {
    if (PendingNode == nullptr)
        return;
    const std::string path = PendingNode->KeyPath();
    PendingNode = nullptr;
    UpdateBracket bracket(*this);
    RefreshPath(path, true);
    if (TRegTreeNode* node = FindNode(path, false))
        node->setExpanded(true);
}

}  // namespace zanver
