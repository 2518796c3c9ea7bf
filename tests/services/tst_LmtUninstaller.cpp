#include "common/LmtModelFixtures.h"
#include "common/LmtSignalRecords.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "services/LmtUninstaller.h"

#include <QSignalSpy>
#include <QtTest>

using namespace zendrel::lmt::setup;

using Status = lmttest::JobStatus;

// Real uninstall programs (short shell scripts) on the real worker thread: statuses arrive as
// queued signals on this (the GUI) thread, as in the application.
class TestLmtUninstaller : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<LmtCoreToolModel> m_model;
    std::unique_ptr<LmtUninstaller> m_uninstaller;

    // An installed version whose uninstaller is a script with this body; the script appends
    // its feature id to "ran.txt" first, so the order of the runs can be checked.
    std::shared_ptr<LmtLocalToolVersion> installed(const QString &featureId, const QByteArray &body)
    {
        const auto tool = LmtTool::create(featureId, LmtToolType::External, featureId);
        m_model->addTool(tool);
        const auto version = lmttest::addLocal(tool, "1.0.0.1");
        if (!body.isNull()) {
            const QString script = m_sandbox.filePath("uninstall/" + featureId + ".sh");
            lmttest::writeFile(script,
                "#!/bin/sh\necho " + featureId.toUtf8() + " >> '" + ranFile().toUtf8() + "'\n"
                    + body + "\n",
                true);
            version->setUninstallPath(script);
        }
        version->setSelected(false);
        return version;
    }

    QString ranFile() const { return m_sandbox.filePath("ran.txt"); }
    QStringList ran() const
    {
        return lmttest::readTextFile(ranFile()).split('\n', Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void initTestCase() { registerMetaTypes(); }

    void init()
    {
        QFile::remove(ranFile());
        m_model = std::make_shared<LmtCoreToolModel>();
        m_uninstaller = std::make_unique<LmtUninstaller>(m_model);
    }

    void cleanup() { m_uninstaller.reset(); }

    void failuresDoNotStopTheRest()
    {
        QSignalSpy status(m_uninstaller.get(), &ILmtUninstaller::uninstallStatus);
        QSignalSpy errors(m_uninstaller.get(), &ILmtUninstaller::error);
        QSignalSpy uiLog(m_uninstaller.get(), &ILmtUninstaller::appendUILog);
        // Nothing to remove: no worker, not running, a later start is fine.
        m_uninstaller->start({});
        QTest::qWait(50);
        QCOMPARE(status.size(), 0);

        const auto none = installed("com.none", QByteArray()); // no "uninstallPath"
        const auto a = installed("com.a", "exit 0");
        const auto b = installed("com.b", "echo 'cannot remove' >&2; exit 1");
        const auto c = installed("com.c", "exit 0");
        m_uninstaller->start({ none, a, b, c });
        QCOMPARE(lmttest::failureOf([&] { m_uninstaller->start({ a }); }),
            "Uninstaller is already running.");
        QTRY_COMPARE_WITH_TIMEOUT(status.size(), 7, 10000);
        QCOMPARE(lmttest::jobStatuses(status),
            (QList<Status> { { Failed, "com.none", "1.0.0.1" }, { InProgress, "com.a", "1.0.0.1" },
                { Succeeded, "com.a", "1.0.0.1" }, { InProgress, "com.b", "1.0.0.1" },
                { Failed, "com.b", "1.0.0.1" }, { InProgress, "com.c", "1.0.0.1" },
                { Succeeded, "com.c", "1.0.0.1" } }));
        QCOMPARE(ran(), (QStringList { "com.a", "com.b", "com.c" }));
        QCOMPARE(errors.first().at(0).value<LmtErrorCode>(), GeneralError);
        QCOMPARE(lmttest::signalTexts(errors, 1),
            (QStringList {
                "Failed to uninstall 'com.none' - '1.0.0.1' package: process failed to start",
                "Failed to uninstall 'com.b' - '1.0.0.1' package: child process exited with error "
                "code 1: cannot remove" }));
        QCOMPARE(lmttest::signalTexts(uiLog, 0),
            (QStringList { "Started an uninstallation of 'com.a' - '1.0.0.1' package",
                "Successfully uninstalled package 'com.a' - '1.0.0.1'",
                "Started an uninstallation of 'com.b' - '1.0.0.1' package",
                "Started an uninstallation of 'com.c' - '1.0.0.1' package",
                "Successfully uninstalled package 'com.c' - '1.0.0.1'" }));

        // The run is over only when stopped; then a new one may start (with a new worker).
        m_uninstaller->stop();
        m_uninstaller->start({ installed("com.d", "exit 0") });
        QTRY_COMPARE_WITH_TIMEOUT(status.size(), 9, 10000);
        QCOMPARE(lmttest::jobStatuses(status).last(), (Status { Succeeded, "com.d", "1.0.0.1" }));
    }

    void stopWhileTheFirstRuns()
    {
        QSignalSpy status(m_uninstaller.get(), &ILmtUninstaller::uninstallStatus);
        QSignalSpy uiLog(m_uninstaller.get(), &ILmtUninstaller::appendUILog);
        const auto a = installed("com.a", "sleep 0.5; exit 0");
        const auto b = installed("com.b", "exit 0");
        const auto c = installed("com.c", "exit 0");
        m_uninstaller->start({ a, b, c });
        QTRY_COMPARE_WITH_TIMEOUT(status.size(), 1, 10000);
        m_uninstaller->stop();

        QTRY_COMPARE_WITH_TIMEOUT(status.size(), 4, 10000);
        QCOMPARE(lmttest::jobStatuses(status),
            (QList<Status> { { InProgress, "com.a", "1.0.0.1" }, { Cancelled, "com.b", "1.0.0.1" },
                { Cancelled, "com.c", "1.0.0.1" }, { Succeeded, "com.a", "1.0.0.1" } }));
        QCOMPARE(lmttest::signalTexts(uiLog, 0),
            (QStringList { "Started an uninstallation of 'com.a' - '1.0.0.1' package",
                "Cancelled an uninstallation of the 'com.b' - '1.0.0.1'",
                "Cancelled an uninstallation of the 'com.c' - '1.0.0.1'",
                "Successfully uninstalled package 'com.a' - '1.0.0.1'" }));
        QTest::qWait(100);
        QCOMPARE(ran(), QStringList { "com.a" });
        m_uninstaller->stop(); // not running any more: nothing happens
        QCOMPARE(status.size(), 4);
    }

    void destroyedWhileUninstalling()
    {
        // The worker waits for its running uninstaller instead of leaving it behind, and the
        // queued one is cancelled.
        QSignalSpy status(m_uninstaller.get(), &ILmtUninstaller::uninstallStatus);
        m_uninstaller->start(
            { installed("com.a", "sleep 0.3; echo com.a-done >> '" + ranFile().toUtf8() + "'"),
                installed("com.b", "exit 0") });
        QTRY_COMPARE_WITH_TIMEOUT(status.size(), 1, 10000);
        m_uninstaller.reset();
        QCOMPARE(ran(), (QStringList { "com.a", "com.a-done" }));
    }
};

QTEST_GUILESS_MAIN(TestLmtUninstaller)
#include "tst_LmtUninstaller.moc"
