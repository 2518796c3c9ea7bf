#include "common/LmtTestSupport.h"
#include "services/LmtRunnerProcess.h"
#include "services/Runner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace zendrel::lmt::lmtqueryapi;
using namespace std::chrono_literals;

namespace {

// A process counts as gone once it no longer exists or is only a zombie awaiting its reaper.
bool processAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) != "Z";
}

qint64 readPid(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().trimmed().toLongLong();
}

} // namespace

class TestRunner : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

    QString script(const QString &name, const QByteArray &body)
    {
        const QString path = m_sandbox.filePath(QStringLiteral("scripts/") + name);
        if (!lmttest::writeFile(path, "#!/bin/sh\n" + body, true))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void waitingRunCollectsTextAndLines()
    {
        const QString tool = script("print.sh",
            "printf 'one\\n\\nthree \\303\\244\\n'\n"
            "printf 'warn\\n' >&2\n");
        Runner runner;
        QSignalSpy finished(&runner, &Runner::finished);
        runner.run(tool, {}, true);

        QVERIFY(runner.success());
        QVERIFY(!runner.isRunning());
        QCOMPARE(runner.exitCode(), 0);
        QCOMPARE(runner.errorMessage(), QString());
        QCOMPARE(runner.standardOutput(), QString::fromUtf8("one\n\nthree ä\n"));
        QCOMPARE(runner.standardOutputLines(),
            QStringList({ "one", "", QString::fromUtf8("three ä"), "" }));
        QCOMPARE(runner.standardError(), "warn\n");
        QCOMPARE(runner.standardErrorLines(), QStringList({ "warn", "" }));
        QVERIFY(runner.elapsedMs() >= 0);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toBool(), true);

        // A second run on the same runner starts from clean results.
        const QString silent = script("silent.sh", "exit 0\n");
        runner.run(silent, {}, true);
        QVERIFY(runner.success());
        QCOMPARE(runner.standardOutput(), QString());
        QCOMPARE(runner.standardOutputLines(), QStringList());
        QCOMPARE(runner.standardErrorLines(), QStringList());
        QCOMPARE(finished.count(), 2);
    }

    void argumentsAndWorkingDirectoryReachTheChild()
    {
        const QString tool = script("args.sh", "pwd\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
        const QString dir = m_sandbox.filePath("home");
        Runner runner;
        runner.setWorkingDirectory(dir);
        runner.run(tool, { "a b", "c" }, true);
        QVERIFY(runner.success());
        QCOMPARE(runner.standardOutputLines(),
            QStringList({ QDir(dir).canonicalPath(), "[a b]", "[c]", "" }));
    }

    void failureMessagesNameCommandAndDirectory()
    {
        const QString failing = script("fail.sh", "echo 'bad input' >&2\nexit 3\n");
        const QString dir = m_sandbox.filePath("home");
        {
            Runner runner;
            runner.setWorkingDirectory(dir);
            runner.run(failing, { "-x", "y" }, true);
            QVERIFY(!runner.success());
            QCOMPARE(runner.exitCode(), 3);
            QCOMPARE(runner.errorMessage(),
                QString("command '%1 -x y'\n  directory '%2'\n  child process exited with "
                        "error code 3")
                    .arg(failing, dir));
            QCOMPARE(runner.standardErrorLines(), QStringList({ "bad input", "" }));
        }
        {
            // Without a working directory the current one is named.
            Runner runner;
            runner.run(failing, {}, true);
            QCOMPARE(runner.errorMessage(),
                QString("command '%1'\n  directory '%2'\n  child process exited with error "
                        "code 3")
                    .arg(failing, QDir::currentPath()));
        }
        {
            const QString crashing = script("crash.sh", "kill -SEGV $$\n");
            Runner runner;
            runner.setWorkingDirectory(dir);
            runner.run(crashing, {}, true);
            QVERIFY(!runner.success());
            QVERIFY(!runner.isRunning());
            QCOMPARE(runner.errorMessage(),
                QString("command '%1', directory '%2' - process crashed").arg(crashing, dir));
        }
        {
            const QString missing = m_sandbox.filePath("scripts/no-such-tool");
            Runner runner;
            runner.setWorkingDirectory(dir);
            QSignalSpy finished(&runner, &Runner::finished);
            runner.run(missing, { "--version" }, true);
            QVERIFY(!runner.success());
            QVERIFY(!runner.isRunning());
            QCOMPARE(runner.errorMessage(),
                QString("the command '%1 --version', directory '%2' - child program failed "
                        "to start")
                    .arg(missing, dir));
            QCOMPARE(finished.count(), 1);
            QCOMPARE(finished.first().first().toBool(), false);
        }
    }

    void readErrorWithExitCodeZeroFails()
    {
        const QString tool = script("reads.sh", "echo partial\nexit 0\n");
        const QString dir = m_sandbox.filePath("home");
        Runner runner;
        runner.setWorkingDirectory(dir);
        auto *process = runner.findChild<LmtRunnerProcess *>();
        QVERIFY(process);
        // Stands in for a pipe failure reported by Qt while the child goes on to exit with 0.
        connect(process, &QProcess::started, process,
            [process] { Q_EMIT process->errorOccurred(QProcess::ReadError); });
        runner.run(tool, {}, true);

        QVERIFY(!runner.isRunning());
        QVERIFY(!runner.success());
        QCOMPARE(runner.exitCode(), 0);
        QCOMPARE(runner.errorMessage(),
            QString("command '%1', directory '%2' - child program read error from "
                    "stdout/stderr")
                .arg(tool, dir));
        // The run only returns once the child ended, so its output is complete.
        QCOMPARE(runner.standardOutputLines(), QStringList({ "partial", "" }));
    }

    void channelOptions()
    {
        const QString tool = script("both.sh", "echo out\necho err >&2\ncat\necho after-cat\n");
        {
            Runner runner;
            runner.setForwardOutput(false, true);
            runner.run(tool, {}, true);
            QVERIFY(runner.success());
            // Merged: both channels in standard output; standard input is the null device, so
            // "cat" ends at once.
            QVERIFY(runner.standardOutput().contains("out\n"));
            QVERIFY(runner.standardOutput().contains("err\n"));
            QVERIFY(runner.standardOutput().endsWith("after-cat\n"));
            QCOMPARE(runner.standardError(), QString());
        }
        {
            Runner runner;
            runner.setForwardOutput(true, false);
            QString forwardedOut;
            QString forwardedErr;
            connect(&runner, &Runner::standardOutReady, this,
                [&](const QString &text) { forwardedOut += text; });
            connect(&runner, &Runner::standardErrorReady, this,
                [&](const QString &text) { forwardedErr += text; });
            runner.run(tool, {}, true);
            QVERIFY(runner.success());
            QCOMPARE(forwardedOut, "out\nafter-cat\n");
            QCOMPARE(forwardedErr, "err\n");
            // Forwarded text is not collected a second time.
            QCOMPARE(runner.standardOutput(), QString());
            QCOMPARE(runner.standardOutputLines(), QStringList());
        }
    }

    void runWithoutWaitingReportsLater()
    {
        const QString tool = script("later.sh", "echo done\n");
        Runner runner;
        QSignalSpy finished(&runner, &Runner::finished);
        runner.run(tool, {}, false);
        QVERIFY(runner.isRunning());
        QCOMPARE(runner.errorMessage(), QString());
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().toBool(), true);
        QVERIFY(!runner.isRunning());
        QCOMPARE(runner.standardOutputLines(), QStringList({ "done", "" }));
    }

    void destroyingTheRunnerKillsItsChild()
    {
        const QString pidFile = m_sandbox.filePath("long.pid");
        const QString tool = script("long.sh", "echo $$ > \"$1\"\nexec sleep 60\n");
        auto runner = std::make_unique<Runner>();
        runner->run(tool, { pidFile }, false);
        QTRY_VERIFY_WITH_TIMEOUT(readPid(pidFile) > 0, 10000);
        const qint64 pid = readPid(pidFile);
        QVERIFY(processAlive(pid));

        QElapsedTimer clock;
        clock.start();
        runner.reset();
        QVERIFY(clock.elapsed() < 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(pid), 10000);
    }

    void detachedRunOutlivesTheRunner()
    {
        const QString marker = m_sandbox.filePath("detached.marker");
        const QString tool = script("detached.sh", "sleep 0.3\necho written > \"$1\"\n");
        {
            auto *runner = new Runner;
            runner->setDetached(true);
            runner->setNewProcessGroup(true);
            runner->run(tool, { marker }, false);
            QCOMPARE(runner->errorMessage(), QString());
            delete runner;
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);

        const QString missing = m_sandbox.filePath("scripts/not-there");
        const QString dir = m_sandbox.filePath("home");
        Runner runner;
        runner.setDetached(true);
        runner.setWorkingDirectory(dir);
        runner.run(missing, { "a" }, false);
        QCOMPARE(runner.errorMessage(),
            QString("command '%1 a', directory '%2' - failed to start").arg(missing, dir));
    }

    void quitSignalReachesTheWholeGroup()
    {
        // The child starts a foreground grandchild; both note the quit signal in a file each.
        const QString parentMarker = m_sandbox.filePath("parent.quit");
        const QString childMarker = m_sandbox.filePath("child.quit");
        const QString grandchild = script("grandchild.sh",
            "trap 'echo quit > \"$1\"; exit 0' INT\n"
            "echo ready\n"
            "while :; do sleep 0.1; done\n");
        const QString tool = script("group.sh",
            "trap 'echo quit > \"$2\"; exit 0' INT\n"
            "\"$3\" \"$1\"\n");
        Runner runner;
        runner.setNewProcessGroup(true);
        runner.setForwardOutput(true, false);
        connect(&runner, &Runner::standardOutReady, &runner, &Runner::sendQuitSignal);
        runner.setTimeout(60s);
        runner.run(tool, { childMarker, parentMarker, grandchild }, true);

        QVERIFY(!runner.timedOut());
        QVERIFY(!runner.isRunning());
        QVERIFY(QFile::exists(childMarker));
        QVERIFY(QFile::exists(parentMarker));
    }

    void quitSignalNeedsAProcessGroup()
    {
        const QString marker = m_sandbox.filePath("nogroup.quit");
        const QString tool = script("nogroup.sh",
            "trap 'echo quit > \"$1\"; exit 0' INT\n"
            "echo ready\n"
            "sleep 1\n"
            "echo finished\n");
        Runner runner;
        runner.setForwardOutput(true, false);
        QString output;
        connect(&runner, &Runner::standardOutReady, &runner, [&](const QString &text) {
            output += text;
            runner.sendQuitSignal();
        });
        runner.run(tool, { marker }, true);
        QVERIFY(runner.success());
        QCOMPARE(output, "ready\nfinished\n");
        QVERIFY(!QFile::exists(marker));
        // Not running: nothing to signal, nothing happens.
        runner.sendQuitSignal();
    }

    void timeOutKillsTheChildAndItsGroup()
    {
        const QString pidFile = m_sandbox.filePath("hang.pid");
        const QString tool = script("hang.sh", "sleep 60 &\necho $! > \"$1\"\nwait\n");
        const QString dir = m_sandbox.filePath("home");
        Runner runner;
        runner.setWorkingDirectory(dir);
        runner.setNewProcessGroup(true);
        runner.setTimeout(300ms);
        QElapsedTimer clock;
        clock.start();
        runner.run(tool, { pidFile }, true);

        QVERIFY(clock.elapsed() < 20000);
        QVERIFY(runner.timedOut());
        QVERIFY(!runner.success());
        QVERIFY(!runner.isRunning());
        QCOMPARE(runner.errorMessage(),
            QString("command '%1 %2', directory '%3' - child program timed out")
                .arg(tool, pidFile, dir));
        const qint64 sleeper = readPid(pidFile);
        QVERIFY(sleeper > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(sleeper), 10000);

        // The limit only ends runs that outlive it.
        const QString quick = script("quick.sh", "echo fast\n");
        runner.run(quick, {}, true);
        QVERIFY(runner.success());
        QVERIFY(!runner.timedOut());
    }
};

QTEST_GUILESS_MAIN(TestRunner)
#include "tst_Runner.moc"
