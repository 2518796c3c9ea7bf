#pragma once

#include <QStyledItemDelegate>

namespace zendrel::lmt::setup {

// Shows a cell's tool tip exactly as written. A tool tip that merely looks like markup is
// otherwise rendered as rich text, and the select tables' tool tips carry tool names and
// paths from the registries.
class LmtPlainToolTipDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit LmtPlainToolTipDelegate(QObject *parent = nullptr);

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
        const QModelIndex &index) override;
};

} // namespace zendrel::lmt::setup
