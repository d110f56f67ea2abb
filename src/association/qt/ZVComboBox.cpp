#include "ZVComboBox.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include <algorithm>
#include <utility>
#include <vector>

#include "ComboStatus.h"
#include "Errors.h"
#include "GlobalRegistry.h"
#include "NameRules.h"
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

// The order of a sorted box is the registry's order of key names: letter
// case ignored, as FoldName gives it.
static QString SortKey(const QString& text) {
    return ToQString(FoldName(FromQString(text)));
}

// The first index of a sorted box whose item does not sort before Key.
static int LowerBound(const QComboBox& box, const QString& key) {
    int low = 0;
    int high = box.count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (SortKey(box.itemText(middle)) < key)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

int TZVComboBox::FindItem(std::string_view text) const {
    const QString wanted = ToQString(text);
    if (Sorted) {
        // The long lists (extensions, file types) are searched by halving.
        const QString key = SortKey(wanted);
        const int index = LowerBound(*this, key);
        return index < count() && SortKey(itemText(index)) == key ? index : -1;
    }
    // Fixed-string matching ignores letter case unless told otherwise.
    return findText(wanted, Qt::MatchFixedString);
}

int TZVComboBox::AddItem(std::string_view text) {
    const QString item = ToQString(text);
    QScopedValueRollback<bool> quiet(SuppressChange, true);
    const QString shown = lineEdit()->text();
    const bool noneSelected = currentIndex() < 0;
    int index = count();
    if (Sorted) {
        // After the items that equal it, so that equal items keep their order.
        const QString key = SortKey(item);
        index = LowerBound(*this, key);
        while (index < count() && !(key < SortKey(itemText(index))))
            ++index;
    }
    insertItem(index, item);
    // The model may have moved the new item to its place.
    if (index >= count() || itemText(index) != item)
        index = findText(item, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    // The toolkit selects the first item put into an empty box.
    if (noneSelected)
        setCurrentIndex(-1);
    SetEditorText(shown);
    return index;
}

void TZVComboBox::SetItems(QStringList items) {
    if (Sorted) {
        std::vector<std::pair<QString, QString>> keyed;
        keyed.reserve(static_cast<std::size_t>(items.size()));
        for (QString& item : items)
            keyed.emplace_back(SortKey(item), std::move(item));
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        items.clear();
        for (auto& entry : keyed)
            items.append(std::move(entry.second));
    }
    QScopedValueRollback<bool> quiet(SuppressChange, true);
    const QString shown = lineEdit()->text();
    clear();
    addItems(items);
    setCurrentIndex(-1);
    SetEditorText(shown);
}

void TZVComboBox::SelectOrAddItem(std::string_view text, bool addMissing) {
    const QString wanted = ToQString(text);
    const QString before = lineEdit()->text();
    {
        // Selecting an item puts the item's text into the box first; only the
        // final text counts as a change.
        QScopedValueRollback<bool> quiet(SuppressChange, true);
        int index = FindItem(text);
        if (index < 0 && addMissing && !wanted.isEmpty())
            index = AddItem(text);
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
