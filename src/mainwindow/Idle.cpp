// Idle processing: what the window brings up to date whenever the event
// queue has drained, and the window services the fields and trees call.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include "Clipboard.h"
#include "EntryControl.h"
#include "MainWindow.h"
#include "Progress.h"
#include "QtGuard.h"
#include "QtText.h"
#include "Undo.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

namespace zanver {

namespace {
// Starts the idle timer when an event other than the timers' own arrives.
class IdleWatcher : public QObject {
  public:
    IdleWatcher(QTimer* idleTimer, QTimer* frameTimer, QObject* parent)
        : QObject(parent), idleTimer_(idleTimer), frameTimer_(frameTimer) {}

  protected:
    bool eventFilter(QObject* watched, QEvent*) override {
        if (watched != idleTimer_ && watched != frameTimer_ && !idleTimer_->isActive())
            idleTimer_->start();
        return false;
    }

  private:
    QTimer* idleTimer_;
    QTimer* frameTimer_;
};
}  // namespace

void TZVFormMain::InstallIdleHandler() {
    if (idleWatcher_ != nullptr)
        return;
    idleTimer_ = new QTimer(this);
    idleTimer_->setSingleShot(true);
    idleTimer_->setInterval(0);
    connect(idleTimer_, &QTimer::timeout, this, [this] { Guarded([this] { IdleUpdate(); }); });
    idleWatcher_ = new IdleWatcher(idleTimer_, Timer, this);
    qApp->installEventFilter(idleWatcher_);
    idleTimer_->start();
}

void TZVFormMain::RemoveIdleHandler() {
    if (idleWatcher_ == nullptr)
        return;
    qApp->removeEventFilter(idleWatcher_);
    delete idleWatcher_;
    idleWatcher_ = nullptr;
    delete idleTimer_;
    idleTimer_ = nullptr;
}

TZVRegTreeView* TZVFormMain::ActiveTree() const {
    QWidget* focus = QApplication::focusWidget();
    for (QWidget* w = focus; w != nullptr; w = w->parentWidget()) {
        if (w == RegTreeViewExt || w == RegTreeViewFileType)
            return static_cast<TZVRegTreeView*>(w);
    }
    return nullptr;
}

void TZVFormMain::IdleUpdate() {
    // A progress dialog runs its own event loop in the middle of an
    // operation: nothing may change under it.
    if (TProgress::Running() || destroyed_)
        return;
    // The undo button and its hint.
    SpeedButtonUndo->setEnabled(!UndoList.Empty());
    const QString hint = ToQString(UndoHint(UndoList));
    if (SpeedButtonUndo->toolTip() != hint)
        SpeedButtonUndo->setToolTip(hint);

    // The trees: a pending in-place edit first, then the node to read one
    // level deeper and the group box caption.
    for (TZVRegTreeView* tree : {RegTreeViewExt, RegTreeViewFileType}) {
        if (tree->StartPendingEdit())
            continue;
        tree->LoadPending();
        tree->UpdateCaption();
    }

    // The focus goes back to a field whose exit failed: first to the
    // hidden edit, from there (at the next pass) to the field.
    QWidget* active = QApplication::focusWidget();
    if (active == FixFocusControl) {
        QWidget* target = LastFocus;
        if (target == nullptr || !target->isEnabled())
            target = ComboExt;
        if (target->isVisible() && target->isEnabled())
            target->setFocus(Qt::OtherFocusReason);
        LastFocus = nullptr;
    } else if (LastFocus != nullptr) {
        FixFocusControl->setFocus(Qt::OtherFocusReason);
    }

    // The edit commands that work at this stage.
    if (TZVRegTreeView* tree = ActiveTree()) {
        SpeedButtonPaste->setEnabled(tree->IsEditing()
                                         ? ClipboardHasText()
                                         : tree->CanPaste() &&
                                               (tree->Selected() != nullptr || tree->IsEmpty()));
    } else {
        SpeedButtonPaste->setEnabled(false);
    }
}

void TZVFormMain::ClearLastFocus() {
    LastFocus = nullptr;
}

void TZVFormMain::SetLastFocusToActive() {
    LastFocus = QApplication::focusWidget();
    if (TZVEntryControl* field = EntryControlOf(LastFocus))
        LastFocus = dynamic_cast<QWidget*>(field);
    // Only a control of this window can be given the focus back.
    if (LastFocus == this || (LastFocus != nullptr && LastFocus->window() != this))
        LastFocus = nullptr;
}

// Cut, copy and delete of the fields come with the commands of the tool
// bar; until then only paste into a tree works.
void TZVFormMain::UpdateEditCommands(bool, bool) {}

void TZVFormMain::EditApplicationRefresh() {
    RefreshField(PanelField::Application);
}

UndoControl* TZVFormMain::ActiveControl() {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || focus->window() != this)
        return nullptr;
    for (QWidget* w = focus; w != nullptr && w != this; w = w->parentWidget()) {
        if (auto* control = dynamic_cast<UndoControl*>(w))
            return control;
    }
    return nullptr;
}

}  // namespace zanver
