#include "UndoGroup.h"

#include "Undo.h"

namespace zanver {

UndoDepthScope::UndoDepthScope() {
    ++UndoGroupDepth;
}

UndoDepthScope::~UndoDepthScope() {
    --UndoGroupDepth;
}

UndoGroup::UndoGroup()
    : UndoGroup(UndoList,
                GetActiveControlSource() ? GetActiveControlSource()->ActiveControl() : nullptr) {}

UndoGroup::UndoGroup(TZVUndoList& list, UndoControl* control) : list_(list) {
    // Added before the depth goes up, so that a group at the outer level
    // starts with an unchained record where a single Undo stops.
    AddUndo(
        list_, control, kChangeFocusDescription, "", [](void*, TUndo&) { return true; }, nullptr);
    marker_ = list_.Last();
    countAfterMarker_ = list_.Count();
    ++UndoGroupDepth;
}

UndoGroup::~UndoGroup() {
    --UndoGroupDepth;
    // Only the marker itself is taken off: if the operation undid its own
    // records (and the marker with them), nothing else may be removed.
    if (!Recorded() && !list_.Empty() && list_.Last() == marker_)
        list_.RemoveLast();
}

bool UndoGroup::Recorded() const {
    return list_.Count() > countAfterMarker_;
}

}  // namespace zanver
