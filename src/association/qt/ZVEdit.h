#pragma once

#include <QLineEdit>

#include <string>
#include <string_view>

#include "EntryControl.h"

namespace zanver {

// A single-line edit box of the association panel: every text change made
// while it is entered becomes an undo record "edit " + UndoName that puts the
// previous text back; leaving it runs OnExit.
class TZVEdit : public QLineEdit, public TZVEntryControl {
    Q_OBJECT

  public:
    explicit TZVEdit(QWidget* parent = nullptr);

    // Sets the text without recording it (OnChange still runs) and clears the
    // modified flag.
    void SetTextSilently(std::string_view text);

    std::string HintText() const override;

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

    QLineEdit* Editor() const override { return const_cast<TZVEdit*>(this); }
    void ChangeSteps() override;
};

}  // namespace zanver
