#include "views/LmtPlainToolTipDelegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>

namespace zendrel::lmt::setup {

LmtPlainToolTipDelegate::LmtPlainToolTipDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

bool LmtPlainToolTipDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
    const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = index.isValid() ? index.data(Qt::ToolTipRole).toString() : QString();
    // Converted to rich text that displays the text itself: an empty text hides the tip.
    QToolTip::showText(event->globalPos(),
        text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal), view,
        option.rect);
    event->setAccepted(!text.isEmpty());
    return true;
}

} // namespace zendrel::lmt::setup
