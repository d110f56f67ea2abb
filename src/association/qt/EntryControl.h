#pragma once

#include <QMetaObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>

#include "Undo.h"

class QFocusEvent;
class QLineEdit;
class QWidget;

namespace zanver {

// What the undo-aware edit box and combo box share: text changes recorded as
// undo records while the control has the focus, the restore procedure of
// those records, and the enter and exit protocol of a field.
//
// A field is entered when it gets the focus and left when the focus moves to
// another control of the same window. A popup menu, the menu bar, a message
// box or another window taking the focus for a while is no exit: the field
// stays entered and its handlers do not run. When the exit handler fails, the
// focus goes back to the field, which stays entered.
class TZVEntryControl : public UndoControl {
  public:
    // The word for this field in undo descriptions.
    std::string UndoName;
    // Text changes are being recorded; on while the control is entered.
    bool Tracking = false;
    // The text at the last recorded state; empty while not entered.
    std::string EnterText;

    // The window's handlers. OnExit confirms and writes the value; EZAbort
    // from it is silent, another error is shown; both keep the focus here.
    std::function<void()> OnEnter;
    std::function<void()> OnExit;
    std::function<void()> OnChange;

    // Gives this control the focus (also when an undo record is undone).
    void SetFocus() override;
    // Enables the window's edit commands for this control: cut and copy when
    // text is selected, delete when there is a character after the caret.
    void UpdateEditCommands();
    // The text shown on the status line while the control is entered: its
    // tool tip.
    virtual std::string HintText() const;
    std::string Text() const;
    // True from entering until a successful exit.
    bool Entered() const { return entered_; }
    // Runs the exit of an entered field now, as leaving it would: for a
    // window that closes while it is not active, where no focus moves.
    void LeaveNow();

  protected:
    explicit TZVEntryControl(QWidget* widget);
    ~TZVEntryControl();
    TZVEntryControl(const TZVEntryControl&) = delete;
    TZVEntryControl& operator=(const TZVEntryControl&) = delete;

    virtual QLineEdit* Editor() const = 0;
    // The control's reaction to a text change (recording and change event).
    virtual void ChangeSteps() = 0;

    // Called by the widget's focus overrides after the toolkit's handling.
    void FocusGained();
    void FocusLost(QFocusEvent* event);
    // Connected to the editor's textChanged.
    void EditorTextChanged();

    // Adds an undo record with the description that puts EnterText back,
    // then EnterText becomes the current text; nothing unless Tracking.
    void RecordChange(std::string description);
    // Sets the editor's text without running the change steps.
    void SetEditorText(const QString& text);

  private:
    // The restore procedure of this control's records.
    static bool RestoreRecord(void* target, TUndo& record);
    bool RestoreText(const std::string& value);

    void RunExit();
    void Leave();
    void TakeFocusBack(std::optional<std::string> error);
    void WatchWhileAway();
    void StopWatching();

    QWidget* widget_;
    bool entered_ = false;
    int internalChange_ = 0;
    QMetaObject::Connection awayWatch_;
};

// The undo-aware field that holds widget (a combo's line edit belongs to its
// combo), or nullptr.
TZVEntryControl* EntryControlOf(QWidget* widget);

}  // namespace zanver
