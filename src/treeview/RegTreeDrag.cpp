// Drag and drop of keys and values between registry tree views: a drop
// without Shift copies, with Shift held at the release it moves.
#include <QApplication>
#include <QByteArray>
#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QList>
#include <QMimeData>
#include <QPointer>

#include "QtGuard.h"
#include "RegTreeView.h"
#include "TreeImages.h"

namespace zanver {

namespace {

// The mime type of our drags: it names the process and the view the drag
// came from, since QDropEvent::source() is known only to a drag run by Qt.
constexpr char kDragSourceFormat[] = "application/x-zanver-regtreeview";

QByteArray DragSourceData(const TRegTreeView* view) {
    return QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
           QByteArray::number(reinterpret_cast<quintptr>(view));
}

// The registry tree view a drag came from, or nullptr. An address from the
// mime data is used only when it is that of a live view of this process.
TRegTreeView* DragSourceView(const QDropEvent* event) {
    if (auto* view = qobject_cast<TRegTreeView*>(event->source()))
        return view;
    const QMimeData* mime = event->mimeData();
    if (!mime || !mime->hasFormat(kDragSourceFormat))
        return nullptr;
    const QList<QByteArray> parts = mime->data(kDragSourceFormat).split(' ');
    bool pidOk = false;
    bool addressOk = false;
    if (parts.size() != 2 || parts[0].toLongLong(&pidOk) != QCoreApplication::applicationPid() ||
        !pidOk)
        return nullptr;
    const quintptr address = parts[1].toULongLong(&addressOk);
    if (!addressOk)
        return nullptr;
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets)
        if (reinterpret_cast<quintptr>(widget) == address)
            return qobject_cast<TRegTreeView*>(widget);
    return nullptr;
}

bool IsShiftHeld(const TRegTreeView* view) {
    if (view->ShiftHeld)
        return view->ShiftHeld();
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

// The keys that matter while a drag runs.
enum class DragKey { Other, Shift, Escape };

DragKey KeyDuringDrag(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return DragKey::Other;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    if (key == Qt::Key_Shift)
        return DragKey::Shift;
    if (key == Qt::Key_Escape && event->type() == QEvent::KeyPress)
        return DragKey::Escape;
    return DragKey::Other;
}

}  // namespace

void TRegTreeView::startDrag(Qt::DropActions /*supportedActions*/) {
    // The drag only carries the view's identity; the drop does the work, so
    // the item view's own moving of rows never runs.
    Guarded([this] {
        TRegTreeNode* node = AsNode(currentItem());
        if (!node)
            return;
        DragNode = node;
        auto* mime = new QMimeData;
        mime->setData(kDragSourceFormat, DragSourceData(this));
        QPointer<QDrag> drag = new QDrag(this);
        drag->setMimeData(mime);
        const QIcon icon = node->icon(0);
        if (!icon.isNull())
            drag->setPixmap(icon.pixmap(16, 16));
        drag->setDragCursor(CopyCursor().pixmap(), Qt::CopyAction);
        drag_ = drag;
        dragCopies_ = true;
        // Whatever happens during the drag, it ends with this view's filter
        // gone (the view itself may be gone too).
        struct DragEnd {
            QPointer<TRegTreeView> view;
            ~DragEnd() {
                if (view) {
                    view->drag_ = nullptr;
                    qApp->removeEventFilter(view);
                }
            }
        } dragEnd{this};
        ExecDrag(drag);
    });
}

Qt::DropAction TRegTreeView::ExecDrag(QDrag* drag) {
    return drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

void TRegTreeView::dragEnterEvent(QDragEnterEvent* event) {
    // Entering is handled as moving: the answer decides whether moves follow.
    dragMoveEvent(event);
}

void TRegTreeView::dragMoveEvent(QDragMoveEvent* event) {
    event->ignore();
    Guarded([this, event] {
        TRegTreeView* source = DragSourceView(event);
        // Qt's drag machinery eats key events; a filter installed now, while
        // the drag runs, comes before its own and sees Shift and Escape.
        if (source && source->DragUnderWay())
            qApp->installEventFilter(source);
        const bool ownerAccepts = OnDragOver && OnDragOver(source);
        if (!ownerAccepts && !source)
            return;
        UpdateDragCursor();
        event->setDropAction(dragCopies_ ? Qt::CopyAction : Qt::MoveAction);
        event->accept();
        setState(DraggingState);
        if (hasAutoScroll()) {
            const int margin = autoScrollMargin();
            if (!viewport()
                     ->rect()
                     .adjusted(margin, margin, -margin, -margin)
                     .contains(event->position().toPoint()))
                startAutoScroll();
        }
    });
}

void TRegTreeView::dropEvent(QDropEvent* event) {
    event->ignore();
    stopAutoScroll();
    setState(NoState);
    Guarded([this, event] {
        TRegTreeView* source = DragSourceView(event);
        // The drag is over: a message box shown by the drop gets its keys.
        if (source)
            qApp->removeEventFilter(source);
        if (OnDragDrop) {
            OnDragDrop(source);
            event->accept();
        }
        if (!source)
            return;
        // Shift at the moment of the release decides.
        const TMoveMode copy = !IsShiftHeld(this);
        event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
        event->accept();
        MoveCopyNode(source->DragNode, AsNode(itemAt(event->position().toPoint())), copy);
    });
    viewport()->update();
}

void TRegTreeView::keyPressEvent(QKeyEvent* event) {
    if (DragUnderWay()) {
        switch (KeyDuringDrag(event)) {
            case DragKey::Shift:
                Guarded([this] { UpdateDragCursor(); });
                return;
            case DragKey::Escape:
                DragNode = nullptr;
                QDrag::cancel();
                return;
            case DragKey::Other:
                break;
        }
    }
    QTreeWidget::keyPressEvent(event);
}

bool TRegTreeView::eventFilter(QObject* watched, QEvent* event) {
    if (DragUnderWay()) {
        switch (KeyDuringDrag(event)) {
            case DragKey::Shift:
                Guarded([this] { UpdateDragCursor(); });
                break;
            case DragKey::Escape:
                // The drag machinery cancels the drag on Escape itself; without
                // a drag node a drop that still arrives changes nothing.
                DragNode = nullptr;
                break;
            case DragKey::Other:
                break;
        }
    }
    return QTreeWidget::eventFilter(watched, event);
}

void TRegTreeView::UpdateDragCursor() {
    const bool copy = !IsShiftHeld(this);
    if (copy == dragCopies_)
        return;
    dragCopies_ = copy;
    // The drag machinery asks the target for the drop action, and so changes
    // the cursor, only when the mouse moves: nudge it down and back up.
    const QPoint pos = QCursor::pos();
    QCursor::setPos(pos + QPoint(0, 1));
    QCursor::setPos(pos);
}

}  // namespace zanver
