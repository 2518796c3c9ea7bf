#include "common/LmtModelFixtures.h"
#include "common/LmtSignalRecords.h"
#include "services/LmtJobRig.h"
#include "services/LmtUninstaller.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::JobRig;

// Real uninstall programs (short shell scripts) on the real worker thread: statuses arrive as
// queued signals on this (the GUI) thread, as in the application.
class TestLmtUninstaller : public QObject
{
    Q_OBJECT

    JobRig m_rig { "services/uninstall-runs.json" };
    std::unique_ptr<LmtUninstaller> m_uninstaller;
    std::unique_ptr<QSignalSpy> m_status;

    // An installed version whose uninstaller is a script with this body (none for a null
    // body); the script appends its feature id to "ran.txt" first, to show the order of runs.
    std::shared_ptr<LmtLocalToolVersion> installed(const QString &featureId, const QByteArray &body)
    {
        const auto version = lmttest::addLocal(m_rig.tool(featureId), "1.0.0.1");
        const QString script = m_rig.sandbox.filePath("uninstall/" + featureId + ".sh");
        if (!body.isNull()
            && lmttest::writeFile(script,
                "#!/bin/sh\necho " + featureId.toUtf8() + " >> '" + ranFile().toUtf8() + "'\n"
                    + body + "\n",
                true))
            version->setUninstallPath(script);
        version->setSelected(false);
        return version;
    }

    QString ranFile() const { return m_rig.sandbox.filePath("ran.txt"); }
    QStringList ran() const
    {
        return lmttest::readTextFile(ranFile()).split('\n', Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(ranFile());
        m_rig.reset();
        m_uninstaller = std::make_unique<LmtUninstaller>(m_rig.model);
        m_status
            = std::make_unique<QSignalSpy>(m_uninstaller.get(), &ILmtUninstaller::uninstallStatus);
    }

    void cleanup() { m_uninstaller.reset(); }

    void failuresDoNotStopTheRest()
    {
        QSignalSpy errors(m_uninstaller.get(), &ILmtUninstaller::error);
        QSignalSpy uiLog(m_uninstaller.get(), &ILmtUninstaller::appendUILog);
        // Nothing to remove: no worker, not running, a later start is fine.
        m_uninstaller->start({});
        QTest::qWait(50);
        QCOMPARE(m_status->size(), 0);

        const auto a = installed("com.a", "exit 0");
        m_uninstaller->start({ installed("com.none", QByteArray()), a,
            installed("com.b", "echo 'cannot remove' >&2; exit 1"), installed("com.c", "exit 0") });
        QCOMPARE(lmttest::failureOf([&] { m_uninstaller->start({ a }); }),
            "Uninstaller is already running.");
        QTRY_COMPARE_WITH_TIMEOUT(m_status->size(), 7, 10000);
        QCOMPARE(JobRig::statuses(*m_status), m_rig.expected("statuses"));
        QCOMPARE(ran(), (QStringList { "com.a", "com.b", "com.c" }));
        QCOMPARE(errors.first().at(0).value<LmtErrorCode>(), GeneralError);
        QCOMPARE(lmttest::signalTexts(errors, 1), m_rig.expected("errors"));
        QCOMPARE(lmttest::signalTexts(uiLog), m_rig.expected("uiLog"));

        // The run is over only when stopped; then a new one may start (with a new worker).
        m_uninstaller->stop();
        m_uninstaller->start({ installed("com.d", "exit 0") });
        QTRY_COMPARE_WITH_TIMEOUT(m_status->size(), 9, 10000);
        QCOMPARE(JobRig::statuses(*m_status).last(), "Succeeded com.d 1.0.0.1");
    }

    void stopOrDestructionWhileTheFirstRuns()
    {
        QSignalSpy uiLog(m_uninstaller.get(), &ILmtUninstaller::appendUILog);
        m_uninstaller->start({ installed("com.a", "sleep 0.5; exit 0"),
            installed("com.b", "exit 0"), installed("com.c", "exit 0") });
        QTRY_COMPARE_WITH_TIMEOUT(m_status->size(), 1, 10000);
        m_uninstaller->stop();

        QTRY_COMPARE_WITH_TIMEOUT(m_status->size(), 4, 10000);
        QCOMPARE(JobRig::statuses(*m_status), m_rig.expected("statuses"));
        QCOMPARE(lmttest::signalTexts(uiLog), m_rig.expected("uiLog"));
        m_uninstaller->stop(); // not running any more: nothing happens
        QTest::qWait(100);
        QCOMPARE(ran(), QStringList { "com.a" });
        QCOMPARE(m_status->size(), 4);

        // Destroyed, the worker waits for its running uninstaller instead of leaving it behind,
        // and the queued one never runs.
        m_uninstaller->start(
            { installed("com.d", "sleep 0.3; echo com.d-done >> '" + ranFile().toUtf8() + "'"),
                installed("com.e", "exit 0") });
        QTRY_COMPARE_WITH_TIMEOUT(m_status->size(), 5, 10000);
        m_uninstaller.reset();
        QCOMPARE(ran(), (QStringList { "com.a", "com.d", "com.d-done" }));
    }
};

QTEST_GUILESS_MAIN(TestLmtUninstaller)
#include "tst_LmtUninstaller.moc"
