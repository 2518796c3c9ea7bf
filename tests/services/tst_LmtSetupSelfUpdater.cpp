#include "common/LmtFakeConnector.h"
#include "common/LmtSignalRecords.h"
#include "common/LmtTableRows.h"
#include "services/ILmtSetupInstallation.h"
#include "services/LmtSetupSelfUpdater.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::rowsFrom;
using lmttest::signalTexts;

const QString SetupId = QStringLiteral("com.zdr.tb.tool.lumetrasetup");

// The running program's installation as the local registry would report it.
struct FixedInstallation : ILmtSetupInstallation {
    LmtToolInstallScope scope = LmtToolInstallScope::CurrentUser;
    int setupInstallScope() const override { return int(scope); }
};

class TestLmtSetupSelfUpdater : public QObject
{
    Q_OBJECT

    std::shared_ptr<lmttest::FakeConnector> m_connector;
    std::shared_ptr<FixedInstallation> m_installation;
    std::unique_ptr<LmtSetupSelfUpdater> m_updater;

    // "<feature id> <version> <arguments>" of each recorded call of the operation.
    QStringList calls(const QString &operation) const
    {
        QStringList lines;
        for (const lmttest::FakeConnector::Call &call : m_connector->calls(operation))
            lines << call.featureId + ' ' + call.version + ' ' + call.arguments.join(' ');
        return lines;
    }
    QString state() const
    {
        return QStringLiteral("started %1 downloaded %2")
            .arg(int(m_updater->isUpdateStarted()))
            .arg(int(m_updater->isUpdateDownloaded()));
    }

private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationVersion("1.2.0.787"); }

    void init()
    {
        m_connector = std::make_shared<lmttest::FakeConnector>();
        m_installation = std::make_shared<FixedInstallation>();
        m_updater = std::make_unique<LmtSetupSelfUpdater>(m_connector, m_installation);
    }

    void cleanup() { m_updater.reset(); }

    void checkStartsTheServiceAndReportsTheResult()
    {
        QSignalSpy uiLog(m_updater.get(), &ILmtSetupSelfUpdater::appendUILog);
        QSignalSpy available(m_updater.get(), &ILmtSetupSelfUpdater::updateAvailable);

        m_connector->setStarted(false);
        m_connector->setUpdateCheck(false);
        QVERIFY(!m_updater->checkForUpdate());
        QCOMPARE(calls("checkForUpdate"), QStringList { SetupId + "  " });
        m_connector->setUpdateCheck(true, "1.3.0.800");
        QVERIFY(m_updater->checkForUpdate());
        QCOMPARE(m_connector->calls("start").size(), 1); // started once, then already running
        QCOMPARE(signalTexts(uiLog),
            QStringList({ "You are using the latest version of Lumetra™ Setup.",
                "Found new Lumetra™ Setup version: 1.3.0.800" }));
        QCOMPARE(signalTexts(available), QStringList { "1.3.0.800" });
        QCOMPARE(state(), "started 0 downloaded 0");

        // The controller reports connector failures; the updater lets them through.
        m_connector->setUpdateCheck(false, QString(), "-kor.service 'checkUpdate' command failed");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, m_updater->checkForUpdate());
    }

    // A failed download returns to idle; one that cannot even start stays "downloading".
    void downloadEndsDownloadedOrIdle_data() { rowsFrom("services/self-update-downloads.json"); }
    void downloadEndsDownloadedOrIdle()
    {
        QFETCH(QJsonObject, row);
        // No script: the launcher does not start.
        const QByteArray script
            = row.contains("script") ? row["script"].toString().toUtf8() : QByteArray();
        QSignalSpy uiLog(m_updater.get(), &ILmtSetupSelfUpdater::appendUILog);
        QSignalSpy errors(m_updater.get(), &ILmtSetupSelfUpdater::error);
        m_connector->setUpdateCheck(true, "1.3.0.800");
        m_updater->checkForUpdate();
        uiLog.clear();
        m_connector->setDownloadScript(
            [script](const QString &, const QString &) { return script; });

        m_updater->startDownloadUpdate();
        QCOMPARE(state(), "started 1 downloaded 0");
        QCOMPARE(calls("download"), QStringList { SetupId + " 1.3.0.800 " });
        QTRY_COMPARE_WITH_TIMEOUT(errors.size() + int(m_updater->isUpdateDownloaded()), 1, 10000);
        QCOMPARE(state(), row["state"].toString());
        QCOMPARE(signalTexts(errors, 1), row["errors"].toVariant().toStringList());
        QVERIFY(errors.isEmpty() || errors.first().at(0).value<LmtErrorCode>() == GeneralError);
        QVERIFY(!row.contains("uiLog")
            || signalTexts(uiLog) == row["uiLog"].toVariant().toStringList());

        // Asked again: a download still under way is not started twice.
        uiLog.clear();
        m_updater->startDownloadUpdate();
        const bool underWay = row["state"].toString() == "started 1 downloaded 0";
        QCOMPARE(m_connector->calls("download").size(), underWay ? 1 : 2);
        QCOMPARE(signalTexts(uiLog).contains("Update download is already started"), underWay);
    }

    // The update keeps the scope the running program was installed for.
    void detachedUpdateArguments_data() { rowsFrom("services/self-update-scopes.json"); }
    void detachedUpdateArguments()
    {
        QFETCH(QJsonObject, row);
        m_installation->scope = LmtToolInstallScope(row["scope"].toInt());
        QSignalSpy uiLog(m_updater.get(), &ILmtSetupSelfUpdater::appendUILog);
        m_connector->setUpdateCheck(true, "1.3.0.800");
        m_updater->checkForUpdate();
        m_updater->startToInstallUpdate();
        QCOMPARE(calls("updateDetached"),
            QStringList { SetupId + " 1.3.0.800 -- " + row["switch"].toString()
                + " /dir=" + QCoreApplication::applicationDirPath() });
        QCOMPARE(uiLog.last().first().toString(), "Starting update of the Lumetra™ Setup");
    }
};

QTEST_GUILESS_MAIN(TestLmtSetupSelfUpdater)
#include "tst_LmtSetupSelfUpdater.moc"
