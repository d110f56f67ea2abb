// The registry tree view: construction, the toolkit hooks (may-edit, expand
// and collapse, right button), the update bracket and the path helpers.
#include "RegTreeView.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPersistentModelIndex>
#include <QSignalBlocker>

#include <unordered_map>
#include <vector>

#include "KeyPaths.h"
#include "NameRules.h"
#include "QtGuard.h"
#include "RegTreeItemDelegate.h"
#include "RegTreeSort.h"
#include "TreeImages.h"

namespace zanver {

namespace {

// RootPath-relative test: path equals root or lies below it (letter case
// ignored); the rest after root and its "\" goes to rest.
bool SplitBelow(std::string_view root, std::string_view path, std::string_view& rest) {
    if (path.size() < root.size() || !SameName(path.substr(0, root.size()), root))
        return false;
    if (path.size() == root.size()) {
        rest = {};
        return true;
    }
    if (path[root.size()] != '\\')
        return false;
    rest = path.substr(root.size() + 1);
    return true;
}

void ApplyImages(QTreeWidgetItem* item, const QList<QIcon>& images) {
    if (TRegTreeNode* node = AsNode(item)) {
        const int index = node->ImageIndex();
        if (index >= 0 && index < images.size())
            node->setIcon(0, images.at(index));
    }
    for (int i = 0; i < item->childCount(); ++i)
        ApplyImages(item->child(i), images);
}

// Parents whose children were added or renamed while the view did not sort.
// Up to a few dozen are sorted one by one; beyond that the whole tree is.
constexpr std::size_t kMaxNotedParents = 64;

struct NotedParents {
    bool all = false;
    std::vector<QPersistentModelIndex> parents;
};

std::unordered_map<const TRegTreeView*, NotedParents>& Noted() {
    static std::unordered_map<const TRegTreeView*, NotedParents> noted;
    return noted;
}

void NoteParent(TRegTreeView* view, QTreeWidgetItem* parent) {
    NotedParents& noted = Noted()[view];
    if (noted.all)
        return;
    if (parent == nullptr || parent == view->invisibleRootItem() ||
        noted.parents.size() >= kMaxNotedParents) {
        noted.all = true;
        noted.parents.clear();
        return;
    }
    const QModelIndex index = view->indexFromItem(parent);
    if (!noted.parents.empty() && noted.parents.back() == index)
        return;
    for (const QPersistentModelIndex& known : noted.parents)
        if (known == index)
            return;
    noted.parents.emplace_back(index);
}

}  // namespace

void SetSortingQuietly(TRegTreeView* view, bool on) {
    if (view->isSortingEnabled() == on)
        return;
    if (!on) {
        view->setSortingEnabled(false);
        return;
    }
    // Switching sorting on sorts by the header's indicator: with no indicator
    // nothing is sorted, and the indicator comes back without its signal.
    QHeaderView* header = view->header();
    const int section = header->sortIndicatorSection();
    const Qt::SortOrder order = header->sortIndicatorOrder();
    {
        const QSignalBlocker blocker(header);
        header->setSortIndicator(-1, order);
    }
    view->setSortingEnabled(true);
    const QSignalBlocker blocker(header);
    header->setSortIndicator(section, order);
}

void InsertChildSorted(TRegTreeView* view, QTreeWidgetItem* parent, TRegTreeNode* child) {
    if (view == nullptr || !view->isSortingEnabled()) {
        parent->addChild(child);
        if (view != nullptr)
            NoteParent(view, parent);
        return;
    }
    // After the last sibling that does not sort behind it, as a stable sort
    // would place it.
    int low = 0;
    int high = parent->childCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (*child < *parent->child(middle))
            high = middle;
        else
            low = middle + 1;
    }
    SetSortingQuietly(view, false);
    parent->insertChild(low, child);
    SetSortingQuietly(view, true);
}

void NoteCaptionChanged(TRegTreeNode* node) {
    TRegTreeView* view = node->TreeView();
    if (view != nullptr && !view->isSortingEnabled())
        NoteParent(view, node->parent() != nullptr ? node->parent() : view->invisibleRootItem());
}

void SortNoted(TRegTreeView* view) {
    auto& notedViews = Noted();
    const auto it = notedViews.find(view);
    if (it == notedViews.end())
        return;
    const NotedParents noted = std::move(it->second);
    notedViews.erase(it);
    const int column = view->header()->sortIndicatorSection();
    const Qt::SortOrder order = view->header()->sortIndicatorOrder();
    if (column < 0)
        return;
    if (noted.all) {
        view->model()->sort(column, order);
        return;
    }
    for (const QPersistentModelIndex& index : noted.parents)
        if (QTreeWidgetItem* item = index.isValid() ? view->itemFromIndex(index) : nullptr)
            item->sortChildren(column, order);
}

void ForgetNoted(const TRegTreeView* view) {
    Noted().erase(view);
}

TNodeRef::TNodeRef(TRegTreeNode* node) : node_(node) {
    if (node != nullptr && node->TreeView() != nullptr) {
        view_ = node->TreeView();
        index_ = QPersistentModelIndex(view_->indexFromItem(node));
    }
}

TRegTreeNode* TNodeRef::Get() const {
    // Trust only what the index still finds: the node may have gone, and
    // another node may have been made at its address since.
    if (view_.isNull() || !index_.isValid())
        return nullptr;
    return AsNode(view_->itemFromIndex(index_)) == node_ ? node_ : nullptr;
}

TRegTreeView::TRegTreeView(QWidget* parent) : QTreeWidget(parent), Registry(HKEY_CLASSES_ROOT) {
    setColumnCount(1);
    setHeaderHidden(true);
    setIndentation(19);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setItemDelegate(new TRegTreeItemDelegate(this));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    sortByColumn(0, Qt::AscendingOrder);
    setSortingEnabled(true);
    SetImages(TreeImageList());
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { NodeExpanded(item); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { NodeCollapsed(item); });
}

TRegTreeView::~TRegTreeView() {
    ClearTree();
    ForgetNoted(this);
}

TRegTreeNode* TRegTreeView::TopNode() const {
    return AsNode(topLevelItem(0));
}

TRegTreeNode* TRegTreeView::Selected() const {
    QTreeWidgetItem* item = currentItem();
    return item != nullptr && item->isSelected() ? AsNode(item) : nullptr;
}

void TRegTreeView::Select(TRegTreeNode* node) {
    if (node == nullptr) {
        setCurrentItem(nullptr);
        clearSelection();
        return;
    }
    setCurrentItem(node);
    node->setSelected(true);
}

void TRegTreeView::ClearTree() {
    PendingNode = nullptr;
    DragNode = nullptr;
    clear();
}

void TRegTreeView::BeginUpdate() {
    if (updateDepth_++ == 0) {
        setUpdatesEnabled(false);
        // Inserting into a sorted tree re-sorts it again and again: the
        // bracket inserts unsorted and sorts once at its end.
        if (isSortingEnabled()) {
            sortSuspended_ = true;
            SetSortingQuietly(this, false);
        }
    }
    // Until the layout is done again, the view skips its per-item work for
    // every node that is added or changed.
    scheduleDelayedItemsLayout();
}

void TRegTreeView::EndUpdate() {
    if (updateDepth_ == 0 || --updateDepth_ > 0)
        return;
    if (sortSuspended_) {
        sortSuspended_ = false;
        SetSortingQuietly(this, true);
        SortNoted(this);
    } else {
        ForgetNoted(this);
    }
    setUpdatesEnabled(true);
}

bool TRegTreeView::IsEditing() const {
    return state() == QAbstractItemView::EditingState;
}

void TRegTreeView::SetImages(QList<QIcon> images) {
    images_ = std::move(images);
    for (int i = 0; i < topLevelItemCount(); ++i)
        ApplyImages(topLevelItem(i), images_);
}

std::string TRegTreeView::FullPath(std::string_view path) const {
    return FullKeyName(Registry.GetRootKey(), path);
}

std::string TRegTreeView::RootedPath(std::string_view name) const {
    return RootPath.empty() ? std::string(name) : RootPath + "\\" + std::string(name);
}

std::string TRegTreeView::StripRootPath(std::string_view path) const {
    std::string_view rest;
    if (!RootPath.empty() && SplitBelow(RootPath, path, rest))
        return std::string(rest);
    return std::string(path);
}

bool TRegTreeView::IsBelowRootPath(std::string_view path) const {
    std::string_view rest;
    return RootPath.empty() || SplitBelow(RootPath, path, rest);
}

bool TRegTreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    TRegTreeNode* node = AsNode(itemFromIndex(index));
    // Ask only when this call opens the editor: a click on the selected item
    // opens it later through a second call with AllEditTriggers.
    const bool opens =
        node != nullptr && (node->flags() & Qt::ItemIsEditable) && !IsEditing() &&
        (trigger == AllEditTriggers || ((trigger & editTriggers()) && trigger != SelectedClicked));
    if (opens) {
        bool allowed = false;
        Guarded([&] { allowed = MayEdit(node); });
        if (!allowed)
            return false;
    }
    return QTreeWidget::edit(index, trigger, event);
}

void TRegTreeView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // A question asked as the edit ends (a write confirmation) takes the
    // window's activation: the editor is then the window's focus widget
    // without having the focus, and once it is gone the window would give
    // the focus to its first control instead of the view.
    const bool editorHadFocus =
        editor != nullptr && (editor->hasFocus() || window()->focusWidget() == editor);
    QTreeWidget::closeEditor(editor, hint);
    if (editorHadFocus && !hasFocus())
        setFocus(Qt::OtherFocusReason);
}

bool TRegTreeView::MayEdit(TRegTreeNode* node) {
    return (!OnEditing || OnEditing(node)) && node->CanEdit();
}

void TRegTreeView::EditTextChanged(const std::string&) {}

void TRegTreeView::SetEditControl(QLineEdit* editor) {
    editControl_ = editor;
}

QLineEdit* TRegTreeView::EditControl() const {
    return IsEditing() ? editControl_.data() : nullptr;
}

void TRegTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        if (TRegTreeNode* node = AsNode(itemAt(event->position().toPoint()))) {
            setFocus(Qt::MouseFocusReason);
            Select(node);
        }
    QTreeWidget::mousePressEvent(event);
}

void TRegTreeView::NodeExpanded(QTreeWidgetItem* item) {
    Guarded([&] {
        if (TRegTreeNode* node = AsNode(item))
            node->Expanding();
    });
}

void TRegTreeView::NodeCollapsed(QTreeWidgetItem* item) {
    Guarded([&] {
        if (TRegTreeNode* node = AsNode(item))
            node->Collapsing();
    });
}

}  // namespace zanver
