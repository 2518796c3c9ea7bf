#include "shared_toolkit/StatusConsoleFeed.h"

namespace zendrel::lmt::shared_toolkit {

namespace {
// Messages shown between two looks at the clock. Each slice ends in one scroll to the end,
// which costs as much as inserting a few dozen lines; a hundred take about half a millisecond.
constexpr qsizetype kSliceSize = 100;
} // namespace

StatusConsoleFeed::StatusConsoleFeed(StatusConsole *console)
    : QObject(console)
    , m_console(console)
{
    m_turn.setSingleShot(true);
    m_turn.setInterval(0);
    connect(&m_turn, &QTimer::timeout, this, &StatusConsoleFeed::showSome);
}

void StatusConsoleFeed::append(const QString &text, ConsoleMessageType type, int flags)
{
    m_pending.append({ text, type, flags });
    // A zero timer fires once the events already waiting have been handled: the messages
    // announced meanwhile are shown together.
    if (!m_turn.isActive())
        m_turn.start();
}

void StatusConsoleFeed::showSome()
{
    QElapsedTimer turn;
    turn.start();
    while (pendingCount() > 0 && turn.elapsed() < TurnBudgetMs) {
        const qsizetype count = qMin(kSliceSize, pendingCount());
        if (m_console)
            m_console->append(m_pending.mid(m_next, count));
        m_next += count;
    }
    m_pending.remove(0, m_next);
    m_next = 0;
    if (!m_pending.isEmpty())
        m_turn.start();
}

void StatusConsoleFeed::showPending()
{
    m_turn.stop();
    if (m_console)
        m_console->append(m_pending.mid(m_next));
    m_pending.clear();
    m_next = 0;
}

} // namespace zendrel::lmt::shared_toolkit
