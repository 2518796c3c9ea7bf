#pragma once

#include <QStyledItemDelegate>

namespace zendrel::lmt::setup {

// The version drop-down of the select tables. A choice is committed at once, so the model
// switches the row's version without the editor being closed.
class LmtToolVersionDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit LmtToolVersionDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(
        QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private Q_SLOTS:
    void onComboBoxIndexChanged(int index);
};

} // namespace zendrel::lmt::setup
