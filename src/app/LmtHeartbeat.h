#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace zendrel::lmt::setup {

// Watches how long the GUI thread is kept from its event loop, for the benchmarks that run the
// real program: a timer ticks every few milliseconds, and every gap between two ticks of at
// least PauseLogMs is logged as it happens ("performance" category, never echoed), the longest
// one once more at exit. Off unless LUMETRA_HEARTBEAT_MS names the interval.
class LmtHeartbeat : public QObject
{
    Q_OBJECT

public:
    static constexpr int PauseLogMs = 20;

    // Started only when the environment asks for it; null otherwise.
    static LmtHeartbeat *startFromEnvironment(QObject *parent);

    LmtHeartbeat(int intervalMs, QObject *parent);
    ~LmtHeartbeat() override;

    qint64 longestGapMs() const { return m_longestGapMs; }

private:
    void onTick();

    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestGapMs = 0;
};

} // namespace zendrel::lmt::setup
