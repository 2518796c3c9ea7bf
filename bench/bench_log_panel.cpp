// What the log panel costs the GUI thread: 20,000 lines announced from another thread through
// the real window's appendUILog signal (as the controller announces a refresh), each logged
// and shown in the panel. Reports the time from the first line until the last one is in the
// panel and painted, the GUI thread's CPU time in that span (the lines come faster than it can
// show them, so it is busy all along; on a busy machine the CPU time is the steadier figure)
// and the longest gap between two ticks of a 1 ms timer on the GUI thread.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_log_panel [lines]

#include "app/LmtEntry.h"
#include "base/LmtSettings.h"
#include "common/LmtTestSupport.h"
#include "services/LmtServiceTypes.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/StatusConsole.h"
#include "ui/LmtMainWindow.h"
#include "views/LmtViewTypes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTest>
#include <QTextDocument>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <ctime>

using namespace zendrel::lmt::setup;
using zendrel::lmt::shared_toolkit::ConsoleMessageType;
using zendrel::lmt::shared_toolkit::StatusConsole;

namespace {

// A mix like a refresh's announcements: mostly plain lines, some warnings, errors, successes.
QString lineText(int i, ConsoleMessageType *type)
{
    switch (i % 20) {
    case 7:
        *type = ConsoleMessageType::Warning;
        return QStringLiteral("Tool %1 has no package for this platform").arg(i);
    case 13:
        *type = ConsoleMessageType::Error;
        return QStringLiteral("Cannot read the release notes of tool %1").arg(i);
    case 17:
        *type = ConsoleMessageType::Auto;
        return QStringLiteral("Successfully created the entry of tool %1").arg(i);
    default:
        *type = ConsoleMessageType::Auto;
        return QStringLiteral("Found tool Bench tool %1, version 1.%2.0.%3 in /opt/tools/t%1")
            .arg(i / 20)
            .arg(i % 10)
            .arg(1000 + i);
    }
}

// CPU time of the calling thread: what the lines cost the GUI thread, whatever else the machine
// runs meanwhile.
qint64 threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

int main(int argc, char **argv)
{
    lmttest::Sandbox sandbox;
    QApplication app(argc, argv);
    const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    zendrel::lmt::shared_toolkit::initLog(sandbox.path(), "bench_log_panel", false);
    registerMetaTypes();
    registerViewMetaTypes();
    // Nothing answers here: the window's own first refresh fails at once.
    applicationSettings().setValue("LmtDownloadSettings/korOnlineUrl", "http://127.0.0.1:1/");

    auto controller = createSetupController();
    auto window = std::make_unique<LmtMainWindow>(controller);
    window->init();
    window->show();
    auto *panel = window->findChild<StatusConsole *>(QStringLiteral("m_logPanel"));
    // The start-up (launcher service, first refresh) announces its own lines first.
    QTest::qWait(4000);
    const int before = panel->document()->blockCount();

    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(
        &heartbeat, &QTimer::timeout, [&] { longestGap = qMax(longestGap, sinceTick.restart()); });

    LmtMainWindow *target = window.get();
    QThread *producer = QThread::create([target, lines] {
        for (int i = 0; i < lines; ++i) {
            ConsoleMessageType type = ConsoleMessageType::Auto;
            const QString text = lineText(i, &type);
            Q_EMIT target->appendUILog(text, type);
        }
    });
    const qint64 cpuBefore = threadCpuMs();
    clock.start();
    sinceTick.start();
    heartbeat.start();
    producer->start();
    const bool shown = QTest::qWaitFor(
        [&] { return panel->document()->blockCount() - before >= lines; }, 120000);
    panel->repaint();
    const qint64 total = clock.elapsed();
    const qint64 cpu = threadCpuMs() - cpuBefore;
    heartbeat.stop();
    producer->wait();
    delete producer;

    std::printf("%d lines %s: %lld ms until all are in the panel and painted, %lld ms of it on "
                "the GUI thread's CPU, longest GUI pause %lld ms\n",
        lines, shown ? "shown" : "NOT all shown", static_cast<long long>(total),
        static_cast<long long>(cpu), static_cast<long long>(longestGap));
    window.reset();
    controller.reset();
    return shown ? 0 : 1;
}
