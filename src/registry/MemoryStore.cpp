#include "MemoryStore.h"

#include <algorithm>
#include <utility>

#include "ErrorCodes.h"
#include "NameRules.h"
#include "RootKeys.h"

namespace zanver {

namespace {

bool NameBefore(const std::string& a, const std::string& b) {
    return CompareNames(a, b) < 0;
}

void AppendEscaped(std::string& out, std::string_view name) {
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
}

void AppendBytes(std::string& out, const std::vector<std::uint8_t>& data) {
    static const char kHex[] = "0123456789ABCDEF";
    for (std::uint8_t byte : data) {
        out += ' ';
        out += kHex[byte >> 4];
        out += kHex[byte & 0x0F];
    }
}

}  // namespace

MemoryStore::MemoryStore() {
    const StoreKey rootKeys[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                                 HKEY_CURRENT_CONFIG};
    for (StoreKey root : rootKeys) {
        auto node = std::make_shared<Node>();
        node->name = RootKeyName(root);
        node->permanent = true;
        roots_.push_back(node);
        Handle handle;
        handle.node = node;
        handle.access = kKeyAllAccess;
        handle.predefined = true;
        handles_.emplace(root, std::move(handle));
    }
    // HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\Software\Classes under another name.
    std::shared_ptr<Node> node = roots_[1];
    for (const char* name : {"Software", "Classes"}) {
        auto child = std::make_shared<Node>();
        child->name = name;
        child->parent = node.get();
        child->depth = node->depth + 1;
        child->permanent = true;
        node->children.emplace(FoldName(name), child);
        node = child;
    }
    Handle classes;
    classes.node = node;
    classes.access = kKeyAllAccess;
    classes.predefined = true;
    handles_.emplace(HKEY_CLASSES_ROOT, std::move(classes));
}

MemoryStore::~MemoryStore() = default;

long MemoryStore::Use(StoreKey key, std::uint32_t access, Handle*& handle) {
    const auto it = handles_.find(key);
    if (it == handles_.end())
        return err::kInvalidHandle;
    handle = &it->second;
    if ((handle->access & access) != access)
        return err::kAccessDenied;
    if (handle->node->deleted)
        return err::kKeyDeleted;
    return err::kSuccess;
}

StoreKey MemoryStore::AddHandle(std::shared_ptr<Node> node, std::uint32_t access) {
    const StoreKey key = nextHandle_;
    nextHandle_ += 4;
    if (nextHandle_ >= HKEY_CLASSES_ROOT && nextHandle_ <= HKEY_DYN_DATA)
        nextHandle_ = HKEY_CLASSES_ROOT + 8;
    Handle handle;
    handle.node = std::move(node);
    handle.access = access;
    handles_.emplace(key, std::move(handle));
    return key;
}

std::shared_ptr<MemoryStore::Node> MemoryStore::Walk(const std::shared_ptr<Node>& from,
                                                     const std::vector<std::string>& names) {
    std::shared_ptr<Node> node = from;
    for (const std::string& name : names) {
        const auto it = node->children.find(FoldName(name));
        if (it == node->children.end())
            return nullptr;
        node = it->second;
    }
    return node;
}

// Each change to a key bumps its version by one. A handle whose snapshot was
// current before its own change stays current after it.
void MemoryStore::NoteKeyAdded(Handle& handle, const std::string& name) {
    if (!handle.keysTaken)
        return;
    handle.keys.insert(std::lower_bound(handle.keys.begin(), handle.keys.end(), name, NameBefore),
                       name);
    if (handle.keysVersion + 1 == handle.node->keysVersion)
        handle.keysVersion = handle.node->keysVersion;
}

void MemoryStore::NoteKeyRemoved(Handle& handle, const std::string& name) {
    if (!handle.keysTaken)
        return;
    if (!handle.keys.empty() && SameName(handle.keys.front(), name)) {
        handle.keys.pop_front();
    } else {
        const auto it = std::lower_bound(handle.keys.begin(), handle.keys.end(), name, NameBefore);
        if (it != handle.keys.end() && SameName(*it, name))
            handle.keys.erase(it);
    }
    if (handle.keysVersion + 1 == handle.node->keysVersion)
        handle.keysVersion = handle.node->keysVersion;
}

void MemoryStore::AttachKey(const std::shared_ptr<Node>& node, Node& parent) {
    node->parent = &parent;
    node->deleted = false;
    parent.children.emplace(FoldName(node->name), node);
    ++parent.keysVersion;
    ShiftDepth(*node, parent.depth + 1);
}

void MemoryStore::DetachValue(Node& node, const std::shared_ptr<Value>& value) {
    const auto it = node.valueIndex.find(FoldName(value->name));
    if (it == node.valueIndex.end())
        return;
    node.values.erase(it->second);
    node.valueIndex.erase(it);
    ++node.valuesVersion;
}

void MemoryStore::Journal(std::function<void()> undo) {
    if (txDepth_ > 0)
        journal_.push_back(std::move(undo));
}

long MemoryStore::BeginTransaction() {
    if (txDepth_++ == 0) {
        txRollbackOnly_ = false;
        journal_.clear();
    }
    return err::kSuccess;
}

long MemoryStore::EndTransaction(bool commit) {
    if (txDepth_ == 0)
        return err::kInvalidFunction;
    if (--txDepth_ > 0) {
        if (!commit)
            txRollbackOnly_ = true;
        return err::kSuccess;
    }
    if (commit && !txRollbackOnly_) {
        journal_.clear();
        return err::kSuccess;
    }
    // Newest change first, so that each undo finds the state it left.
    while (!journal_.empty()) {
        const std::function<void()> undo = std::move(journal_.back());
        journal_.pop_back();
        undo();
    }
    return commit ? err::kCantWrite : err::kSuccess;
}

void MemoryStore::RemoveKeyFromParent(Node& node) {
    Node* parent = node.parent;
    parent->children.erase(FoldName(node.name));
    ++parent->keysVersion;
    node.parent = nullptr;
    node.deleted = true;
    node.values.clear();
    node.valueIndex.clear();
}

long MemoryStore::OpenKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                          StoreKey& result) {
    result = 0;
    Handle* handle = nullptr;
    if (const long rc = Use(parent, 0, handle))
        return rc;
    std::vector<std::string> names;
    if (const long rc = SplitKeyPath(subKey, names))
        return rc;
    std::shared_ptr<Node> node = Walk(handle->node, names);
    if (!node)
        return err::kFileNotFound;
    if (node->unreadable)
        return err::kAccessDenied;
    result = AddHandle(std::move(node), access);
    return err::kSuccess;
}

long MemoryStore::CreateKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                            StoreKey& result, bool& existed) {
    result = 0;
    existed = false;
    Handle* handle = nullptr;
    if (const long rc = Use(parent, kKeyCreateSubKey, handle))
        return rc;
    std::vector<std::string> names;
    if (const long rc = SplitKeyPath(subKey, names))
        return rc;
    if (handle->node->depth + names.size() > kMaxKeyDepth)
        return err::kInvalidParameter;

    std::shared_ptr<Node> node = handle->node;
    std::size_t found = 0;
    for (; found < names.size(); ++found) {
        const auto it = node->children.find(FoldName(names[found]));
        if (it == node->children.end())
            break;
        node = it->second;
    }
    // Nothing can be created below an unreadable key, nor can it be opened.
    if (node->unreadable)
        return err::kAccessDenied;
    existed = found == names.size();
    for (std::size_t i = found; i < names.size(); ++i) {
        auto child = std::make_shared<Node>();
        child->name = names[i];
        child->parent = node.get();
        child->depth = node->depth + 1;
        node->children.emplace(FoldName(names[i]), child);
        ++node->keysVersion;
        if (i == 0)
            NoteKeyAdded(*handle, names[0]);
        Journal([child] { RemoveKeyFromParent(*child); });
        node = std::move(child);
    }
    result = AddHandle(std::move(node), access);
    return err::kSuccess;
}

long MemoryStore::CloseKey(StoreKey key) {
    const auto it = handles_.find(key);
    if (it == handles_.end())
        return err::kInvalidHandle;
    if (!it->second.predefined)
        handles_.erase(it);
    return err::kSuccess;
}

long MemoryStore::EnumKey(StoreKey key, std::uint32_t index, std::string& name) {
    Handle* handle = nullptr;
    if (const long rc = Use(key, kKeyEnumerateSubKeys, handle))
        return rc;
    const Node& node = *handle->node;
    if (!handle->keysTaken || (index == 0 && handle->keysVersion != node.keysVersion)) {
        handle->keys.clear();
        for (const auto& entry : node.children)
            handle->keys.push_back(entry.second->name);
        handle->keysTaken = true;
        handle->keysVersion = node.keysVersion;
    }
    if (index >= handle->keys.size())
        return err::kNoMoreItems;
    name = handle->keys[index];
    return err::kSuccess;
}

long MemoryStore::EnumValue(StoreKey key, std::uint32_t index, std::string& name,
                            std::uint32_t* type, std::vector<std::uint8_t>* data) {
    Handle* handle = nullptr;
    if (const long rc = Use(key, kKeyQueryValue, handle))
        return rc;
    const Node& node = *handle->node;
    if (!handle->valuesTaken || (index == 0 && handle->valuesVersion != node.valuesVersion)) {
        handle->values.assign(node.values.begin(), node.values.end());
        handle->valuesTaken = true;
        handle->valuesVersion = node.valuesVersion;
    }
    if (index >= handle->values.size())
        return err::kNoMoreItems;
    const Value& value = *handle->values[index];
    name = value.name;
    if (type)
        *type = value.type;
    if (data)
        *data = value.data;
    return err::kSuccess;
}

long MemoryStore::QueryInfoKey(StoreKey key, KeyInfo& info) {
    info = KeyInfo{};
    Handle* handle = nullptr;
    if (const long rc = Use(key, kKeyQueryValue, handle))
        return rc;
    const Node& node = *handle->node;
    info.subKeys = static_cast<std::uint32_t>(node.children.size());
    for (const auto& entry : node.children)
        info.maxSubKeyLen =
            std::max(info.maxSubKeyLen, static_cast<std::uint32_t>(entry.second->name.size()));
    info.values = static_cast<std::uint32_t>(node.values.size());
    for (const auto& value : node.values) {
        info.maxValueNameLen =
            std::max(info.maxValueNameLen, static_cast<std::uint32_t>(value->name.size()));
        info.maxValueLen =
            std::max(info.maxValueLen, static_cast<std::uint32_t>(value->data.size()));
    }
    return err::kSuccess;
}

long MemoryStore::QueryValue(StoreKey key, std::string_view name, std::uint32_t* type,
                             std::vector<std::uint8_t>* data) {
    Handle* handle = nullptr;
    if (const long rc = Use(key, kKeyQueryValue, handle))
        return rc;
    const Node& node = *handle->node;
    const auto it = node.valueIndex.find(FoldName(name));
    if (it == node.valueIndex.end())
        return err::kFileNotFound;
    const Value& value = **it->second;
    if (type)
        *type = value.type;
    if (data)
        *data = value.data;
    return err::kSuccess;
}

long MemoryStore::SetValue(StoreKey key, std::string_view name, std::uint32_t type,
                           const std::uint8_t* data, std::size_t size) {
    Handle* handle = nullptr;
    if (const long rc = Use(key, kKeySetValue, handle))
        return rc;
    if (!ValidValueName(name) || (!data && size != 0))
        return err::kInvalidParameter;
    Node& node = *handle->node;
    std::string folded = FoldName(name);
    const auto it = node.valueIndex.find(folded);
    if (it != node.valueIndex.end()) {
        // Overwriting keeps the value's place and the case of its name.
        const std::shared_ptr<Value> value = *it->second;
        Journal([value, oldType = value->type, oldData = value->data] {
            value->type = oldType;
            value->data = oldData;
        });
        value->type = type;
        value->data.assign(data, data + size);
        return err::kSuccess;
    }
    auto value = std::make_shared<Value>();
    value->name = std::string(name);
    value->type = type;
    value->data.assign(data, data + size);
    node.values.push_back(value);
    node.valueIndex.emplace(std::move(folded), std::prev(node.values.end()));
    ++node.valuesVersion;
    Journal([owner = handle->node, value] { DetachValue(*owner, value); });
    if (handle->valuesTaken) {
        handle->values.push_back(std::move(value));
        if (handle->valuesVersion + 1 == node.valuesVersion)
            handle->valuesVersion = node.valuesVersion;
    }
    return err::kSuccess;
}

long MemoryStore::DeleteValue(StoreKey key, std::string_view name) {
    Handle* handle = nullptr;
    if (const long rc = Use(key, kKeySetValue, handle))
        return rc;
    Node& node = *handle->node;
    const auto it = node.valueIndex.find(FoldName(name));
    if (it == node.valueIndex.end())
        return err::kFileNotFound;
    const std::shared_ptr<Value> value = *it->second;
    const auto after = std::next(it->second);
    // Put back in its place: before the value that followed it.
    Journal([owner = handle->node, value, next = after == node.values.end() ? nullptr : *after] {
        auto at = owner->values.end();
        if (next)
            if (const auto found = owner->valueIndex.find(FoldName(next->name));
                found != owner->valueIndex.end())
                at = found->second;
        owner->valueIndex.emplace(FoldName(value->name), owner->values.insert(at, value));
        ++owner->valuesVersion;
    });
    node.values.erase(it->second);
    node.valueIndex.erase(it);
    ++node.valuesVersion;
    if (handle->valuesTaken) {
        auto& values = handle->values;
        if (!values.empty() && values.front() == value) {
            values.pop_front();
        } else {
            const auto pos = std::find(values.begin(), values.end(), value);
            if (pos != values.end())
                values.erase(pos);
        }
        if (handle->valuesVersion + 1 == node.valuesVersion)
            handle->valuesVersion = node.valuesVersion;
    }
    return err::kSuccess;
}

long MemoryStore::DeleteKey(StoreKey key, std::string_view subKey) {
    Handle* handle = nullptr;
    if (const long rc = Use(key, 0, handle))
        return rc;
    std::vector<std::string> names;
    if (const long rc = SplitKeyPath(subKey, names))
        return rc;
    const std::shared_ptr<Node> node = Walk(handle->node, names);
    if (!node)
        return err::kFileNotFound;
    if (node->permanent || node->unreadable || !node->children.empty())
        return err::kAccessDenied;
    Journal([node, parent = node->parent, values = node->values] {
        node->values = values;
        for (auto at = node->values.begin(); at != node->values.end(); ++at)
            node->valueIndex.emplace(FoldName((*at)->name), at);
        ++node->valuesVersion;
        AttachKey(node, *parent);
    });
    RemoveKeyFromParent(*node);
    if (names.size() == 1)
        NoteKeyRemoved(*handle, node->name);
    return err::kSuccess;
}

// Levels of subkeys below the node.
std::size_t MemoryStore::Height(const Node& node) {
    std::size_t height = 0;
    for (const auto& entry : node.children)
        height = std::max(height, Height(*entry.second) + 1);
    return height;
}

void MemoryStore::ShiftDepth(Node& node, std::size_t depth) {
    node.depth = depth;
    for (const auto& entry : node.children)
        ShiftDepth(*entry.second, depth + 1);
}

long MemoryStore::MoveKey(StoreKey sourceParent, std::string_view sourceSubKey, StoreKey destParent,
                          std::string_view destSubKey) {
    Handle* from = nullptr;
    Handle* to = nullptr;
    if (const long rc = Use(sourceParent, 0, from))
        return rc;
    if (const long rc = Use(destParent, kKeyCreateSubKey, to))
        return rc;
    std::vector<std::string> sourceNames;
    std::vector<std::string> destNames;
    std::string newName;
    if (const long rc = SplitMovePaths(sourceSubKey, destSubKey, sourceNames, destNames, newName))
        return rc;
    const std::shared_ptr<Node> node = Walk(from->node, sourceNames);
    const std::shared_ptr<Node> parent = Walk(to->node, destNames);
    if (!node || !parent)
        return err::kFileNotFound;
    // Roots and Software\Classes stay, and so do the keys that hold them.
    for (const Node* at = handles_.at(HKEY_CLASSES_ROOT).node.get(); at; at = at->parent)
        if (at == node.get())
            return err::kAccessDenied;
    if (node->unreadable || parent->unreadable)
        return err::kAccessDenied;
    const std::string fold = FoldName(newName);
    if (const auto it = parent->children.find(fold);
        it != parent->children.end() && it->second != node)
        return err::kAlreadyExists;
    for (const Node* at = parent.get(); at; at = at->parent)
        if (at == node.get())
            return err::kInvalidParameter;
    if (parent->depth + 1 + Height(*node) > kMaxKeyDepth)
        return err::kInvalidParameter;

    Node* oldParent = node->parent;
    const std::string oldName = node->name;
    Journal([node, oldParent, oldName] {
        Node& movedTo = *node->parent;
        movedTo.children.erase(FoldName(node->name));
        ++movedTo.keysVersion;
        node->name = oldName;
        AttachKey(node, *oldParent);
    });
    oldParent->children.erase(FoldName(oldName));
    ++oldParent->keysVersion;
    if (sourceNames.size() == 1)
        NoteKeyRemoved(*from, oldName);
    node->name = newName;
    node->parent = parent.get();
    parent->children.emplace(fold, node);
    ++parent->keysVersion;
    if (destNames.empty())
        NoteKeyAdded(*to, newName);
    ShiftDepth(*node, parent->depth + 1);
    return err::kSuccess;
}

bool MemoryStore::SetUnreadable(StoreKey root, std::string_view path, bool unreadable) {
    const auto it = handles_.find(root);
    std::vector<std::string> names;
    if (it == handles_.end() || it->second.node->deleted || SplitKeyPath(path, names) != 0)
        return false;
    const std::shared_ptr<Node> node = Walk(it->second.node, names);
    if (!node)
        return false;
    node->unreadable = unreadable;
    return true;
}

std::size_t MemoryStore::OpenHandleCount() const {
    return static_cast<std::size_t>(
        std::count_if(handles_.begin(), handles_.end(),
                      [](const auto& entry) { return !entry.second.predefined; }));
}

bool MemoryStore::SameNode(const Node& a, const Node& b) {
    if (a.name != b.name || a.values.size() != b.values.size() ||
        a.children.size() != b.children.size())
        return false;
    for (auto va = a.values.begin(), vb = b.values.begin(); va != a.values.end(); ++va, ++vb) {
        const Value& x = **va;
        const Value& y = **vb;
        if (x.name != y.name || x.type != y.type || x.data != y.data)
            return false;
    }
    for (auto ca = a.children.begin(), cb = b.children.begin(); ca != a.children.end();
         ++ca, ++cb) {
        if (!SameNode(*ca->second, *cb->second))
            return false;
    }
    return true;
}

bool MemoryStore::SameContents(const MemoryStore& other) const {
    for (std::size_t i = 0; i < roots_.size(); ++i) {
        if (!SameNode(*roots_[i], *other.roots_[i]))
            return false;
    }
    return true;
}

void MemoryStore::DumpNode(const Node& node, const std::string& fullName, std::string& out) {
    out += '[';
    out += fullName;
    out += "]\n";
    for (const auto& value : node.values) {
        out += "  \"";
        AppendEscaped(out, value->name);
        out += "\" ";
        out += std::to_string(value->type);
        out += ':';
        AppendBytes(out, value->data);
        out += '\n';
    }
    for (const auto& entry : node.children) {
        std::string childName = fullName + '\\';
        AppendEscaped(childName, entry.second->name);
        DumpNode(*entry.second, childName, out);
    }
}

const MemoryStore::Node* MemoryStore::Find(StoreKey root, std::string_view path,
                                           std::string* fullName) const {
    const auto it = handles_.find(root);
    std::vector<std::string> names;
    if (it == handles_.end() || !it->second.predefined || SplitKeyPath(path, names) != 0)
        return nullptr;
    const Node* node = it->second.node.get();
    *fullName = RootKeyName(root);
    for (const std::string& name : names) {
        const auto child = node->children.find(FoldName(name));
        if (child == node->children.end())
            return nullptr;
        node = child->second.get();
        *fullName += '\\';
        AppendEscaped(*fullName, node->name);
    }
    return node;
}

std::string MemoryStore::Dump() const {
    std::string out;
    for (const auto& root : roots_)
        DumpNode(*root, root->name, out);
    return out;
}

std::string MemoryStore::Dump(StoreKey root, std::string_view path) const {
    std::string out;
    std::string fullName;
    if (const Node* node = Find(root, path, &fullName))
        DumpNode(*node, fullName, out);
    return out;
}

}  // namespace zanver
