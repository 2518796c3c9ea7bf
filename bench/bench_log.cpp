// Lines per second into the log file: program lines logged through the Qt message handler the
// program installs, into a real file, as the program logs them (category "LOCAL", info level,
// a tag and a text). Echo to standard error is off, as it is a separate stream; the last
// figure includes closing the file, so every line is on disk.
//
// Run: build/bench/bench_log [lines]

#include "common/LmtTestSupport.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

using zendrel::lmt::shared_toolkit::initLog;
using zendrel::lmt::shared_toolkit::Log;

int main(int argc, char **argv)
{
    lmttest::Sandbox sandbox;
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    Log *log = initLog(sandbox.path(), "bench_log", false);
    if (!log)
        return 1;
    const QString path = log->fileName();
    // Texts made beforehand: what is measured is the log, not the formatting of the texts.
    QStringList texts;
    for (int i = 0; i < 1000; ++i)
        texts << QStringLiteral("Version 1.%1.0.%2 of com.bench.tool%3 read")
                     .arg(i % 10)
                     .arg(i)
                     .arg(i % 7);

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < lines; ++i) {
        qCInfo(lmtLocal).noquote() << "[LmtOnlineRegistryParser]" << texts.at(i % 1000);
    }
    const qint64 logged = clock.nsecsElapsed();
    log->close();
    const qint64 closed = clock.nsecsElapsed();
    std::printf("%d lines, %lld bytes: %.0f lines/s logged, %.0f lines/s with the file closed\n",
        lines, static_cast<long long>(QFileInfo(path).size()), lines * 1e9 / double(logged),
        lines * 1e9 / double(closed));
    return 0;
}
