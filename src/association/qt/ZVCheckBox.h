#pragma once

#include <QCheckBox>

#include <functional>

#include "Undo.h"

namespace zanver {

// A check box of the association panel. OnClick, the window's handler, runs
// whenever the check state changes, by the user or by setChecked;
// SetCheckedSilently changes it without running OnClick.
class TZVCheckBox : public QCheckBox, public UndoControl {
    Q_OBJECT

  public:
    explicit TZVCheckBox(QWidget* parent = nullptr);
    ~TZVCheckBox() override;

    std::function<void()> OnClick;

    void SetCheckedSilently(bool checked);
    void SetFocus() override;

  protected:
    // Entering clears the window's LastFocus and shows the tool tip as hint.
    void focusInEvent(QFocusEvent* event) override;

  private:
    bool silent_ = false;
};

}  // namespace zanver
