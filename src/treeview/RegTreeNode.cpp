#include "RegTreeNode.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "AppMessageBox.h"
#include "KeyPaths.h"
#include "NameRules.h"
#include "QtText.h"
#include "RegTreeChildIndex.h"
#include "RegTreeSort.h"
#include "RegTreeView.h"
#include "RegistryAccess.h"
#include "StrUtils.h"
#include "TreeErrors.h"
#include "ValueText.h"

namespace zanver {

namespace {

// The type of a value text as a caption shows it. A link shows as a byte list
// that reads back only in the string form, so its word alone tells its type.
std::uint32_t CaptionValueType(std::string_view value) {
    const std::string_view word = TypeWords[RegLink];
    if (LowerCaseAscii(value.substr(0, word.size())) == word)
        return RegLink;
    return ValueTextType(value);
}

constexpr const char* kTruncateQuestion =
    "The original node value has a textual representation longer than 259 chars. If you start "
    "editing it it will be truncated to 259 chars. Do you want to TRUNCATE and edit it?";

// Children of a node up to this many are searched one by one; a node with
// more gets a name index (a key with thousands of subkeys would otherwise make
// every lookup, and so every load or paste into it, quadratic).
constexpr int kIndexThreshold = 16;

// The name index of one node's children: the first key child and the first
// value child of each case-folded name, and how many children it covered.
struct ChildIndex {
    struct Entry {
        TRegTreeNode* key = nullptr;
        TRegTreeNode* value = nullptr;
    };
    int count = 0;
    std::unordered_map<std::string, Entry> byName;
};

std::unordered_map<const TRegTreeNode*, ChildIndex>& Indexes() {
    static std::unordered_map<const TRegTreeNode*, ChildIndex> indexes;
    return indexes;
}

void ForgetIndex(const TRegTreeNode* node) {
    auto& indexes = Indexes();
    if (!indexes.empty())
        indexes.erase(node);
}

void AddToIndex(ChildIndex& index, TRegTreeNode* child) {
    ChildIndex::Entry& entry = index.byName[FoldName(child->NodeName())];
    TRegTreeNode*& slot = child->IsKey() ? entry.key : entry.value;
    if (slot == nullptr)
        slot = child;
}

ChildIndex& BuildIndex(TRegTreeNode* parent) {
    ChildIndex& index = Indexes()[parent];
    index.byName.clear();
    const int count = parent->childCount();
    index.byName.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        if (TRegTreeNode* child = parent->Child(i))
            AddToIndex(index, child);
    index.count = count;
    return index;
}

bool Matches(const TRegTreeNode* child, std::string_view name, ChildKind kind) {
    if (kind == ChildKind::Key && !child->IsKey())
        return false;
    if (kind == ChildKind::Value && child->IsKey())
        return false;
    return SameName(child->NodeName(), name);
}

TRegTreeNode* FindLinear(const TRegTreeNode* parent, std::string_view name, ChildKind kind) {
    const int count = parent->childCount();
    for (int i = 0; i < count; ++i) {
        TRegTreeNode* child = parent->Child(i);
        if (child != nullptr && Matches(child, name, kind))
            return child;
    }
    return nullptr;
}

TRegTreeNode* FromEntry(const TRegTreeNode* parent, const ChildIndex::Entry& entry,
                        ChildKind kind) {
    switch (kind) {
        case ChildKind::Key:
            return entry.key;
        case ChildKind::Value:
            return entry.value;
        case ChildKind::Any:
            break;
    }
    if (entry.key == nullptr || entry.value == nullptr)
        return entry.key != nullptr ? entry.key : entry.value;
    // Both kinds carry the name: the first child in the tree's order wins.
    return parent->indexOfChild(entry.key) < parent->indexOfChild(entry.value) ? entry.key
                                                                               : entry.value;
}

// Whether node is ancestor or lies below it.
bool IsSelfOrBelow(const QTreeWidgetItem* node, const QTreeWidgetItem* ancestor) {
    for (; node != nullptr; node = node->parent())
        if (node == ancestor)
            return true;
    return false;
}

std::string BuildCaption(std::string_view name, std::string_view value, bool isKey) {
    std::string caption(name);
    if (!isKey || !value.empty()) {
        caption += " = ";
        caption += value;
    }
    return caption;
}

}  // namespace

// Name lookups shared with the loader.

TRegTreeNode* FindChildOfKind(const TRegTreeNode* parent, std::string_view name, ChildKind kind) {
    const int count = parent->childCount();
    if (count < kIndexThreshold)
        return FindLinear(parent, name, kind);
    auto& indexes = Indexes();
    auto it = indexes.find(parent);
    ChildIndex* index = it != indexes.end() && it->second.count == count
                            ? &it->second
                            : &BuildIndex(const_cast<TRegTreeNode*>(parent));
    const std::string folded = FoldName(name);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto found = index->byName.find(folded);
        if (found == index->byName.end())
            return nullptr;
        TRegTreeNode* child = FromEntry(parent, found->second, kind);
        if (child == nullptr)
            return nullptr;
        if (child->parent() == parent && Matches(child, name, kind))
            return child;
        // Changed behind the index's back: build it again once.
        index = &BuildIndex(const_cast<TRegTreeNode*>(parent));
    }
    return FindLinear(parent, name, kind);
}

void NoteChildAdded(TRegTreeNode* parent, TRegTreeNode* child) {
    auto& indexes = Indexes();
    if (indexes.empty())
        return;
    const auto it = indexes.find(parent);
    if (it == indexes.end())
        return;
    if (it->second.count + 1 == parent->childCount()) {
        AddToIndex(it->second, child);
        ++it->second.count;
    } else {
        indexes.erase(it);
    }
}

// TRegTreeNode

TRegTreeNode::TRegTreeNode() : QTreeWidgetItem(kNodeType) {
    setFlags(Qt::ItemIsEditable | Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled |
             Qt::ItemIsDropEnabled);
}

TRegTreeNode::~TRegTreeNode() {
    ForgetIndex(this);
    if (QTreeWidgetItem* owner = parent())
        ForgetIndex(AsNode(owner));
    // The view must not keep pointers into the subtree that goes now.
    if (TRegTreeView* view = TreeView()) {
        if (IsSelfOrBelow(view->PendingNode, this))
            view->PendingNode = nullptr;
        if (IsSelfOrBelow(view->DragNode, this))
            view->DragNode = nullptr;
    }
}

std::string TRegTreeNode::Text() const {
    return FromQString(text(0));
}

void TRegTreeNode::SetText(std::string_view newText) {
    const QString caption = ToQString(newText);
    if (caption == text(0))
        return;
    // A changed name makes the parent's name index stale.
    if (!Indexes().empty()) {
        if (TRegTreeNode* owner = ParentNode(); owner != nullptr && Indexes().count(owner) != 0) {
            const std::size_t pos = newText.find('=');
            const std::string newName =
                Trim(pos == std::string_view::npos ? newText : newText.substr(0, pos));
            if (!SameName(newName, NodeName()))
                ForgetIndex(owner);
        }
    }
    setText(0, caption);
    NoteCaptionChanged(this);
}

void TRegTreeNode::SetImageIndex(int index) {
    if (index == imageIndex_ && !icon(0).isNull())
        return;
    imageIndex_ = index;
    if (TRegTreeView* view = TreeView()) {
        const QList<QIcon>& images = view->Images();
        if (index >= 0 && index < images.size())
            setIcon(0, images.at(index));
    }
}

TRegTreeView* TRegTreeNode::TreeView() const {
    return qobject_cast<TRegTreeView*>(treeWidget());
}

TRegTreeNode* TRegTreeNode::ParentNode() const {
    return AsNode(parent());
}

TRegTreeNode* TRegTreeNode::Child(int index) const {
    return AsNode(child(index));
}

RootKey TRegTreeNode::GetRootKey() const {
    const TRegTreeView* view = TreeView();
    return view != nullptr ? view->Registry.GetRootKey() : HKEY_CLASSES_ROOT;
}

void SplitCaption(std::string_view caption, std::string& name, std::string& value) {
    const std::size_t pos = caption.find('=');
    if (pos == std::string_view::npos) {
        name = Trim(caption);
        value.clear();
    } else {
        name = Trim(caption.substr(0, pos));
        value = Trim(caption.substr(pos + 1));
    }
}

void TRegTreeNode::SplitText(std::string& name, std::string& value) const {
    SplitCaption(Text(), name, value);
}

std::string TRegTreeNode::NodeName() const {
    std::string name;
    std::string value;
    SplitText(name, value);
    return name;
}

std::string TRegTreeNode::NodeValue() const {
    std::string name;
    std::string value;
    SplitText(name, value);
    return value;
}

std::string TRegTreeNode::KeyName() const {
    return IsKey() ? NodeName() : std::string();
}

std::string TRegTreeNode::ValueName() const {
    return IsKey() ? std::string() : NodeName();
}

std::string TRegTreeNode::KeyPath() const {
    const TRegTreeView* view = TreeView();
    const std::string rootPath = view != nullptr ? view->RootPath : std::string();
    const TRegTreeNode* key = IsKey() ? this : ParentNode();
    if (key == nullptr)
        return rootPath;
    std::string path = key->NodeName();
    for (const TRegTreeNode* node = key->ParentNode(); node != nullptr; node = node->ParentNode())
        path = node->NodeName() + "\\" + path;
    return rootPath.empty() ? path : rootPath + "\\" + path;
}

std::string TRegTreeNode::NodePath() const {
    return IsKey() ? KeyPath() : KeyPath() + "\\" + ValueName();
}

std::string TRegTreeNode::TextPath() const {
    if (const TRegTreeNode* owner = ParentNode())
        return owner->KeyPath() + "\\" + Text();
    const TRegTreeView* view = TreeView();
    if (view != nullptr && !view->RootPath.empty())
        return view->RootPath + "\\" + Text();
    return Text();
}

void TRegTreeNode::GetRegAddress(std::string& keyPath, std::string& name,
                                 std::string& value) const {
    keyPath = KeyPath();
    SplitText(name, value);
    if (IsKey())
        name.clear();
}

std::uint32_t TRegTreeNode::RegType() const {
    return GetValueType(GetRootKey(), KeyPath(), ValueName());
}

void TRegTreeNode::SetValueType(std::int32_t type) {
    if ((type == -1) != IsKey())
        if (TRegTreeNode* owner = ParentNode())
            ForgetIndex(owner);
    ValueType = type;
    UpdateImage();
}

void TRegTreeNode::InitNode(std::string_view name, std::string_view value, bool isKey) {
    if (isKey) {
        SetValueType(-1);
    } else {
        if (IsKey())
            if (TRegTreeNode* owner = ParentNode())
                ForgetIndex(owner);
        ValueType = 0;
    }
    SetNameValue(name, value);
}

void TRegTreeNode::SetNameValue(std::string_view name, std::string_view value) {
    if (!IsKey())
        SetValueType(static_cast<std::int32_t>(CaptionValueType(value)));
    const std::string caption = BuildCaption(name, value, IsKey());
    // Counted as the in-place editor counts its limit.
    LongText = static_cast<std::size_t>(ToQString(caption).size()) > kMaxEditLength;
    SetText(caption);
}

void TRegTreeNode::SetValue(std::string_view value) {
    SetNameValue(NodeName(), value);
}

void TRegTreeNode::SetStringValue(std::string_view name, std::string_view text) {
    SetNameValue(name, "\"" + std::string(text) + "\"");
}

void TRegTreeNode::Assign(const QTreeWidgetItem& source) {
    if (TRegTreeNode* owner = ParentNode())
        ForgetIndex(owner);
    QTreeWidgetItem::operator=(source);
    if (source.type() == kNodeType) {
        const auto& node = static_cast<const TRegTreeNode&>(source);
        ValueType = node.ValueType;
        LongText = node.LongText;
        imageIndex_ = node.imageIndex_;
    }
    emitDataChanged();
    NoteCaptionChanged(this);
}

TRegTreeNode* TRegTreeNode::FindChild(std::string_view name, bool load) {
    if (load && !Loaded)
        LoadChildren();
    return FindChildOfKind(this, name, ChildKind::Any);
}

TRegTreeNode* TRegTreeNode::FindPath(std::string_view path, bool load) {
    TRegTreeNode* node = this;
    while (!path.empty() && node != nullptr) {
        const std::size_t pos = path.find('\\');
        const std::string_view component = path.substr(0, pos);
        if (pos == std::string_view::npos) {
            path = {};
            node = node->FindChild(component, load);
        } else {
            path.remove_prefix(pos + 1);
            // A path goes on only through keys: a value of the same name is
            // no step of it.
            if (load && !node->Loaded)
                node->LoadChildren();
            node = FindChildOfKind(node, component, ChildKind::Key);
        }
    }
    return node;
}

TRegTreeNode* TRegTreeNode::FindDeepest(std::string_view path) {
    TRegTreeNode* node = this;
    while (!path.empty()) {
        const std::size_t pos = path.find('\\');
        const std::string_view component = path.substr(0, pos);
        path = pos == std::string_view::npos ? std::string_view() : path.substr(pos + 1);
        if (!node->Loaded)
            node->LoadChildren();
        TRegTreeNode* child =
            FindChildOfKind(node, component, path.empty() ? ChildKind::Any : ChildKind::Key);
        if (child == nullptr)
            break;
        node = child;
    }
    return node;
}

TRegTreeNode* TRegTreeNode::AddChild(std::string_view name, std::string_view value, bool isKey) {
    // The node gets its fields and caption before it joins the tree, so that
    // bad value text adds nothing and the tree hears of one insertion only.
    auto node = std::make_unique<TRegTreeNode>();
    node->InitNode(name, value, isKey);
    InsertChildSorted(TreeView(), this, node.get());
    TRegTreeNode* added = node.release();
    NoteChildAdded(this, added);
    added->UpdateImage();
    return added;
}

TRegTreeNode* TRegTreeNode::AddPath(std::string_view path, std::string_view name,
                                    std::string_view value) {
    TRegTreeNode* node = this;
    while (!path.empty()) {
        const std::size_t pos = path.find('\\');
        const std::string_view component = path.substr(0, pos);
        path = pos == std::string_view::npos ? std::string_view() : path.substr(pos + 1);
        if (component.empty())
            continue;
        TRegTreeNode* child = FindChildOfKind(node, component, ChildKind::Key);
        node = child != nullptr ? child : node->AddChild(component, "", true);
    }
    if (name.empty()) {
        node->SetValue(value);
        return node;
    }
    if (TRegTreeNode* child = FindChildOfKind(node, name, ChildKind::Value)) {
        child->SetValue(value);
        return child;
    }
    return node->AddChild(name, value, false);
}

void TRegTreeNode::LoadChildren() {
    // Only a key that still exists is read: reading the deepest existing key
    // instead would drop this very node from the tree.
    TRegTreeView* view = TreeView();
    if (view == nullptr || !IsKey())
        return;
    const std::string path = KeyPath();
    if (KeyExists(view->Registry.GetRootKey(), path))
        view->LoadKeyPath(path);
}

TRegTreeNode* TRegTreeNode::CopyTo(TRegTreeNode* dest) {
    if (dest == nullptr || dest == ParentNode())
        return nullptr;
    if (!dest->IsKey())
        throw ERegTreeNode("Destination of copy should be a key.");
    if (childCount() > 0 &&
        (IsSelfOrBelow(dest, this) ||
         IsSubKeyOf(dest->GetRootKey(), dest->KeyPath(), GetRootKey(), KeyPath())))
        throw ERegTreeNode("Cannot copy " + FullKeyName(GetRootKey(), KeyPath()) + " to " +
                           FullKeyName(dest->GetRootKey(), dest->KeyPath()) +
                           " because the target is a subkey of the source.");
    return CopySubtree(dest);
}

TRegTreeNode* TRegTreeNode::CopySubtree(TRegTreeNode* dest) {
    // The children are taken before the copy is added, which may be among them.
    std::vector<TRegTreeNode*> children;
    children.reserve(static_cast<std::size_t>(childCount()));
    for (int i = 0; i < childCount(); ++i)
        if (TRegTreeNode* child = Child(i))
            children.push_back(child);
    std::string name;
    std::string value;
    SplitText(name, value);
    TRegTreeNode* copy = dest->AddChild(name, value, IsKey());
    copy->LongText = LongText;
    for (TRegTreeNode* child : children)
        child->CopySubtree(copy);
    return copy;
}

bool TRegTreeNode::CanEdit() {
    if (!LongText)
        return true;
    return ShowMessageBox(kTruncateQuestion, MessageButtons::YesNo, MessageIcon::Question) ==
           MessageResult::Yes;
}

void TRegTreeNode::Collapsing() {
    if (imageIndex_ == kImageKeyOpen)
        SetImageIndex(kImageKeyClosed);
}

void TRegTreeNode::Expanding() {
    if (imageIndex_ == kImageKeyClosed)
        SetImageIndex(kImageKeyOpen);
    if (!Complete)
        if (TRegTreeView* view = TreeView())
            view->PendingNode = this;
}

void TRegTreeNode::Edited(std::string& text) {
    if (IsKey())
        return;
    const std::size_t pos = text.find('=');
    const std::string value =
        pos == std::string::npos ? std::string() : Trim(std::string_view(text).substr(pos + 1));
    SetValueType(static_cast<std::int32_t>(ValueTextType(value)));
}

void TRegTreeNode::UpdateImage() {
    int image = kImageBinary;
    switch (ValueType) {
        case -1:
            image = isExpanded() ? kImageKeyOpen : kImageKeyClosed;
            break;
        case 1:
        case 6:
        case 7:
            image = kImageString;
            break;
        case 2:
            image = kImageExpandString;
            break;
        default:
            break;
    }
    SetImageIndex(image);
}

bool TRegTreeNode::operator<(const QTreeWidgetItem& other) const {
    // Letter case is ignored the way the registry orders names (ASCII letters
    // upper-cased), so that "_" sorts after "Z" as in the store's enumeration.
    const QString a = text(0);
    const QString b = other.text(0);
    const qsizetype n = std::min(a.size(), b.size());
    const QChar* pa = a.constData();
    const QChar* pb = b.constData();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t ca = pa[i].unicode();
        char16_t cb = pb[i].unicode();
        if (ca >= u'a' && ca <= u'z')
            ca = static_cast<char16_t>(ca - u'a' + u'A');
        if (cb >= u'a' && cb <= u'z')
            cb = static_cast<char16_t>(cb - u'a' + u'A');
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

TRegTreeNode* AsNode(QTreeWidgetItem* item) {
    return item != nullptr && item->type() == TRegTreeNode::kNodeType
               ? static_cast<TRegTreeNode*>(item)
               : nullptr;
}

}  // namespace zanver
