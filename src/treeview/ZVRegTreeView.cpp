// The association tree view: construction, creation of new keys and values,
// showing a key, the group box caption, the class identifiers of the selected
// node, the focus and the move/copy events.
#include "ZVRegTreeView.h"

#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>

#include <cstdio>

#include "ClassId.h"
#include "Confirm.h"
#include "Errors.h"
#include "LastError.h"
#include "QtGuard.h"
#include "QtText.h"
#include "RegistryAccess.h"
#include "Status.h"
#include "ValueText.h"
#include "ValueTextRegistry.h"
#include "WindowHost.h"

namespace zanver {

namespace {

// Characters of "{" + 36 + "}".
constexpr std::size_t kClassIdLength = 38;

std::string TypeWord(int valueType) {
    if (valueType >= 0 && valueType < static_cast<int>(TypeWords.size()))
        return std::string(TypeWords[static_cast<std::size_t>(valueType)]);
    char word[32];
    std::snprintf(word, sizeof word, "hex(%d)", valueType);
    return word;
}

}  // namespace

int NodeLevel(const TRegTreeNode* node) {
    int level = 0;
    for (const QTreeWidgetItem* item = node->parent(); item != nullptr; item = item->parent())
        ++level;
    return level;
}

std::string NewNameWord(int valueType) {
    switch (valueType) {
        case -1:
            return "key";
        case 1:
        case 2:
            return "string";
        default:
            return TypeWord(valueType);
    }
}

std::string NewValueText(int valueType) {
    switch (valueType) {
        case -1:
        case 1:
            return "\"\"";
        case 0:
            return "";
        case 2:
        case 6:
            return TypeWord(valueType) + ": \"\"";
        case 3:
            return TypeWord(valueType) + ": 00,00,00,00";
        case 4:
        case 5:
            return TypeWord(valueType) + ": 00000000";
        case 7:
            return TypeWord(valueType) + ": 00, 00";
        case 8:
            return TypeWord(valueType) + ": 00";
        default:
            return TypeWord(valueType) + ": 00,00,00,00";
    }
}

void FindClassIds(std::string_view text, std::vector<std::string>& list) {
    // Every "{" that opens a well-formed identifier counts; a "{" without one
    // is stepped over, so that a stray brace does not hide what follows.
    for (;;) {
        const std::size_t open = text.find('{');
        if (open == std::string_view::npos)
            return;
        text.remove_prefix(open);
        const std::size_t close = text.find('}');
        if (close == std::string_view::npos)
            return;
        if (close + 1 == kClassIdLength) {
            list.emplace_back(text.substr(0, kClassIdLength));
            text.remove_prefix(kClassIdLength);
        } else {
            text.remove_prefix(1);
        }
    }
}

TZVRegTreeView::TZVRegTreeView(QWidget* parent) : TRegTreeView(parent) {
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
                Guarded([&] { SelectionChanged(AsNode(current)); });
            });
}

TZVRegTreeView::~TZVRegTreeView() {
    // The base class clears the tree when this part of the view is gone
    // already: its selection changes must not reach it.
    disconnect(this, &QTreeWidget::currentItemChanged, this, nullptr);
    // Nor may the records this view made.
    DetachUndoRecords(this, this);
}

void TZVRegTreeView::SetFocus() {
    // During an in-place edit the editor keeps the focus: taking it away would
    // end the edit.
    if (QLineEdit* editor = EditControl()) {
        editor->setFocus(Qt::OtherFocusReason);
        return;
    }
    setFocus(Qt::OtherFocusReason);
}

void TZVRegTreeView::SelectWithFocus(TRegTreeNode* node) {
    if (node == nullptr)
        return;
    if (!hasFocus() && EditControl() == nullptr)
        setFocus(Qt::OtherFocusReason);
    Select(node);
}

void TZVRegTreeView::CreateNew(int valueType, bool atTop) {
    TRegTreeNode* parent = ParentForNew();
    if (parent == nullptr && valueType != -1)
        throw EZanver("Can only create keys in root.");
    const bool isKey = valueType == -1;
    std::string base;
    std::string value;
    if (parent == nullptr && atTop) {
        base = ".NewExt";
        value = "\"NewExtFile\"";
    } else {
        base = "New " + NewNameWord(valueType);
        value = NewValueText(valueType);
    }
    const RootKey root = Registry.GetRootKey();
    const std::string keyPath = parent != nullptr ? parent->NodePath() : RootPath;
    // With no key path the new key lies directly below the root key.
    const auto itemPathOf = [&keyPath](const std::string& name) {
        return keyPath.empty() ? name : keyPath + "\\" + name;
    };
    std::string name = base;
    for (int counter = 1;; ++counter) {
        const bool taken =
            isKey ? KeyExists(root, itemPathOf(name)) : ValueExists(root, keyPath, name);
        if (!taken)
            break;
        name = base + std::to_string(counter);
    }
    const std::string itemPath = itemPathOf(name);
    if (!ConfirmWriteFmt("Create %s?", {FullPath(itemPath)}))
        return;
    if (isKey) {
        if (!Registry.CreateKey(itemPath))
            throw EZanver("Could not create " + FullPath(itemPath) + ". " + LastErrorText());
    } else {
        SetValueText(root, keyPath, name, value);
    }
    AddUndo(UndoList, this, "create " + name,
            isKey ? itemPath : CreatedValueUndoText(keyPath, name), RemoveCreated, this);

    TRegTreeNode* node = AddNode(parent, name, isKey, value);
    SelectWithFocus(node);
    if (OnNodeCreated)
        OnNodeCreated(node);
    if (node != nullptr) {
        SelectWithFocus(node);
        scrollToItem(node);
        edit(indexFromItem(node), AllEditTriggers, nullptr);
    }
}

void TZVRegTreeView::ShowKey(std::string_view path) {
    const bool openTop = IsEmpty() || TopNode()->isExpanded();
    RefreshPath(path, true);
    if (TRegTreeNode* top = TopNode(); openTop && top != nullptr && !top->isExpanded())
        top->setExpanded(true);
}

void TZVRegTreeView::UpdateCaption() {
    auto* box = qobject_cast<QGroupBox*>(parentWidget());
    if (box == nullptr)
        return;
    TRegTreeNode* top = TopNode();
    box->setTitle(top != nullptr ? ToQString(FullPath(top->NodePath())) : QString());
}

std::vector<std::string> TZVRegTreeView::GuidsOfSelected() const {
    std::vector<std::string> list;
    if (TRegTreeNode* node = Selected()) {
        FindClassIds(node->NodeName(), list);
        FindClassIds(node->NodeValue(), list);
    }
    return list;
}

void TZVRegTreeView::ShowSelectedClasses() {
    HostClearStatus(StatusLevel(6));
    std::string message;
    bool missing = false;
    for (const std::string& clsid : GuidsOfSelected()) {
        if (KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + clsid)) {
            message += DescribeClassId(clsid) + ". ";
        } else {
            message = clsid + " not found. " + message;
            missing = true;
        }
    }
    if (StatusHandler)
        StatusHandler(message, missing ? 6 : 1);
}

void TZVRegTreeView::SelectionChanged(TRegTreeNode* node) {
    ShowSelectedClasses();
    if (OnChange)
        OnChange(node);
}

void TZVRegTreeView::focusInEvent(QFocusEvent* event) {
    TRegTreeView::focusInEvent(event);
    // A popup menu or another window giving the focus back is no entry.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    Guarded([&] {
        HostClearLastFocus();
        if (OnEnter)
            OnEnter();
        TRegTreeNode* selected = Selected();
        if (selected == nullptr && TopNode() != nullptr) {
            // Selecting runs the selection change processing.
            Select(TopNode());
            scrollToItem(TopNode());
        } else if (selected != nullptr) {
            scrollToItem(selected);
            SelectionChanged(selected);
        }
        ShowHint(FromQString(toolTip()));
    });
}

void TZVRegTreeView::FireKeyNameChanged(TRegTreeNode* node, const std::string& name,
                                        const std::string& newName) {
    if (OnKeyNameChanged)
        OnKeyNameChanged(node, name, newName);
}

void TZVRegTreeView::DoMoveCopied(TRegTreeNode* source, TRegTreeNode* dest, TMoveMode moveMode) {
    // Each handler may reload or clear a tree: what the later events need of
    // the nodes is taken now, and a node is passed on only while it exists.
    const TNodeRef destRef(dest);
    int sourceLevel = 0;
    std::string sourceName;
    TNodeRef sourceParent;
    QPointer<TZVRegTreeView> sourceView;
    if (!moveMode && source != nullptr) {
        sourceLevel = NodeLevel(source);
        sourceName = source->NodeName();
        sourceParent = TNodeRef(source->ParentNode());
        sourceView = dynamic_cast<TZVRegTreeView*>(source->TreeView());
    }
    TRegTreeView::DoMoveCopied(source, dest, moveMode);
    if (TRegTreeNode* node = destRef.Get(); node != nullptr && OnNodeChanged)
        OnNodeChanged(NodeLevel(node), node->NodeName(), node->ParentNode());
    if (sourceView && sourceView->OnNodeDeleted)
        sourceView->OnNodeDeleted(sourceLevel, sourceName, sourceParent.Get());
}

}  // namespace zanver
