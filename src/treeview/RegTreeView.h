#pragma once

#include <QIcon>
#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "RegTreeNode.h"
#include "Registry.h"
#include "RootKeys.h"

class QDrag;
class QLineEdit;

namespace zanver {

// True for copy (the source stays), false for move.
using TMoveMode = bool;

// Options of a key load (LoadKey) and of a key walk (WalkKey); a bit set.
enum LoadOption : unsigned {
    ExportText = 1,    // value texts in REGEDIT4 form instead of display form
    NoValues = 2,      // do not enumerate values (walks only)
    SkipFirstKey = 4,  // no key callback for the first key (walks only)
    TwoLevels = 8,     // top of a load: subkeys get SecondLevel
    SecondLevel = 16,  // subkeys get DefaultOnly
    DefaultOnly = 32,  // only the key's default value; no named values, no subkeys
};
using LoadOptions = unsigned;

// Callbacks of WalkKey. Len carries a length of the caller's choosing from a
// key to its subkeys. Codes: 1 go on, 0 stop the whole walk; another code from
// the value callback ends this key's values, from the key callback skips the
// key and is passed back.
using WalkValueCallback =
    std::function<int(const std::string& valueName, const std::string& valueText, int& len)>;
using WalkKeyCallback = std::function<int(const std::string& name, int& len)>;

class TRegTreeView;

// A node held across a call that may reload or clear its tree, such as an
// event handler of the view's owner: Get() gives the node while it still
// exists in its view, else nullptr.
class TNodeRef {
  public:
    TNodeRef() = default;
    explicit TNodeRef(TRegTreeNode* node);
    TRegTreeNode* Get() const;

  private:
    QPointer<TRegTreeView> view_;
    QPersistentModelIndex index_;
    TRegTreeNode* node_ = nullptr;
};

// What a paste wrote, for an owner that records it for Undo: the items it
// created, none below another (key paths, and CreatedValueUndoText for a
// value), and the values it overwrote with their old text in exact form
// (ExactValueText).
struct TPasteChanges {
    struct Overwrite {
        std::string keyPath;
        std::string name;
        std::string oldText;
    };
    std::vector<std::string> Created;
    std::vector<Overwrite> Overwritten;
};

// A tree view that shows one registry key with its values and subkeys and
// edits them in place. The top-level node is the key shown; it lies at
// RootPath below the root key of Registry. Keys are read lazily, two levels
// deep, so every node on screen knows whether it has children.
class TRegTreeView : public QTreeWidget {
    Q_OBJECT

  public:
    explicit TRegTreeView(QWidget* parent = nullptr);
    ~TRegTreeView() override;

    // Events. OnEditing may refuse an in-place edit; OnEdited may change the
    // text an in-place edit delivers; OnMoveCopied follows a move or copy.
    std::function<bool(TRegTreeNode* node)> OnEditing;
    std::function<void(TRegTreeView* sender, TRegTreeNode* node, std::string& text)> OnEdited;
    std::function<void(TRegTreeNode* source, TRegTreeNode* dest, TMoveMode mode)> OnMoveCopied;
    // Drag hooks of the owner, asked before the view's own handling.
    std::function<bool(TRegTreeView* source)> OnDragOver;
    std::function<void(TRegTreeView* source)> OnDragDrop;
    // Whether Shift is held now (asynchronous key state); tests replace it.
    std::function<bool()> ShiftHeld;

    // Clipboard text and key line under construction during a copy.
    std::string ClipText;
    std::string ClipKeyPath;
    TRegistry Registry;
    TRegTreeNode* DragNode = nullptr;
    std::string RootPath;
    TRegTreeNode* PendingNode = nullptr;

    // Nodes of the toolkit tree.
    TRegTreeNode* TopNode() const;
    TRegTreeNode* Selected() const;
    // Makes node the current and selected one (nullptr clears the selection).
    void Select(TRegTreeNode* node);
    bool IsEmpty() const { return topLevelItemCount() == 0; }
    void ClearTree();
    // Update bracket: the control redraws once at the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    bool IsEditing() const;
    // The image list (five pictures, TreeImage order).
    void SetImages(QList<QIcon> images);
    const QList<QIcon>& Images() const { return images_; }

    // Paths.
    std::string FullPath(std::string_view path) const;
    std::string RootedPath(std::string_view name) const;
    std::string StripRootPath(std::string_view path) const;
    bool IsBelowRootPath(std::string_view path) const;

    // Loading and finding.
    void LoadKey(StoreKey parentKey, TRegTreeNode* parentNode, LoadOptions options,
                 const std::string& name);
    void LoadKeyPath(std::string_view path);
    TRegTreeNode* FindNode(std::string_view path, bool load);
    TRegTreeNode* FindNearestNode(std::string_view path);
    TRegTreeNode* RevealPath(std::string_view path);
    void RefreshPath(std::string_view path, bool keepSelection);
    void LoadPending();

    // Nodes and the registry items they stand for.
    TRegTreeNode* ParentForNew() const;
    TRegTreeNode* AddNode(TRegTreeNode* parent, std::string_view name, bool isKey,
                          std::string_view value);
    TRegTreeNode* AddKeyNode(TRegTreeNode* parent, std::string_view name, std::string_view value);
    TRegTreeNode* AddValueNode(TRegTreeNode* parent, std::string_view name, std::string_view value);
    TRegTreeNode* ShowValue(std::string_view path, std::string_view name, std::string_view value);
    TRegTreeNode* WriteValue(std::string_view path, std::string_view name, std::string_view value);
    // WriteValue that stores the type and bytes of value exactly as they are
    // (RestoreValueText); the node shows the display form.
    TRegTreeNode* WriteExactValue(std::string_view path, std::string_view name,
                                  std::string_view value);
    TRegTreeNode* WriteStringValue(std::string_view path, std::string_view name, bool expandable,
                                   std::string_view text);
    void RenameValue(std::string_view keyPath, std::string_view oldName, std::string_view newName);
    bool DeleteNode(TRegTreeNode* node);
    bool ConfirmDelete(std::string_view path) const;
    void RemoveNode(std::string_view path);
    void EditSelected();
    [[noreturn]] void CouldNot(std::string_view path, std::string_view verb) const;

    // Move and copy.
    void MoveCopyNode(TRegTreeNode* source, TRegTreeNode* dest, TMoveMode copy);
    void MoveCopyKey(RootKey sourceRoot, std::string sourcePath, TMoveMode copy,
                     std::string destPath, RootKey destRoot);
    virtual void DoMoveCopied(TRegTreeNode* source, TRegTreeNode* dest, TMoveMode moveMode);

    // Clipboard exchange in REGEDIT4 text.
    bool CanPaste() const;
    void CopyToClipboard();
    // Pastes below the selected key. What was written stays when a later
    // line fails or the paste is cancelled; changes (when given) tells what
    // was written, also when the paste raises.
    void PasteFromClipboard(bool confirmCreate, TPasteChanges* changes = nullptr);
    int WalkKey(StoreKey parentKey, const std::string& name, LoadOptions options, int len,
                const WalkValueCallback& valueCallback, const WalkKeyCallback& keyCallback);

    // Called by the item editor with the text an in-place edit delivers.
    virtual void EditFinished(TRegTreeNode* node, std::string text);
    // Called by the item editor on every change of its text, typed or set.
    virtual void EditTextChanged(const std::string& text);
    // The line edit of the in-place edit under way, or nullptr.
    QLineEdit* EditControl() const;
    // The item editor reports the line edit it made.
    void SetEditControl(QLineEdit* editor);

  protected:
    // Whether the in-place edit of node may start: OnEditing, then the node's
    // CanEdit (the question before a long caption is cut).
    virtual bool MayEdit(TRegTreeNode* node);
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Runs a drag that startDrag has prepared (QDrag::exec); tests replace it
    // with a simulated drag, since the offscreen platform runs none.
    virtual Qt::DropAction ExecDrag(QDrag* drag);

  private:
    friend class TNodeRef;
    void NodeExpanded(QTreeWidgetItem* item);
    void NodeCollapsed(QTreeWidgetItem* item);
    // Drag support (move and copy).
    bool DragUnderWay() const { return drag_ != nullptr; }
    void UpdateDragCursor();

    QList<QIcon> images_;
    int updateDepth_ = 0;
    QDrag* drag_ = nullptr;
    bool dragCopies_ = true;
    QPointer<QLineEdit> editControl_;

    // Core view: sorting switched off by the outermost BeginUpdate, to be
    // switched on (and done once) by the matching EndUpdate.
    bool sortSuspended_ = false;
};

}  // namespace zanver
