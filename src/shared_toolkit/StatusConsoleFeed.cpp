#include "shared_toolkit/StatusConsoleFeed.h"

#include <QTimer>

namespace zendrel::lmt::shared_toolkit {

namespace {
// Messages shown between two looks at the clock.
constexpr qsizetype kSliceSize = 25;
} // namespace

StatusConsoleFeed::StatusConsoleFeed(StatusConsole *console)
    : QObject(console)
    , m_console(console)
{
}

void StatusConsoleFeed::append(const QString &text, ConsoleMessageType type, int flags)
{
    m_pending.append({ text, type, flags });
    schedule();
}

void StatusConsoleFeed::schedule()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    // A zero timer fires once the events already waiting have been handled: the messages
    // announced meanwhile are shown together.
    QTimer::singleShot(0, this, &StatusConsoleFeed::showSome);
}

void StatusConsoleFeed::showSome()
{
    m_scheduled = false;
    QElapsedTimer turn;
    turn.start();
    while (pendingCount() > 0 && turn.elapsed() < TurnBudgetMs) {
        const qsizetype count = qMin(kSliceSize, pendingCount());
        if (m_console)
            m_console->append(m_pending.mid(m_next, count));
        m_next += count;
    }
    if (pendingCount() > 0) {
        schedule();
        return;
    }
    m_pending.clear();
    m_next = 0;
}

void StatusConsoleFeed::showPending()
{
    if (m_console)
        m_console->append(m_pending.mid(m_next));
    m_pending.clear();
    m_next = 0;
}

} // namespace zendrel::lmt::shared_toolkit
