#pragma once

#include "shared_toolkit/StatusConsole.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

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

    QPointer<StatusConsole> m_console;
    QList<StatusConsole::Message> m_pending;
    qsizetype m_next = 0;
    // A timer, not a posted call: a call posted again from the call itself would be handled
    // in the same round of posted events and shut out painting and the other timers.
    QTimer m_turn;
};

} // namespace zendrel::lmt::shared_toolkit
