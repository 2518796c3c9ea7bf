#pragma once

#include <QStyledItemDelegate>

namespace zendrel::lmt::setup {

// The busy spinner of the install table: turns while the row's job runs (user role true).
class LmtToolSpinnerDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit LmtToolSpinnerDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
};

} // namespace zendrel::lmt::setup
