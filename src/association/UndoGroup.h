#pragma once

#include <memory>

#include "UndoList.h"

namespace zanver {

// Description of the record that leads a group: undoing it only puts the
// focus back where it was when the group began.
inline constexpr char kChangeFocusDescription[] = "change focus";

// Raises UndoGroupDepth for its lifetime, lowering it again on every way out.
class UndoDepthScope {
  public:
    UndoDepthScope();
    ~UndoDepthScope();
    UndoDepthScope(const UndoDepthScope&) = delete;
    UndoDepthScope& operator=(const UndoDepthScope&) = delete;
};

// Makes everything recorded during its lifetime one step for Undo. It adds a
// "change focus" marker for the given control, then raises UndoGroupDepth so
// that the operation's records are chained back to the marker. On the way out
// (normal or by exception) the depth is lowered and, when the operation
// recorded nothing, the marker is taken off again.
class UndoGroup {
  public:
    // The marker is recorded on UndoList for the control that has the focus now.
    UndoGroup();
    UndoGroup(TZVUndoList& list, UndoControl* control);
    ~UndoGroup();
    UndoGroup(const UndoGroup&) = delete;
    UndoGroup& operator=(const UndoGroup&) = delete;

    // True once the operation has added a record after the marker.
    bool Recorded() const;

  private:
    TZVUndoList& list_;
    std::shared_ptr<TUndo> marker_;
    int countAfterMarker_;
};

}  // namespace zanver
