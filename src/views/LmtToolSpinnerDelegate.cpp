#include "views/LmtToolSpinnerDelegate.h"

#include "views/LmtSpinnerWidget.h"

namespace zendrel::lmt::setup {

LmtToolSpinnerDelegate::LmtToolSpinnerDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QWidget *LmtToolSpinnerDelegate::createEditor(
    QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    return new LmtSpinnerWidget(parent);
}

void LmtToolSpinnerDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    editor->setEnabled(index.data(Qt::UserRole).toBool());
}

} // namespace zendrel::lmt::setup
