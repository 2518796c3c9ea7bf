#include "app/LmtHeartbeat.h"

#include "shared_toolkit/Log.h"

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[Heartbeat]";
} // namespace

LmtHeartbeat *LmtHeartbeat::startFromEnvironment(QObject *parent)
{
    bool ok = false;
    const int intervalMs = qEnvironmentVariableIntValue("LUMETRA_HEARTBEAT_MS", &ok);
    return ok && intervalMs > 0 ? new LmtHeartbeat(intervalMs, parent) : nullptr;
}

LmtHeartbeat::LmtHeartbeat(int intervalMs, QObject *parent)
    : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &LmtHeartbeat::onTick);
    m_timer.start();
}

LmtHeartbeat::~LmtHeartbeat()
{
    qCInfo(lmtPerformance).noquote()
        << kTag << "Longest GUI thread pause:" << m_longestGapMs << "ms";
}

void LmtHeartbeat::onTick()
{
    // Counting starts at the first tick: before it the window was still being built.
    if (!m_sinceTick.isValid()) {
        m_sinceTick.start();
        return;
    }
    const qint64 gap = m_sinceTick.restart();
    m_longestGapMs = qMax(m_longestGapMs, gap);
    if (gap >= PauseLogMs)
        qCInfo(lmtPerformance).noquote() << kTag << "GUI thread paused" << gap << "ms";
}

} // namespace zendrel::lmt::setup
