#include "RegTreeItemDelegate.h"

#include <QLineEdit>

#include "QtGuard.h"
#include "QtText.h"
#include "RegTreeView.h"

namespace zanver {

TRegTreeItemDelegate::TRegTreeItemDelegate(TRegTreeView* view)
    : QStyledItemDelegate(view), view_(view) {}

QWidget* TRegTreeItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                            const QModelIndex&) const {
    auto* editor = new QLineEdit(parent);
    editor->setMaxLength(static_cast<int>(kMaxEditLength));
    view_->SetEditControl(editor);
    TRegTreeView* view = view_;
    connect(editor, &QLineEdit::textChanged, view, [view](const QString& text) {
        Guarded([&] { view->EditTextChanged(FromQString(text)); });
    });
    return editor;
}

void TRegTreeItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setText(index.data(Qt::EditRole).toString());
}

void TRegTreeItemDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                        const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    TRegTreeNode* node = AsNode(view_->itemFromIndex(index));
    if (line == nullptr || node == nullptr)
        return;
    const std::string text = FromQString(line->text());
    Guarded([&] { view_->EditFinished(node, text); });
}

}  // namespace zanver
