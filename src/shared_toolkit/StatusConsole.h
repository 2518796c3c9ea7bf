#pragma once

#include "shared_toolkit/StatusConsoleBase.h"

#include <QTextBrowser>

class QMenu;

namespace zendrel::lmt::shared_toolkit {

// The log panel: a read-only rich-text browser that shows each line in the colour of its
// ConsoleMessageType. The classification and the transcript come from StatusConsoleBase.
class StatusConsole : public QTextBrowser, public StatusConsoleBase
{
    Q_OBJECT

public:
    explicit StatusConsole(QWidget *parent = nullptr);

    // Shows one message: clears first or continues at the end, adds the empty lines the
    // flags ask for and appends the text as paragraphs in the colour of its type.
    void append(const QString &text, ConsoleMessageType type, int flags = 0);

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
};

} // namespace zendrel::lmt::shared_toolkit
