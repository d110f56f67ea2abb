#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zanver {

// A control that can take the keyboard focus back when its change is undone.
// The window layer implements it; the core only calls SetFocus.
class UndoControl {
  public:
    virtual void SetFocus() = 0;

  protected:
    ~UndoControl() = default;
};

struct TUndo;

// Takes a change back; true when it was taken back. Target is the object the
// procedure works on (the view or control that recorded the change).
using UndoProcedure = std::function<bool(void* target, TUndo& record)>;

// One undo record.
struct TUndo {
    UndoControl* Control = nullptr;  // focused before the record is undone; may be null
    UndoProcedure UndoProc;
    void* Target = nullptr;
    std::string Value;     // what UndoProc needs, in the recorder's own format
    bool Chained = false;  // undoing this record goes on to the one before it
};

// The undo list: description texts paired with the records they name, oldest
// first. It grows only at the end and shrinks only from the end (undo, or a
// recorder withdrawing its own last record).
class TZVUndoList {
  public:
    int Count() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }

    void Add(std::string description, std::shared_ptr<TUndo> record);

    // Index 0 is the oldest entry.
    const std::string& Descriptions(int index) const;
    TUndo& Objects(int index) const;

    // Both require a non-empty list.
    const std::string& LastDescription() const;
    std::shared_ptr<TUndo> Last() const;

    // Drops the newest entry without undoing it (nothing when the list is empty).
    void RemoveLast();
    // Drops the entry that holds this record, looking from the newest; false
    // when the record is no longer on the list.
    bool Remove(const TUndo& record);

  private:
    struct Entry {
        std::string description;
        // Shared so that a record stays alive while its own procedure runs,
        // even if that procedure withdraws entries from the list.
        std::shared_ptr<TUndo> record;
    };
    std::vector<Entry> entries_;
};

}  // namespace zanver
