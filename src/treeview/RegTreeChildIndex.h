#pragma once

#include <string_view>

namespace zanver {

class TRegTreeNode;

// Which children a name lookup considers.
enum class ChildKind { Any, Key, Value };

// The first child of parent with that name (letter case ignored) and kind.
// Nodes with many children keep a name index, so lookups stay cheap while a
// key with thousands of subkeys is loaded or pasted into.
TRegTreeNode* FindChildOfKind(const TRegTreeNode* parent, std::string_view name, ChildKind kind);

// Tells parent's name index of a child just added as its last child.
void NoteChildAdded(TRegTreeNode* parent, TRegTreeNode* child);

}  // namespace zanver
