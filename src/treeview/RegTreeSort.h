#pragma once

class QTreeWidgetItem;

namespace zanver {

class TRegTreeNode;
class TRegTreeView;

// Keeping a registry tree view's children sorted without sorting the whole
// tree again for every node added: the toolkit re-sorts everything after each
// insertion while sorting is on.

// Adds child as a child of parent (a node, or the view's invisible root): at
// its sorted place when the view sorts, else at the end, noting parent for the
// sort at the end of the update bracket.
void InsertChildSorted(TRegTreeView* view, QTreeWidgetItem* parent, TRegTreeNode* child);

// The caption of node changed: inside an update bracket its parent is noted
// for sorting (outside one the toolkit moves the node itself).
void NoteCaptionChanged(TRegTreeNode* node);

// Sorting switched on or off without the toolkit's sort of the whole tree.
void SetSortingQuietly(TRegTreeView* view, bool on);

// Sorts what was noted for view since the last call (everything when much
// was noted) and forgets it.
void SortNoted(TRegTreeView* view);
void ForgetNoted(const TRegTreeView* view);

}  // namespace zanver
