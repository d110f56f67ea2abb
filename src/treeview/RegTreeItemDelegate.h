#pragma once

#include <QStyledItemDelegate>

namespace zanver {

class TRegTreeView;

// The in-place editor of a registry tree view: a line edit that takes at most
// 259 characters, as the native control's label editor does. Committed text
// goes to TRegTreeView::EditFinished; a cancelled edit delivers nothing.
class TRegTreeItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    explicit TRegTreeItemDelegate(TRegTreeView* view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

  private:
    TRegTreeView* view_;
};

}  // namespace zanver
