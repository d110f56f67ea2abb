#include "EntryControl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <utility>

#include "ErrorBoxes.h"
#include "Errors.h"
#include "QtGuard.h"
#include "QtText.h"
#include "Status.h"
#include "TextRestore.h"
#include "WindowHost.h"

namespace zanver {

namespace {

// Greater than 0 while a control takes the focus back after a failed exit: the
// control that loses the focus then was only passing through and is left
// without running its exit handler.
int focusReturnDepth = 0;

bool IsTemporaryReason(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
           reason == Qt::MenuBarFocusReason;
}

}  // namespace

TZVEntryControl::TZVEntryControl(QWidget* widget) : widget_(widget) {}

TZVEntryControl::~TZVEntryControl() {
    StopWatching();
    // Records made by this control must not reach it once it is gone.
    DetachUndoRecords(this, this);
}

void TZVEntryControl::SetFocus() {
    widget_->setFocus(Qt::OtherFocusReason);
}

void TZVEntryControl::UpdateEditCommands() {
    const QLineEdit* editor = Editor();
    HostUpdateEditCommands(editor->selectedText().size() >= 1,
                           editor->text().size() > editor->cursorPosition());
}

std::string TZVEntryControl::HintText() const {
    return FromQString(widget_->toolTip());
}

std::string TZVEntryControl::Text() const {
    return FromQString(Editor()->text());
}

void TZVEntryControl::FocusGained() {
    HostClearLastFocus();
    StopWatching();
    if (!entered_) {
        entered_ = true;
        if (OnEnter)
            Guarded(OnEnter);
        EnterText = Text();
        Tracking = true;
    }
    // Back from a popup, another window or a failed exit: still the same
    // edit, so EnterText and Tracking stay as they were.
    ShowHint(HintText());
}

void TZVEntryControl::FocusLost(QFocusEvent* event) {
    if (!entered_)
        return;
    if (focusReturnDepth > 0) {
        Leave();
        return;
    }
    if (IsTemporaryReason(event->reason())) {
        WatchWhileAway();
        return;
    }
    RunExit();
}

void TZVEntryControl::LeaveNow() {
    if (entered_)
        RunExit();
}

void TZVEntryControl::RunExit() {
    StopWatching();
    HostSetLastFocusToActive();
    std::optional<std::string> error;
    try {
        if (OnExit)
            OnExit();
        Leave();
        return;
    } catch (const EZAbort&) {
        // Declined: go on editing without a message.
    } catch (const std::exception& failure) {
        error = failure.what();
    } catch (...) {
        error = "Unknown error";
    }
    HostClearLastFocus();
    TakeFocusBack(std::move(error));
}

void TZVEntryControl::Leave() {
    StopWatching();
    entered_ = false;
    Tracking = false;
    EnterText.clear();
}

// The focus is taken back once the focus change that is under way has
// finished: doing it from inside the focus-out event would re-enter the
// toolkit's focus handling. The error is shown after that, as the top level
// would show it.
void TZVEntryControl::TakeFocusBack(std::optional<std::string> error) {
    QTimer::singleShot(0, widget_, [this, error = std::move(error)] {
        {
            QScopedValueRollback<int> returning(focusReturnDepth, focusReturnDepth + 1);
            widget_->setFocus(Qt::OtherFocusReason);
        }
        if (error)
            ShowTopLevelError(*error);
    });
}

// While a popup or another window has the focus, the field is still entered.
// Should the focus then come back to another control of this window, the
// field has been left after all.
void TZVEntryControl::WatchWhileAway() {
    if (awayWatch_)
        return;
    awayWatch_ = QObject::connect(qApp, &QApplication::focusChanged, widget_,
                                  [this](QWidget*, QWidget* now) {
                                      if (!now || now->window() != widget_->window())
                                          return;
                                      if (now == widget_ || widget_->isAncestorOf(now)) {
                                          StopWatching();
                                          return;
                                      }
                                      if (entered_ && focusReturnDepth == 0)
                                          Guarded([this] { RunExit(); });
                                      else
                                          StopWatching();
                                  });
}

void TZVEntryControl::StopWatching() {
    if (awayWatch_)
        QObject::disconnect(awayWatch_);
    awayWatch_ = {};
}

void TZVEntryControl::EditorTextChanged() {
    if (internalChange_ > 0)
        return;
    Guarded([this] { ChangeSteps(); });
}

void TZVEntryControl::RecordChange(std::string description) {
    if (!Tracking)
        return;
    AddUndo(UndoList, this, std::move(description), EnterText, &TZVEntryControl::RestoreRecord,
            static_cast<void*>(this));
    EnterText = Text();
}

void TZVEntryControl::SetEditorText(const QString& text) {
    QScopedValueRollback<int> internal(internalChange_, internalChange_ + 1);
    Editor()->setText(text);
    // A field the user is not in shows the start of a long text.
    if (!Editor()->hasFocus())
        Editor()->setCursorPosition(0);
}

bool TZVEntryControl::RestoreRecord(void* target, TUndo& record) {
    return static_cast<TZVEntryControl*>(target)->RestoreText(record.Value);
}

// Puts a recorded text back and highlights the part that came back. The
// change event runs as for any change, but nothing is recorded.
bool TZVEntryControl::RestoreText(const std::string& value) {
    QScopedValueRollback<bool> notTracking(Tracking, false);
    QLineEdit* editor = Editor();
    const QString restored = ToQString(value);
    const TRestoreRange range = RestoredRange(editor->text(), restored);
    SetEditorText(restored);
    EnterText = value;
    SelectRestored(editor, range);
    ChangeSteps();
    return true;
}

TZVEntryControl* EntryControlOf(QWidget* widget) {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget())
        if (auto* field = dynamic_cast<TZVEntryControl*>(w))
            return field;
    return nullptr;
}

}  // namespace zanver
