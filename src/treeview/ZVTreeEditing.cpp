// In-place editing in the association tree view: every change of the editor's
// text is recorded while the edit lasts, so that Undo steps back through the
// typing; the records go when the edit ends, committed or cancelled.
#include <QLineEdit>

#include <string>
#include <vector>

#include "Exception.h"
#include "QtGuard.h"
#include "QtText.h"
#include "ZVRegTreeView.h"

namespace zanver {

namespace {

constexpr char kEditRecordDescription[] = "edit tree node";

// Sets a flag for the life of the scope and gives it its former value back.
class FlagScope {
  public:
    FlagScope(bool& flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
    ~FlagScope() { flag_ = saved_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
    bool saved_;
};

}  // namespace

TRegTreeNode* TZVRegTreeView::EditNode() const {
    if (editNode_ == nullptr || !editNodeIndex_.isValid())
        return nullptr;
    // The node may have gone since: trust only what the index still finds.
    return AsNode(itemFromIndex(editNodeIndex_)) == editNode_ ? editNode_ : nullptr;
}

bool TZVRegTreeView::StartPendingEdit() {
    TRegTreeNode* node = EditNode();
    if (node == nullptr) {
        editNode_ = nullptr;
        editNodeIndex_ = QPersistentModelIndex();
        return false;
    }
    SelectWithFocus(node);
    scrollToItem(node);
    edit(indexFromItem(node), AllEditTriggers, nullptr);
    editNode_ = nullptr;
    editNodeIndex_ = QPersistentModelIndex();
    return true;
}

bool TZVRegTreeView::MayEdit(TRegTreeNode* node) {
    if (!TRegTreeView::MayEdit(node))
        return false;
    const std::string caption = node->Text();
    if (EditNode() == nullptr && node->NodeValue().empty() &&
        caption.find('=') == std::string::npos) {
        // A key without a value: show the value part first, in the syntax of
        // the stored type, and edit that caption at the next idle moment.
        node->SetText(caption + " = " + NewValueText(static_cast<int>(node->RegType())));
        valueShownNode_ = TNodeRef(node);
        valueShownCaption_ = caption;
        editNode_ = node;
        editNodeIndex_ = QPersistentModelIndex(indexFromItem(node));
        return false;
    }
    EditText = node->Text();
    EditPath = node->NodePath();
    EditUndoCount = 0;
    editRecords_.clear();
    Editing = true;
    return true;
}

void TZVRegTreeView::EditTextChanged(const std::string& text) {
    if (!Editing || text == EditText)
        return;
    AddUndo(UndoList, this, kEditRecordDescription, JoinUndoFields({EditPath, EditText}), EditUndo,
            this);
    editRecords_.push_back(UndoList.Last());
    EditText = text;
    ++EditUndoCount;
}

void TZVRegTreeView::EndEditRecords() {
    // Newest first; a record that an undo took off already is skipped.
    while (!editRecords_.empty()) {
        if (const std::shared_ptr<TUndo> record = editRecords_.back().lock())
            UndoList.Remove(*record);
        editRecords_.pop_back();
    }
    EditUndoCount = 0;
}

void TZVRegTreeView::EditFinished(TRegTreeNode* node, std::string text) {
    EndEditRecords();
    // The text that ends the edit is no keystroke to record.
    Editing = false;
    TRegTreeView::EditFinished(node, std::move(text));
}

void TZVRegTreeView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    Guarded([&] { EndEditRecords(); });
    Editing = false;
    TRegTreeView::closeEditor(editor, hint);
    // A cancelled edit of a key without value leaves its caption as it was.
    if (TRegTreeNode* shown = valueShownNode_.Get();
        shown != nullptr && hint == QAbstractItemDelegate::RevertModelCache)
        shown->SetText(valueShownCaption_);
    valueShownNode_ = TNodeRef();
}

void TZVRegTreeView::CancelEdit() {
    if (QLineEdit* editor = EditControl())
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

bool TZVRegTreeView::EditUndoRecord(const TUndo& record) {
    std::vector<std::string> fields = SplitUndoFields(record.Value);
    fields.resize(2);
    const std::string& path = fields[0];
    const std::string& text = fields[1];

    QLineEdit* editor = EditControl();
    if (editor != nullptr && EditPath == path) {
        // The record goes off the list when this returns.
        if (EditUndoCount > 0)
            --EditUndoCount;
    } else {
        CancelEdit();
        TRegTreeNode* node = FindNode(path, true);
        if (node == nullptr)
            return true;
        SelectWithFocus(node);
        edit(indexFromItem(node), AllEditTriggers, nullptr);
        editor = EditControl();
        if (editor == nullptr)
            throw Exception("Failed to get handle of edit control");
    }
    // Positions count the editor's characters.
    const QString current = editor->text();
    const QString wanted = ToQString(text);
    qsizetype start = 0;
    while (start < current.size() && start < wanted.size() && current[start] == wanted[start])
        ++start;
    qsizetype end = wanted.size();
    qsizetype back = current.size();
    while (end > 0 && back > 0 && current[back - 1] == wanted[end - 1]) {
        --end;
        --back;
    }
    if (end < start)
        end = start;
    {
        const FlagScope quiet(Editing, false);
        editor->setText(wanted);
    }
    EditText = text;
    // Select the part that changes back (the caret at its end, in view).
    editor->setSelection(static_cast<int>(start), static_cast<int>(end - start));
    return true;
}

}  // namespace zanver
