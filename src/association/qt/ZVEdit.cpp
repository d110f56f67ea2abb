#include "ZVEdit.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include "QtGuard.h"
#include "QtText.h"

namespace zanver {

namespace {

// The application override box explains itself instead of showing its tool tip.
constexpr char kEditApplicationName[] = "EditApplication";
constexpr char kEditApplicationHint[] =
    "An application overrides the file type settings. You can delete it to revert to the file "
    "type settings or use the browse button to change it.";

}  // namespace

TZVEdit::TZVEdit(QWidget* parent) : QLineEdit(parent), TZVEntryControl(this) {
    connect(this, &QLineEdit::textChanged, this, [this] { EditorTextChanged(); });
}

void TZVEdit::SetTextSilently(std::string_view text) {
    {
        QScopedValueRollback<bool> notTracking(Tracking, false);
        setText(ToQString(text));
    }
    // A field the user is not in shows the start of a long text.
    if (!hasFocus())
        setCursorPosition(0);
    setModified(false);
}

std::string TZVEdit::HintText() const {
    if (objectName() == QLatin1String(kEditApplicationName))
        return kEditApplicationHint;
    return TZVEntryControl::HintText();
}

void TZVEdit::ChangeSteps() {
    RecordChange("edit " + UndoName);
    if (OnChange)
        OnChange();
}

void TZVEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    Guarded([this] { FocusGained(); });
}

void TZVEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    Guarded([this, event] { FocusLost(event); });
}

// A right click takes the focus first, so that the pop-up menu that follows
// works on this box.
void TZVEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    QLineEdit::mousePressEvent(event);
}

}  // namespace zanver
