#pragma once

#include "shared_toolkit/StatusConsole.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>

namespace zendrel::lmt::shared_toolkit {

// Takes the messages for a log panel as they come and shows them together once per turn of the
// event loop: a refresh of a large catalogue announces thousands of lines, and showing each on
// its own (a layout and a scroll per line) kept the window from painting for seconds. Order,
// types and flags are kept. A turn shows what has come for at most TurnBudgetMs and leaves the
// rest to the next turn, so that the window keeps painting and answering meanwhile.
class StatusConsoleFeed : public QObject
{
    Q_OBJECT

public:
    static constexpr int TurnBudgetMs = 16;

    // Belongs to the panel and goes with it.
    explicit StatusConsoleFeed(StatusConsole *console);

    void append(const QString &text, ConsoleMessageType type, int flags = 0);
    // Shows everything that is waiting, now.
    void showPending();
    qsizetype pendingCount() const { return m_pending.size() - m_next; }

private:
    void showSome();
    void schedule();

    QPointer<StatusConsole> m_console;
    QList<StatusConsole::Message> m_pending;
    qsizetype m_next = 0;
    bool m_scheduled = false;
};

} // namespace zendrel::lmt::shared_toolkit
