#include "shared_toolkit/StatusConsole.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextCursor>

namespace zendrel::lmt::shared_toolkit {

StatusConsole::StatusConsole(QWidget *parent)
    : QTextBrowser(parent)
    , m_lightPalette(
          palette().color(QPalette::Window).value() > palette().color(QPalette::WindowText).value())
{
    setOpenLinks(true);
    setOpenExternalLinks(true);
}

void StatusConsole::append(const QString &text, ConsoleMessageType type, int flags)
{
    if (flags & ClearFirst)
        clear();
    else
        scrollToEnd();
    if (flags & EmptyLineBefore)
        append(QString());
    setTextColor(type);
    appendMessage(text, type, flags, AppendParagraph);
    if (flags & EmptyLineAfter)
        append(QString());
    scrollToEnd();
}

void StatusConsole::clear()
{
    QTextBrowser::clear();
}

void StatusConsole::scrollToEnd()
{
    moveCursor(QTextCursor::End);
}

void StatusConsole::append(const QString &text)
{
    QTextBrowser::append(text);
}

void StatusConsole::insertPlainText(const QString &text)
{
    QTextBrowser::insertPlainText(text);
}

void StatusConsole::setPlainText(const QString &text)
{
    QTextBrowser::setPlainText(text);
}

void StatusConsole::setTextColor(ConsoleMessageType type)
{
    QTextBrowser::setTextColor(StatusConsoleBase::textColor(type, m_lightPalette));
}

QMenu *StatusConsole::createConsoleContextMenu(const QPoint &position)
{
    QMenu *menu = createStandardContextMenu(position);
    menu->addAction(tr("Clear All"), this, &StatusConsole::clear);
    return menu;
}

void StatusConsole::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createConsoleContextMenu(event->pos());
    menu->exec(event->globalPos());
    delete menu;
}

} // namespace zendrel::lmt::shared_toolkit
