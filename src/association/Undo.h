#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "RootKeys.h"
#include "UndoList.h"

namespace zanver {

// The program's one undo list.
extern TZVUndoList UndoList;

// Greater than 0 while a group of records is being made: records added then
// are chained to the record before them.
extern int UndoGroupDepth;

// Tells the core which control has the focus now; the main window installs it.
class ActiveControlSource {
  public:
    virtual UndoControl* ActiveControl() = 0;

  protected:
    ~ActiveControlSource() = default;
};

// Null removes the source; records are then made without a control.
void SetActiveControlSource(ActiveControlSource* source);
ActiveControlSource* GetActiveControlSource();

void AddUndo(TZVUndoList& list, UndoControl* control, std::string description, std::string value,
             UndoProcedure undoProc, void* target);

// AddUndo on UndoList with the control that has the focus now.
void AddUndoForActiveControl(std::string description, std::string value, UndoProcedure undoProc,
                             void* target);

// For a control or target that goes away: the records that would refocus
// control or run their procedure on target are detached from it; such a
// record is then taken off as undone, without a procedure.
void DetachUndoRecords(const UndoControl* control, const void* target);

// Undoes the newest record and, while the records undone are chained, the ones
// before it. A procedure that returns false stops the undo and keeps its
// record; an exception from a procedure passes on and keeps that record too.
void PerformUndo(TZVUndoList& list);

// Full key name of Key + "=" + Value: the value of a record that puts a value
// back (Key is then the value path, ending in "\" for the default value).
std::string KeyValueUndoText(RootKey root, std::string_view key, std::string_view value);

// The fields of a record's value, apart by zero characters: no registry name
// holds one (the stores refuse it), so any name, with "=", "\", line breaks
// or blanks in it, comes back from a record as it went in.
std::string JoinUndoFields(std::initializer_list<std::string_view> fields);
std::vector<std::string> SplitUndoFields(std::string_view text);

// The value of a record that puts a value back: the full key name, the value
// name and the value text. RestoreValue reads this form and the
// KeyValueUndoText one.
std::string ValueUndoText(RootKey root, std::string_view key, std::string_view name,
                          std::string_view valueText);
// The value of a record that removes a value it created: the key path and the
// value name. RemoveCreated reads this form and a key path.
std::string CreatedValueUndoText(std::string_view key, std::string_view name);

// The Undo command's hint: "Undo " + the newest description, or "Nothing to undo".
std::string UndoHint(const TZVUndoList& list);

}  // namespace zanver
