#pragma once

// Drag and drop between registry tree views for GUI tests. The offscreen
// platform runs no real drag, so a test view hands its drag to a script that
// plays Qt's drag machinery.

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTest>

#include <functional>

#include "GuiFixture.h"
#include "RegTreeView.h"

namespace zanver {

// A registry tree view whose drags run through a test's script, since the
// offscreen platform runs no real drag (QDrag::exec returns at once there).
// Under Xvfb with QT_QPA_PLATFORM=xcb real drags run, and Shift and Escape
// behave there as the simulation below assumes.
class DragView : public TRegTreeView {
  public:
    std::function<void(QDrag*)> RunDrag;

  protected:
    Qt::DropAction ExecDrag(QDrag* drag) override {
        if (!RunDrag)
            return TRegTreeView::ExecDrag(drag);
        RunDrag(drag);
        return Qt::IgnoreAction;
    }
};

// Stands in for Qt's drag machinery: it eats key and mouse events as that
// does, sends drag-enter and drag-move events to the view under the simulated
// cursor (again after every real mouse move, such as the nudge by which a view
// makes a new cursor show), and drops on release.
class DragSimulator : public QObject {
  public:
    explicit DragSimulator(QDrag* drag) : drag_(drag) { qApp->installEventFilter(this); }
    ~DragSimulator() override { qApp->removeEventFilter(this); }

    void MoveTo(TRegTreeView* view, QPoint pos) {
        QCursor::setPos(view->viewport()->mapToGlobal(pos));
        if (view != view_) {
            view_ = view;
            pos_ = pos;
            QDragEnterEvent enter(pos_, kActions, drag_->mimeData(), Qt::LeftButton, Modifiers());
            Send(enter);
        } else {
            pos_ = pos;
            Resend();
        }
        gui::ProcessEvents();
    }
    void Key(int key, QEvent::Type type) {
        const int moves = mouseMoves_;
        QKeyEvent event(type, key, Modifiers());
        QApplication::sendEvent(view_, &event);
        // A nudge of the mouse may take a moment to come back as events.
        if (key == Qt::Key_Shift)
            (void)QTest::qWaitFor([&] { return mouseMoves_ > moves; }, 500);
        gui::ProcessEvents();
    }
    // Like the real machinery, drops only where the last move was accepted.
    void Release() {
        if (!accepted_)
            return;
        QDropEvent drop(pos_, kActions, drag_->mimeData(), Qt::LeftButton, Modifiers());
        QApplication::sendEvent(view_->viewport(), &drop);
    }

    Qt::DropAction Action() const { return accepted_ ? action_ : Qt::IgnoreAction; }
    // Drag moves caused by mouse moves during the drag.
    int MouseMoves() const { return mouseMoves_; }
    std::function<bool()> ShiftHeld;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
                return true;
            case QEvent::MouseMove:
                // Seen first by the window, whose events are eaten here.
                if (view_ && watched->isWindowType()) {
                    ++mouseMoves_;
                    Resend();
                }
                return true;
            default:
                return false;
        }
    }

  private:
    static constexpr Qt::DropActions kActions = Qt::CopyAction | Qt::MoveAction;

    Qt::KeyboardModifiers Modifiers() const {
        return ShiftHeld && ShiftHeld() ? Qt::ShiftModifier : Qt::NoModifier;
    }
    void Resend() {
        QDragMoveEvent move(pos_, kActions, drag_->mimeData(), Qt::LeftButton, Modifiers());
        Send(move);
    }
    void Send(QDragMoveEvent& event) {
        // Qt offers a drag only to widgets that accept drops.
        accepted_ = false;
        if (!view_->viewport()->acceptDrops())
            return;
        QApplication::sendEvent(view_->viewport(), &event);
        accepted_ = event.isAccepted();
        action_ = event.dropAction();
    }

    QDrag* drag_;
    TRegTreeView* view_ = nullptr;
    QPoint pos_;
    bool accepted_ = false;
    Qt::DropAction action_ = Qt::IgnoreAction;
    int mouseMoves_ = 0;
};

namespace gui {

// Starts a drag of item with the mouse, as the user does; the drag runs
// script. Returns whether the drag started.
inline bool DragWithMouse(DragView& from, QTreeWidgetItem* item,
                          const std::function<void(DragSimulator&)>& script) {
    bool ran = false;
    from.RunDrag = [&](QDrag* drag) {
        ran = true;
        DragSimulator simulator(drag);
        script(simulator);
    };
    const QPoint start = ItemCentre(&from, item);
    QTest::mousePress(from.viewport(), Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(from.viewport(), start + QPoint(30, 10));
    QTest::mouseMove(from.viewport(), start + QPoint(60, 20));
    QTest::mouseRelease(from.viewport(), Qt::LeftButton, Qt::NoModifier, start + QPoint(60, 20));
    from.RunDrag = nullptr;
    ProcessEvents();
    return ran;
}

}  // namespace gui
}  // namespace zanver
