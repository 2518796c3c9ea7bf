#pragma once

#include "shared_toolkit/LmtTr.h"
#include "shared_toolkit/StatusConsoleBase.h"

#include <QList>
#include <QTextBrowser>
#include <QTextCursor>

#include <optional>

class QMenu;

namespace zendrel::lmt::shared_toolkit {

// The log panel: a read-only rich-text browser that shows each line in the colour of its
// ConsoleMessageType. The classification and the transcript come from StatusConsoleBase.
class StatusConsole : public QTextBrowser, public StatusConsoleBase
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

    // The browser's own context menu plus "Clear All"; the caller owns the menu.
    QMenu *createConsoleContextMenu(const QPoint &position);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool m_lightPalette;
    // While append(QList) runs: stands in for the widget's own cursor, so that the text goes
    // where and in the format it would go one by one, without the widget scrolling each time.
    std::optional<QTextCursor> m_batchCursor;
};

} // namespace zendrel::lmt::shared_toolkit
