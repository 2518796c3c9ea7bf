#include "common/LmtSignalRecords.h"
#include "common/LmtTableRows.h"
#include "services/LmtProcessHandle.h"
#include "services/LmtRunnerProcess.h"
#include "services/Runner.h"

#include <QtTest>

using namespace zendrel::lmt::lmtqueryapi;
using zendrel::lmt::setup::LmtProcessHandle;
using namespace std::chrono_literals;
using lmttest::rowsFrom;

namespace {

// Whether the process whose id is in the file runs: a process counts as gone once it no longer
// exists or is only a zombie awaiting its reaper.
bool processAlive(const QString &pidFile)
{
    // No id yet must not read as "/proc//stat", the system's own statistics.
    const QByteArray pid = lmttest::readFile(pidFile).trimmed();
    const QByteArray line = pid.isEmpty() ? pid : lmttest::readFile("/proc/" + pid + "/stat");
    const qsizetype close = line.lastIndexOf(')');
    return !line.isEmpty() && (close < 0 || line.mid(close + 2, 1) != "Z");
}

// " [a][b]" for the lines a, b; empty for no lines, so no line and one empty line differ.
QString bracketed(const QStringList &lines)
{
    return lines.isEmpty() ? QString() : " [" + lines.join("][") + "]";
}

// What a run left behind, in one line.
QString state(const Runner &r)
{
    return QStringLiteral("%1%2%3 exit %4 out '%5'%6 err '%7'%8 error '%9'")
        .arg(r.success() ? "ok" : "failed", r.isRunning() ? " running" : "",
            r.timedOut() ? " timed out" : "", QString::number(r.exitCode()), r.standardOutput(),
            bracketed(r.standardOutputLines()), r.standardError(),
            bracketed(r.standardErrorLines()), r.errorMessage());
}

} // namespace

class TestRunner : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    const QString m_dir = m_sandbox.filePath("home");

    // A script with this body; a null body names a program that does not exist.
    QString script(const QString &name, const QByteArray &body)
    {
        const QString path = m_sandbox.filePath(QStringLiteral("scripts/") + name);
        if (!body.isNull() && !lmttest::writeFile(path, "#!/bin/sh\n" + body, true))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    // The process handle's output lines are logged at debug level.
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true")); }

    // A waiting run with the arguments "-x y": what it collected, and what failed, naming the
    // command and the directory ("%1", "%2").
    void runReportsItsOutputOrItsFailure_data() { rowsFrom("services/runner-runs.json"); }
    void runReportsItsOutputOrItsFailure()
    {
        QFETCH(QJsonObject, row);
        const bool detached = row["detached"].toBool();
        const bool inDirectory = !row["noDirectory"].toBool();
        // Without a script the program does not exist.
        const QString tool = script(QTest::currentDataTag(),
            row.contains("script") ? row["script"].toString().toUtf8() : QByteArray());
        Runner runner;
        if (inDirectory)
            runner.setWorkingDirectory(m_dir);
        runner.setDetached(detached);
        runner.setNewProcessGroup(row["group"].toBool());
        runner.setTimeout(std::chrono::milliseconds(row["timeoutMs"].toInt()));
        runner.setForwardOutput(row["forward"].toBool(), row["merged"].toBool());
        // Forwarded output is handed on as it comes instead of being collected.
        QString forwarded;
        connect(&runner, &Runner::standardOutReady, this,
            [&](const QString &t) { forwarded += "out:" + t; });
        connect(&runner, &Runner::standardErrorReady, this,
            [&](const QString &t) { forwarded += "err:" + t; });
        // Stands in for a pipe failure reported by Qt while the child goes on to exit with 0;
        // the run only returns once the child ended, so its output is complete.
        if (row["readError"].toBool()) {
            auto *process = runner.findChild<LmtRunnerProcess *>();
            connect(process, &QProcess::started, process,
                [process] { Q_EMIT process->errorOccurred(QProcess::ReadError); });
        }
        QSignalSpy finished(&runner, &Runner::finished);
        runner.run(tool, { "-x", "y" }, !detached);
        const QString expected = row["state"].toString();
        // A detached run reports no more than its message.
        QCOMPARE(detached ? runner.errorMessage() : state(runner),
            expected.arg(tool, inDirectory ? m_dir : QDir::currentPath()));
        QCOMPARE(forwarded, row["forwarded"].toString());
        QCOMPARE(finished.size(), int(!detached));
        QVERIFY(runner.elapsedMs() >= 0
            && (detached || finished.first() == QVariantList { expected.startsWith("ok") }));
        // A run that times out takes its child's whole group with it.
        if (row.contains("grandchild")) {
            const QString pidFile = m_dir + "/" + row["grandchild"].toString();
            QVERIFY(lmttest::readFile(pidFile).trimmed().toLongLong() > 0);
            QTRY_VERIFY_WITH_TIMEOUT(!processAlive(pidFile), 10000);
        }
    }

    // A second run on the same runner starts from clean results, with its own arguments and
    // working directory; without waiting, it reports when it ends.
    void nextRunStartsCleanAndReportsWhenItEnds()
    {
        Runner runner;
        QSignalSpy finished(&runner, &Runner::finished);
        runner.run(script("first.sh", "echo one\necho warn >&2\n"), {}, true);
        runner.setWorkingDirectory(m_dir);
        runner.run(script("args.sh", "pwd\nfor a in \"$@\"; do echo \"[$a]\"; done\n"),
            { "a b", "c" }, false);
        QVERIFY(runner.isRunning() && runner.standardOutput().isEmpty() && finished.wait(10000));
        QCOMPARE(state(runner),
            QString("ok exit 0 out '%1\n[a b]\n[c]\n' [%1][[a b]][[c]][] err '' error ''")
                .arg(QDir(m_dir).canonicalPath()));
        QCOMPARE(finished, (QList<QVariantList> { { true }, { true } }));
    }

    // Destroying the runner kills the child it waits for, but not one it started detached.
    void destroyingTheRunnerKillsOnlyAnAttachedChild()
    {
        const QString pidFile = m_sandbox.filePath("long.pid");
        const QString marker = m_sandbox.filePath("detached.marker");
        auto runner = std::make_unique<Runner>();
        runner->run(script("long.sh", "echo $$ > \"$1\"\nexec sleep 60\n"), { pidFile }, false);
        QTRY_VERIFY_WITH_TIMEOUT(processAlive(pidFile), 10000);
        QElapsedTimer clock;
        clock.start();
        runner.reset();
        QVERIFY(clock.elapsed() < 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(pidFile), 10000);

        runner = std::make_unique<Runner>();
        runner->setDetached(true);
        runner->setNewProcessGroup(true);
        runner->run(script("detached.sh", "sleep 0.3\necho written > \"$1\"\n"), { marker }, false);
        QCOMPARE(runner->errorMessage(), QString());
        runner.reset();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
    }

    // The child runs a foreground grandchild; the quit signal, sent as soon as the grandchild
    // is ready, reaches both only when the child leads a process group of its own.
    void quitSignalReachesTheWholeGroup_data() { rowsFrom("services/quit-groups.json"); }
    void quitSignalReachesTheWholeGroup()
    {
        QFETCH(QJsonObject, row);
        const bool group = row["group"].toBool();
        const QString parentMarker = m_sandbox.filePath("parent.quit");
        const QString childMarker = m_sandbox.filePath("child.quit");
        QFile::remove(parentMarker), QFile::remove(childMarker);
        Runner runner;
        runner.setNewProcessGroup(group);
        runner.setForwardOutput(true, false);
        connect(&runner, &Runner::standardOutReady, &runner, [&] { runner.sendQuitSignal(); });
        runner.setTimeout(60s);
        runner.run(script("parent.sh", lmttest::fixture("services/quit-parent.sh")),
            { childMarker, parentMarker,
                script("child.sh", lmttest::fixture("services/quit-child.sh")) },
            true);
        QVERIFY(state(runner).startsWith("ok exit 0 "));
        QCOMPARE(QList<bool>({ QFile::exists(childMarker), QFile::exists(parentMarker) }),
            QList<bool>(2, group));
        runner.sendQuitSignal(); // not running: nothing to signal, nothing happens
    }

    // The process handle: the launcher's jobs as the services run them.
    void endReportNamesTheFailure_data() { rowsFrom("services/process-end-reports.json"); }
    void endReportNamesTheFailure()
    {
        QFETCH(QJsonObject, row);
        const bool success = row["success"].toBool();
        lmttest::LogCapture capture;
        const auto handle = LmtProcessHandle::start(
            script("tool.sh", row["script"].toString().toUtf8()), { "x" });
        QSignalSpy out(handle.get(), &LmtProcessHandle::stdOutReady);
        QSignalSpy err(handle.get(), &LmtProcessHandle::stdErrorReady);
        QSignalSpy finished(handle.get(), &LmtProcessHandle::finished);
        if (row["kill"].toBool()) {
            QTRY_VERIFY_WITH_TIMEOUT(!err.isEmpty(), 10000);
            handle->kill();
        }
        // A child that reads its input to the end stops once the writer closes it.
        if (const QByteArray input = row.value("input").toString().toUtf8(); !input.isEmpty()) {
            handle->write(input);
            QVERIFY(!finished.wait(300));
            handle->closeWriteChannel();
        }
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished, (QList<QVariantList> { { success, row["failure"].toString() } }));
        QVERIFY(!row.contains("lastError") || handle->lastError() == row["lastError"].toString());
        QVERIFY(!success
            || (lmttest::signalTexts(out) + lmttest::signalTexts(err)
                    == QStringList { "out x\n", "note\n" }
                && capture.contains("DEBUG] [LmtProcessHandle] STDOUT: out x")
                && capture.contains("CRITICAL] [LmtProcessHandle] STDERR: note")));
        QVERIFY(!handle->isFinished()); // only an explicit wait() marks it so
    }

    void droppedHandleWaitsForItsChild()
    {
        lmttest::LogCapture capture;
        const QString marker = m_sandbox.filePath("late.marker");
        auto handle = LmtProcessHandle::start(
            script("late.sh", "sleep 0.5\necho done > \"$1\"\n"), { marker });
        QVERIFY(!QFile::exists(marker));
        handle.reset();
        // The destructor returned only after the child had written its marker.
        QVERIFY(QFile::exists(marker)
            && capture.contains("[LmtProcessHandle] Called ~LmtProcessHandle while process is "
                                "running"));

        // After an explicit wait the destructor has nothing left to do. A receiver of finished()
        // may mark the handle finished itself while the outer wait is delivering that signal.
        capture.clear();
        auto waited = LmtProcessHandle::start(script("short.sh", "sleep 0.2\n"), {});
        int reports = 0;
        connect(waited.get(), &LmtProcessHandle::finished, this, [&] {
            ++reports;
            waited->wait();
        });
        waited->wait();
        QVERIFY(reports == 1 && waited->isFinished());
        waited.reset();
        QVERIFY(!capture.contains("Called ~LmtProcessHandle"));
    }
};

QTEST_GUILESS_MAIN(TestRunner)
#include "tst_Runner.moc"
