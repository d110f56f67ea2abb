#pragma once

#include <QComboBox>
#include <QStringList>

#include <string>
#include <string_view>

#include "EntryControl.h"
#include "History.h"

namespace zanver {

// An editable combo box of the association panel: every text change made
// while it is entered becomes an undo record "change " + UndoName + " from " +
// the previous text; leaving it runs OnExit. It keeps a history of accepted
// values, read by LoadHistory and written back when the box is destroyed,
// below the settings key in "History\" + the box's object name.
class TZVComboBox : public QComboBox, public TZVEntryControl {
    Q_OBJECT

  public:
    explicit TZVComboBox(QWidget* parent = nullptr);
    ~TZVComboBox() override;

    // While true, text changes are ignored: no record and no OnChange.
    bool SuppressChange = false;
    // The items are kept in the registry's order of names (letter case
    // ignored): single items are inserted at their place, lists are sorted
    // before they are set, and items are found by halving the list.
    bool Sorted = false;
    TZVHistory History;

    // Reads the history; call once the object name is set. Only a history
    // that was loaded is saved at destruction.
    void LoadHistory();
    // "Software\KQ\Zanver\History\" + the object name.
    std::string HistoryKeyName() const;

    // Selects the item equal to Text (letter case ignored) or, with AddMissing
    // and a non-empty Text, appends Text and selects it; the box's text
    // becomes Text in any case. A change is recorded while Tracking is on and
    // runs OnChange once.
    void SelectOrAddItem(std::string_view text, bool addMissing);
    // SelectOrAddItem without recording (OnChange still runs).
    void SetTextSilently(std::string_view text, bool addMissing);
    // Whether an item equals Text (letter case ignored).
    bool HasItem(std::string_view text) const { return FindItem(text) >= 0; }
    // Adds Text as an item (at its place when Sorted, else at the end) and
    // returns its index; the box's text and selected item stay, nothing is
    // recorded and OnChange does not run.
    int AddItem(std::string_view text);
    // Replaces all items by Items (sorted first, stably, when Sorted), keeping
    // the box's text; nothing is recorded and OnChange does not run.
    void SetItems(QStringList items);

    // Removes the first item equal to Text (letter case ignored); the box's
    // text stays.
    void RemoveItem(std::string_view text);
    // RemoveItem, then empties the box's text when it equals Text exactly.
    void RemoveItemAndClear(std::string_view text);

    // Run by the window's idle processing while the box has the focus: the
    // edit commands, and for the extension and file type boxes the status
    // text about the item highlighted in the open drop-down list.
    void ShowComboStatus();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QLineEdit* Editor() const override { return lineEdit(); }
    void ChangeSteps() override;

  private:
    int FindItem(std::string_view text) const;
    void SaveHistory();

    bool historyLoaded_ = false;
};

}  // namespace zanver
