#pragma once

#include <QPersistentModelIndex>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "RegTreeView.h"
#include "RootKeys.h"
#include "Undo.h"

namespace zanver {

// The registry tree view of the association editor. Every change it makes is
// confirmed (when the option is on) and recorded on the undo list with a
// procedure that takes it back; deleted keys are kept in a backup key below
// HKEY_LOCAL_MACHINE so that their deletion can be undone. Six events tell
// the main window which key or value changed. Levels are node depths, 0 for
// the top node.
class TZVRegTreeView : public TRegTreeView, public UndoControl {
    Q_OBJECT

  public:
    explicit TZVRegTreeView(QWidget* parent = nullptr);
    ~TZVRegTreeView() override;

    // After CreateNew added a node; the handler may exchange it (or clear it).
    std::function<void(TRegTreeNode*& node)> OnNodeCreated;
    // After an undo put a value back.
    std::function<void(TRegTreeNode* node, const std::string& newValue)> OnNodeValueChanged;
    // After a key came back under another path (names are key paths).
    std::function<void(TRegTreeNode* node, const std::string& name, const std::string& newName)>
        OnKeyNameChanged;
    // After an undo gave a value its former name.
    std::function<void(TRegTreeNode* node, const std::string& name, const std::string& newName)>
        OnValueNameChanged;
    // After a node was moved or copied here (level and name of the new node).
    std::function<void(int level, const std::string& nodeName, TRegTreeNode* nodeParent)>
        OnNodeChanged;
    // After a node was deleted (the level, name and parent it had).
    std::function<void(int level, const std::string& nodeName, TRegTreeNode* nodeParent)>
        OnNodeDeleted;
    // When the view gets the focus, and when the selection changed.
    std::function<void()> OnEnter;
    std::function<void(TRegTreeNode* node)> OnChange;

    // The in-place edit under way: the path of its node, the text at its start
    // or after the last recorded change, whether changes are recorded, and how
    // many records it has made.
    std::string EditPath;
    std::string EditText;
    bool Editing = false;
    int EditUndoCount = 0;

    // The node whose in-place edit is to be started again at the next idle
    // moment (nullptr when none, or when that node is gone).
    TRegTreeNode* EditNode() const;
    // Idle processing: starts the edit of EditNode and clears it; false when
    // there was none.
    bool StartPendingEdit();

    // Creates a key (valueType -1) or a value of that type below ParentForNew,
    // or with atTop and an empty selection a new extension key at the top.
    void CreateNew(int valueType, bool atTop);

    void DeleteNodeUndoable(TRegTreeNode* node, bool undoable);
    bool DeleteKeyConfirmed(std::string_view path);
    void DeleteKeyUndoable(std::string_view path);
    bool DeleteValueUndoable(RootKey root, std::string_view keyPath, bool updateTree,
                             std::string_view name);
    bool DeleteValueUndoable(std::string_view keyPath, std::string_view name);

    bool WriteValueUndoable(std::string_view keyPath, std::string_view name, std::string_view text);
    bool WriteStringUndoable(std::string_view keyPath, std::string_view name, bool expandable,
                             std::string_view text);
    bool SetValueUndoable(std::string_view keyPath, std::string_view name, std::string_view what,
                          std::string_view label, std::string_view text);
    bool SetStringUndoable(std::string_view keyPath, std::string_view name, std::string_view what,
                           std::string_view label, bool expandable, std::string_view text);

    // Shows the key at path (keeping the selection); the top node stays or
    // becomes expanded when it was expanded or the tree was empty.
    void ShowKey(std::string_view path);
    // The caption of the group box that holds the view: the full path of the
    // top node, empty for an empty tree.
    void UpdateCaption();
    // Class identifiers in the selected node's name, then in its value text.
    std::vector<std::string> GuidsOfSelected() const;
    void FireKeyNameChanged(TRegTreeNode* node, const std::string& name,
                            const std::string& newName);

    // Undo procedures; target is the view that recorded the change.
    static bool EditUndo(void* target, TUndo& record);
    static bool RestoreValue(void* target, TUndo& record);
    static bool RemoveCreated(void* target, TUndo& record);
    static bool RestoreKey(void* target, TUndo& record);
    static bool UndoKeyRename(void* target, TUndo& record);
    static bool UndoValueRename(void* target, TUndo& record);

    // UndoControl: puts the keyboard focus back into the view.
    void SetFocus() override;

    void DoMoveCopied(TRegTreeNode* source, TRegTreeNode* dest, TMoveMode moveMode) override;
    void EditFinished(TRegTreeNode* node, std::string text) override;
    void EditTextChanged(const std::string& text) override;

  protected:
    bool MayEdit(TRegTreeNode* node) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    // Characters of "\" + the eight hexadecimal digits of a backup key's
    // stamp, between UndoBackupBase and the deleted key's path.
    static constexpr std::size_t kBackupStampLength = 9;

    // The status line text for the class identifiers of the selected node.
    void ShowSelectedClasses();
    void SelectionChanged(TRegTreeNode* node);
    // Withdraws the records of the in-place edit that ends now.
    void EndEditRecords();
    // Ends an in-place edit under way without taking its text.
    void CancelEdit();
    void SelectWithFocus(TRegTreeNode* node);
    // The backup key path for a deletion of path (no key of that name exists).
    std::string NewBackupPath(std::string_view path) const;
    // Puts back from backup what is missing of the key at path, then drops
    // the backup key.
    void MergeBackup(const std::string& backup, const std::string& path);
    // Whether path lies in the key the tree shows.
    bool ShowsPath(std::string_view path) const;
    // ShowValue for a value just written, unless the tree shows another key.
    TRegTreeNode* ShowWritten(std::string_view keyPath, std::string_view name,
                              std::string_view text);

    bool RestoreValueRecord(const TUndo& record);
    bool RemoveCreatedRecord(const TUndo& record);
    bool RestoreKeyRecord(const TUndo& record);
    bool UndoKeyRenameRecord(const TUndo& record);
    bool UndoValueRenameRecord(const TUndo& record);
    bool EditUndoRecord(const TUndo& record);

    // The records of the in-place edit under way, oldest first.
    std::vector<std::weak_ptr<TUndo>> editRecords_;
    // A key whose caption shows an empty value part for its edit, and the
    // caption it had before; an edit that is cancelled gives it back.
    TNodeRef valueShownNode_;
    std::string valueShownCaption_;
    TRegTreeNode* editNode_ = nullptr;
    QPersistentModelIndex editNodeIndex_;
};

// The initial value text of a new node of a type (-1 for a key), and the word
// after "New " in its name.
std::string NewValueText(int valueType);
std::string NewNameWord(int valueType);

// Depth of a node, 0 for a top-level node.
int NodeLevel(const TRegTreeNode* node);

// Class identifiers ("{" + 36 characters + "}") found in text, in order.
void FindClassIds(std::string_view text, std::vector<std::string>& list);

}  // namespace zanver
