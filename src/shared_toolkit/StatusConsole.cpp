#include "shared_toolkit/StatusConsole.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace zendrel::lmt::shared_toolkit {

StatusConsole::StatusConsole(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_lightPalette(
          palette().color(QPalette::Window).value() > palette().color(QPalette::WindowText).value())
{
    setReadOnly(true);
    // The pointer changes over links, as in a browser.
    viewport()->setMouseTracking(true);
    m_textCursorShape = viewport()->cursor().shape();
    QFont plain = font();
    plain.setStyleStrategy(QFont::PreferNoShaping);
    plain.setKerning(false);
    setFont(plain);
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

void StatusConsole::append(const QList<Message> &messages)
{
    if (messages.isEmpty())
        return;
    QTextCursor edit(document());
    edit.beginEditBlock();
    m_batchCursor = textCursor();
    for (const Message &message : messages) {
        if (message.flags & ClearFirst) {
            // Clearing is left to the widget: the batch ends before it and starts again after.
            setTextCursor(*m_batchCursor);
            m_batchCursor.reset();
            append(message.text, message.type, message.flags);
            m_batchCursor = textCursor();
        } else {
            append(message.text, message.type, message.flags);
        }
    }
    m_batchCursor.reset();
    edit.endEditBlock();
    // The view follows once, as it did after each line.
    moveCursor(QTextCursor::End);
}

void StatusConsole::clear()
{
    QPlainTextEdit::clear();
}

void StatusConsole::scrollToEnd()
{
    // A new cursor at the end is what the widget's cursor is after moving there: no format of
    // its own, so the text that follows takes the format of the last character. Unlike
    // movePosition(), setPosition() does not lay out the block it leaves: the whole batch is
    // laid out once, at its end.
    if (m_batchCursor) {
        m_batchCursor = QTextCursor(document());
        m_batchCursor->setPosition(document()->characterCount() - 1);
    } else
        moveCursor(QTextCursor::End);
}

void StatusConsole::append(const QString &text)
{
    if (!m_batchCursor) {
        if (Qt::mightBeRichText(text))
            appendHtml(text);
        else
            appendPlainText(text);
        return;
    }
    // What the widget's own append does with its cursor, without scrolling: a new paragraph at
    // the end in the cursor's formats, rich text when the text looks like it, and the cursor
    // keeps its character format.
    QTextCursor &cursor = *m_batchCursor;
    QTextCursor end(document());
    end.setPosition(document()->characterCount() - 1);
    if (!document()->isEmpty())
        end.insertBlock(cursor.blockFormat(), cursor.charFormat());
    else
        end.setCharFormat(cursor.charFormat());
    const QTextCharFormat format = cursor.charFormat();
    if (Qt::mightBeRichText(text))
        end.insertHtml(text);
    else
        end.insertText(text);
    if (!cursor.hasSelection())
        cursor.setCharFormat(format);
}

void StatusConsole::insertPlainText(const QString &text)
{
    if (m_batchCursor)
        m_batchCursor->insertText(text);
    else
        QPlainTextEdit::insertPlainText(text);
}

void StatusConsole::setPlainText(const QString &text)
{
    QPlainTextEdit::setPlainText(text);
}

void StatusConsole::setTextColor(ConsoleMessageType type)
{
    QTextCharFormat format;
    format.setForeground(QBrush(StatusConsoleBase::textColor(type, m_lightPalette)));
    if (m_batchCursor)
        m_batchCursor->mergeCharFormat(format);
    else
        mergeCurrentCharFormat(format);
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

void StatusConsole::mousePressEvent(QMouseEvent *event)
{
    QPlainTextEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        m_pressedAnchor = anchorAt(event->position().toPoint());
}

void StatusConsole::mouseMoveEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    const bool overLink = !anchorAt(event->position().toPoint()).isEmpty();
    viewport()->setCursor(overLink ? Qt::PointingHandCursor : m_textCursorShape);
}

void StatusConsole::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QString anchor = anchorAt(event->position().toPoint());
    const bool clicked = !anchor.isEmpty() && anchor == m_pressedAnchor;
    m_pressedAnchor.clear();
    // Dragging across a link to select text is not a click on it.
    if (!clicked || textCursor().hasSelection())
        return;
    const QUrl link(anchor);
    Q_EMIT anchorClicked(link);
    if (m_openLinks && m_openExternalLinks)
        QDesktopServices::openUrl(link);
}

} // namespace zendrel::lmt::shared_toolkit
