#include "common/LmtTestSupport.h"
#include "services/LmtProcessHandle.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

#include <stdexcept>

using namespace zendrel::lmt::setup;

class TestRunnerProcessHandle : public QObject
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
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true")); }

    void outputIsForwardedAndLogged()
    {
        lmttest::LogCapture capture;
        const QString tool = script("talk.sh", "echo \"out $1\"\necho 'note' >&2\nexit 0\n");
        const auto handle = LmtProcessHandle::start(tool, { "x" });
        QString out;
        QString err;
        connect(handle.get(), &LmtProcessHandle::stdOutReady, this,
            [&](const QString &text) { out += text; });
        connect(handle.get(), &LmtProcessHandle::stdErrorReady, this,
            [&](const QString &text) { err += text; });
        QSignalSpy finished(handle.get(), &LmtProcessHandle::finished);
        QVERIFY(finished.wait(10000));

        QCOMPARE(finished.first().at(0).toBool(), true);
        QCOMPARE(finished.first().at(1).toString(), QString());
        QCOMPARE(out, "out x\n");
        QCOMPARE(err, "note\n");
        QCOMPARE(handle->lastError(), "note");
        QVERIFY(capture.contains("DEBUG] [LmtProcessHandle] STDOUT: out x"));
        QVERIFY(capture.contains("CRITICAL] [LmtProcessHandle] STDERR: note"));

        QVERIFY(!handle->isFinished());
        handle->wait();
        QVERIFY(handle->isFinished());
    }

    void nonZeroExitCodeCarriesTheLastErrorLine()
    {
        const QString tool = script("three.sh", "echo 'disk full' >&2\nexit 3\n");
        const auto handle = LmtProcessHandle::start(tool, {});
        QSignalSpy finished(handle.get(), &LmtProcessHandle::finished);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().at(0).toBool(), false);
        QCOMPARE(
            finished.first().at(1).toString(), "child process exited with error code 3: disk full");
        QCOMPARE(handle->lastError(), "child process exited with error code 3: disk full");
        handle->wait();
    }

    void killedChildIsReportedAsCrashed()
    {
        const QString tool = script("hang.sh", "echo 'working' >&2\nexec sleep 60\n");
        const auto handle = LmtProcessHandle::start(tool, {});
        QSignalSpy errors(handle.get(), &LmtProcessHandle::stdErrorReady);
        QVERIFY(errors.wait(10000));
        QSignalSpy finished(handle.get(), &LmtProcessHandle::finished);
        handle->kill();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().at(0).toBool(), false);
        QCOMPARE(finished.first().at(1).toString(), "process crashed working");
        handle->wait();
    }

    void inputReachesTheChild()
    {
        const QString tool = script("echo.sh", "read line\necho \"got $line\"\n");
        const auto handle = LmtProcessHandle::start(tool, {});
        QSignalSpy out(handle.get(), &LmtProcessHandle::stdOutReady);
        handle->write("secret\n");
        QVERIFY(out.wait(10000));
        QCOMPARE(out.first().first().toString(), "got secret\n");
        handle->wait();
    }

    void inputClosedAfterWriting()
    {
        // A child that reads its input to the end stops once the writer closes it.
        const QString tool = script("cat.sh", "cat\n");
        const auto handle = LmtProcessHandle::start(tool, {});
        QSignalSpy finished(handle.get(), &LmtProcessHandle::finished);
        handle->write("password\n");
        handle->closeWriteChannel();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().at(0).toBool(), true);
    }

    void waitCalledAgainFromTheEndReport()
    {
        // Receivers of finished() may mark the handle finished themselves while an outer wait
        // is delivering that very signal.
        const auto handle = LmtProcessHandle::start(script("short.sh", "sleep 0.2\n"), {});
        int reports = 0;
        connect(handle.get(), &LmtProcessHandle::finished, this, [&] {
            ++reports;
            handle->wait();
        });
        handle->wait();
        QCOMPARE(reports, 1);
        QVERIFY(handle->isFinished());
    }

    void startFailureThrows()
    {
        const QString missing = m_sandbox.filePath("scripts/absent");
        try {
            LmtProcessHandle::start(missing, {});
            QFAIL("no exception");
        } catch (const std::runtime_error &e) {
            QCOMPARE(QString::fromUtf8(e.what()), "process failed to start");
        }
    }

    void droppedHandleWaitsForItsChild()
    {
        lmttest::LogCapture capture;
        const QString marker = m_sandbox.filePath("late.marker");
        const QString tool = script("late.sh", "sleep 0.5\necho done > \"$1\"\n");
        auto handle = LmtProcessHandle::start(tool, { marker });
        QVERIFY(!QFile::exists(marker));
        handle.reset();
        // The destructor returned only after the child had written its marker.
        QVERIFY(QFile::exists(marker));
        QVERIFY(capture.contains("[LmtProcessHandle] Called ~LmtProcessHandle while process is "
                                 "running"));

        // After an explicit wait the destructor has nothing left to do.
        capture.clear();
        auto waited = LmtProcessHandle::start(script("quick.sh", "exit 0\n"), {});
        waited->wait();
        waited.reset();
        QVERIFY(!capture.contains("Called ~LmtProcessHandle"));
    }
};

QTEST_GUILESS_MAIN(TestRunnerProcessHandle)
#include "tst_RunnerProcessHandle.moc"
