#include "Undo.h"

#include <memory>
#include <utility>

#include "KeyPaths.h"

namespace zanver {

TZVUndoList UndoList;
int UndoGroupDepth = 0;

namespace {

ActiveControlSource* activeControlSource = nullptr;

}  // namespace

void SetActiveControlSource(ActiveControlSource* source) {
    activeControlSource = source;
}

ActiveControlSource* GetActiveControlSource() {
    return activeControlSource;
}

void AddUndo(TZVUndoList& list, UndoControl* control, std::string description, std::string value,
             UndoProcedure undoProc, void* target) {
    auto record = std::make_shared<TUndo>();
    record->Control = control;
    record->UndoProc = std::move(undoProc);
    record->Target = target;
    record->Value = std::move(value);
    record->Chained = UndoGroupDepth > 0;
    list.Add(std::move(description), std::move(record));
}

void AddUndoForActiveControl(std::string description, std::string value, UndoProcedure undoProc,
                             void* target) {
    UndoControl* control = activeControlSource ? activeControlSource->ActiveControl() : nullptr;
    AddUndo(UndoList, control, std::move(description), std::move(value), std::move(undoProc),
            target);
}

void DetachUndoRecords(const UndoControl* control, const void* target) {
    for (int i = 0; i < UndoList.Count(); ++i) {
        TUndo& record = UndoList.Objects(i);
        if (record.Control == control)
            record.Control = nullptr;
        if (record.Target == target) {
            record.Target = nullptr;
            record.UndoProc = nullptr;
        }
    }
}

void PerformUndo(TZVUndoList& list) {
    while (!list.Empty()) {
        // Held here so that the record outlives its procedure even if the
        // procedure itself takes entries off the list.
        std::shared_ptr<TUndo> record = list.Last();
        if (record->Control)
            record->Control->SetFocus();
        const bool chained = record->Chained;
        if (record->UndoProc && !record->UndoProc(record->Target, *record))
            return;
        // The procedure may have recorded or withdrawn entries of its own:
        // take off exactly the record that was undone.
        list.Remove(*record);
        if (!chained)
            return;
    }
}

std::string KeyValueUndoText(RootKey root, std::string_view key, std::string_view value) {
    std::string text = FullKeyName(root, key);
    text += '=';
    text += value;
    return text;
}

std::string JoinUndoFields(std::initializer_list<std::string_view> fields) {
    std::string text;
    bool first = true;
    for (const std::string_view field : fields) {
        if (!first)
            text += '\0';
        first = false;
        text += field;
    }
    return text;
}

std::vector<std::string> SplitUndoFields(std::string_view text) {
    std::vector<std::string> fields;
    for (;;) {
        const std::size_t zero = text.find('\0');
        fields.emplace_back(text.substr(0, zero));
        if (zero == std::string_view::npos)
            return fields;
        text.remove_prefix(zero + 1);
    }
}

std::string ValueUndoText(RootKey root, std::string_view key, std::string_view name,
                          std::string_view valueText) {
    return JoinUndoFields({FullKeyName(root, key), name, valueText});
}

std::string CreatedValueUndoText(std::string_view key, std::string_view name) {
    return JoinUndoFields({key, name});
}

std::string UndoHint(const TZVUndoList& list) {
    if (list.Empty())
        return "Nothing to undo";
    return "Undo " + list.LastDescription();
}

}  // namespace zanver
