#include "ZVComboBox.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include <vector>

#include "ComboStatus.h"
#include "Errors.h"
#include "GlobalRegistry.h"
#include "QtGuard.h"
#include "QtText.h"
#include "RootKeys.h"
#include "ValueNames.h"
#include "Vocabulary.h"
#include "WindowHost.h"

namespace zanver {

TZVComboBox::TZVComboBox(QWidget* parent) : QComboBox(parent), TZVEntryControl(this) {
    setEditable(true);
    // The text is what the user typed: no completion that changes it, and
    // Return does not add items.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { EditorTextChanged(); });
    lineEdit()->installEventFilter(this);
}

TZVComboBox::~TZVComboBox() {
    // A destructor cannot pass the error on: it is shown instead.
    Guarded([this] { SaveHistory(); });
}

std::string TZVComboBox::HistoryKeyName() const {
    return std::string(kSettingsKey) + "\\History\\" + FromQString(objectName());
}

void TZVComboBox::LoadHistory() {
    if (objectName().isEmpty())
        return;
    std::vector<std::string> entries;
    if (ReadSettingsValueNames(HistoryKeyName(), entries))
        History.Assign(std::move(entries));
    historyLoaded_ = true;
}

// A box without a name, or whose history was never read, would overwrite the
// stored history with what it holds: it saves nothing.
void TZVComboBox::SaveHistory() {
    if (!historyLoaded_ || objectName().isEmpty())
        return;
    SaveValueNames(GlobalRegistry, HKEY_CURRENT_USER, HistoryKeyName(), HistoryMax,
                   History.Entries());
}

int TZVComboBox::FindItem(std::string_view text) const {
    // Fixed-string matching ignores letter case unless told otherwise.
    return findText(ToQString(text), Qt::MatchFixedString);
}

void TZVComboBox::SelectOrAddItem(std::string_view text, bool addMissing) {
    const QString wanted = ToQString(text);
    const QString before = lineEdit()->text();
    {
        // Selecting an item puts the item's text into the box first; only the
        // final text counts as a change.
        QScopedValueRollback<bool> quiet(SuppressChange, true);
        int index = FindItem(text);
        if (index < 0 && addMissing && !wanted.isEmpty()) {
            addItem(wanted);
            index = count() - 1;
        }
        setCurrentIndex(index);
        SetEditorText(wanted);
    }
    if (lineEdit()->text() != before)
        ChangeSteps();
}

void TZVComboBox::SetTextSilently(std::string_view text, bool addMissing) {
    QScopedValueRollback<bool> notTracking(Tracking, false);
    SelectOrAddItem(text, addMissing);
}

void TZVComboBox::RemoveItem(std::string_view text) {
    const int index = FindItem(text);
    if (index < 0)
        return;
    // The toolkit would put the next item's text into the box.
    QScopedValueRollback<bool> quiet(SuppressChange, true);
    const QString shown = lineEdit()->text();
    const bool wasCurrent = index == currentIndex();
    removeItem(index);
    if (wasCurrent)
        setCurrentIndex(-1);
    SetEditorText(shown);
}

void TZVComboBox::RemoveItemAndClear(std::string_view text) {
    RemoveItem(text);
    if (lineEdit()->text() == ToQString(text))
        lineEdit()->clear();
}

void TZVComboBox::ChangeSteps() {
    if (SuppressChange)
        return;
    RecordChange("change " + UndoName + " from " + EnterText);
    try {
        if (OnChange)
            OnChange();
    } catch (const EZAbort&) {
        // The window's change handler abandoned quietly.
    }
}

void TZVComboBox::ShowComboStatus() {
    UpdateEditCommands();
    const QAbstractItemView* list = view();
    if (list && list->isVisible() && list->currentIndex().isValid()) {
        const std::string item = FromQString(list->currentIndex().data().toString());
        if (const auto status = ComboStatusFor(FromQString(objectName()), item)) {
            StatusColors[kComboStatusLevel] = status->Color;
            if (StatusHandler)
                StatusHandler(status->Text, kComboStatusLevel);
        }
        return;
    }
    HostClearStatus(StatusLevel(kComboStatusLevel));
}

void TZVComboBox::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    Guarded([this] { FocusGained(); });
}

void TZVComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    Guarded([this, event] { FocusLost(event); });
}

// A right click into the text takes the focus first, so that the pop-up menu
// that follows works on this box.
bool TZVComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    return QComboBox::eventFilter(watched, event);
}

}  // namespace zanver
