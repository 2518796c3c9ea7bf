#pragma once

#include "shared_toolkit/LmtTr.h"
#include "shared_toolkit/StatusConsoleBase.h"

#include <QList>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QUrl>

#include <optional>

class QMenu;

namespace zendrel::lmt::shared_toolkit {

// The log panel: a read-only view that shows each line in the colour of its ConsoleMessageType.
// The classification and the transcript come from StatusConsoleBase.
//
// Lines may carry rich text (coloured spans, links), but the view is a plain-text one: it lays
// out only the paragraphs in view, where a rich-text browser lays out every paragraph as it
// arrives. A refresh of a large catalogue announces tens of thousands of lines, and laying
// them all out cost the window more than inserting them.
class StatusConsole : public QPlainTextEdit, public StatusConsoleBase
{
    Q_OBJECT
    LMT_TR_CONTEXT(StatusConsole)

public:
    // One message for append(QList): the arguments of append(text, type, flags).
    struct Message {
        QString text;
        ConsoleMessageType type = Normal;
        int flags = 0;
    };

    explicit StatusConsole(QWidget *parent = nullptr);

    // Shows one message: clears first or continues at the end, adds the empty lines the
    // flags ask for and appends the text as paragraphs in the colour of its type.
    void append(const QString &text, ConsoleMessageType type, int flags = 0);
    // Shows the messages one after the other as append(text, type, flags) does, as a single
    // edit of the document: it is laid out and scrolled to its end once, not for every line.
    void append(const QList<Message> &messages);

    void clear() override;
    void scrollToEnd() override;
    void append(const QString &text) override;
    void insertPlainText(const QString &text) override;
    void setPlainText(const QString &text) override;
    void setTextColor(ConsoleMessageType type) override;

    // True when the panel was created on a light background (dark text).
    bool isLightPalette() const { return m_lightPalette; }

    // A clicked link is always announced by anchorClicked(). With both switches on (as after
    // construction) the panel also opens it with the desktop's handler, as a browser opens an
    // external link; the panel never shows a linked document itself.
    bool openLinks() const { return m_openLinks; }
    void setOpenLinks(bool open) { m_openLinks = open; }
    bool openExternalLinks() const { return m_openExternalLinks; }
    void setOpenExternalLinks(bool open) { m_openExternalLinks = open; }

    // The view's own context menu (copy, select all) plus "Clear All"; the caller owns the menu.
    QMenu *createConsoleContextMenu(const QPoint &position);

Q_SIGNALS:
    void anchorClicked(const QUrl &link);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_lightPalette;
    bool m_openLinks = true;
    bool m_openExternalLinks = true;
    // The link under the last left press: a click is a press and a release on the same link.
    QString m_pressedAnchor;
    Qt::CursorShape m_textCursorShape;
    // While append(QList) runs: stands in for the widget's own cursor, so that the text goes
    // where and in the format it would go one by one, without the widget scrolling each time.
    std::optional<QTextCursor> m_batchCursor;
};

} // namespace zendrel::lmt::shared_toolkit
