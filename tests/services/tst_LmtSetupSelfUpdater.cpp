#include "base/LmtSettings.h"
#include "common/LmtFakeConnector.h"
#include "common/LmtSignalRecords.h"
#include "common/LmtTestSupport.h"
#include "services/ILmtSetupInstallation.h"
#include "services/LmtServiceTypes.h"
#include "services/LmtSetupSelfUpdater.h"

#include <QCoreApplication>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::FakeConnector;

namespace {

const QString SetupId = QStringLiteral("com.zdr.tb.tool.lumetrasetup");

// The running program's installation as the local registry would report it.
class FixedInstallation : public ILmtSetupInstallation
{
public:
    explicit FixedInstallation(LmtToolInstallScope scope)
        : m_scope(scope)
    {
    }
    int setupInstallScope() const override { return int(m_scope); }

private:
    LmtToolInstallScope m_scope;
};

} // namespace

class TestLmtSetupSelfUpdater : public QObject
{
    Q_OBJECT

    std::shared_ptr<FakeConnector> m_connector;
    std::unique_ptr<LmtSetupSelfUpdater> m_updater;

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        QCoreApplication::setApplicationVersion("1.2.0.787");
    }

    void init()
    {
        m_connector = std::make_shared<FakeConnector>();
        m_updater = std::make_unique<LmtSetupSelfUpdater>(
            m_connector, std::make_shared<FixedInstallation>(LmtToolInstallScope::CurrentUser));
    }

    void cleanup() { m_updater.reset(); }

    void checkForUpdatesSetting()
    {
        applicationSettings().remove("LmtSetupSelfUpdater");
        QVERIFY(LmtSetupSelfUpdater::checkForUpdatesEnabled()); // never written
        LmtSetupSelfUpdater::setCheckForUpdatesEnabled(false);
        QCOMPARE(
            applicationSettings().value("LmtSetupSelfUpdater/CheckForUpdates").toBool(), false);
        QVERIFY(!LmtSetupSelfUpdater::checkForUpdatesEnabled());
        LmtSetupSelfUpdater::setCheckForUpdatesEnabled(true);
        QVERIFY(LmtSetupSelfUpdater::checkForUpdatesEnabled());
    }

    void checkStartsTheServiceAndReportsTheResult()
    {
        QSignalSpy uiLog(m_updater.get(), &ILmtSetupSelfUpdater::appendUILog);
        QSignalSpy available(m_updater.get(), &ILmtSetupSelfUpdater::updateAvailable);

        m_connector->setStarted(false);
        m_connector->setUpdateCheck(false);
        QVERIFY(!m_updater->checkForUpdate());
        QCOMPARE(m_connector->calls("start").size(), 1);
        QCOMPARE(m_connector->calls("checkForUpdate").size(), 1);
        QCOMPARE(m_connector->calls("checkForUpdate").first().featureId, SetupId);
        QCOMPARE(lmttest::signalTexts(uiLog),
            QStringList { "You are using the latest version of Lumetra™ Setup." });
        QCOMPARE(available.size(), 0);

        uiLog.clear();
        m_connector->setUpdateCheck(true, "1.3.0.800");
        QVERIFY(m_updater->checkForUpdate());
        QCOMPARE(m_connector->calls("start").size(), 1); // already started
        QCOMPARE(lmttest::signalTexts(uiLog),
            QStringList { "Found new Lumetra™ Setup version: 1.3.0.800" });
        QCOMPARE(lmttest::signalTexts(available), QStringList { "1.3.0.800" });
        QVERIFY(!m_updater->isUpdateStarted());

        // The controller reports connector failures; the updater lets them through.
        m_connector->setUpdateCheck(false, QString(), "-kor.service 'checkUpdate' command failed");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, m_updater->checkForUpdate());
    }

    void downloadRequestedTwiceAndItsOutcomes()
    {
        QSignalSpy uiLog(m_updater.get(), &ILmtSetupSelfUpdater::appendUILog);
        QSignalSpy errors(m_updater.get(), &ILmtSetupSelfUpdater::error);
        m_connector->setUpdateCheck(true, "1.3.0.800");
        m_updater->checkForUpdate();
        uiLog.clear();

        m_connector->setDownloadScript(
            [](const QString &, const QString &) { return QByteArray("sleep 0.3; exit 0"); });
        m_updater->startDownloadUpdate();
        QVERIFY(m_updater->isUpdateStarted());
        QVERIFY(!m_updater->isUpdateDownloaded());
        m_updater->startDownloadUpdate();
        QCOMPARE(m_connector->calls("download").size(), 1);
        QCOMPARE(m_connector->calls("download").first().featureId, SetupId);
        QCOMPARE(m_connector->calls("download").first().version, "1.3.0.800");
        QCOMPARE(lmttest::signalTexts(uiLog),
            (QStringList { "Downloading Lumetra™ Setup update: 1.3.0.800",
                "Update download is already started" }));

        QTRY_VERIFY_WITH_TIMEOUT(m_updater->isUpdateDownloaded(), 10000);
        QVERIFY(m_updater->isUpdateStarted());
        QCOMPARE(uiLog.last().first().toString(),
            "Lumetra™ Setup update is downloaded. It will be installed once the application is "
            "closed.");
        QCOMPARE(errors.size(), 0);

        // A failed download returns to idle and may be requested again.
        auto failing = std::make_unique<LmtSetupSelfUpdater>(m_connector, nullptr);
        QSignalSpy failingErrors(failing.get(), &ILmtSetupSelfUpdater::error);
        m_connector->setDownloadScript([](const QString &, const QString &) {
            return QByteArray("echo 'no space left' >&2; exit 2");
        });
        failing->startDownloadUpdate();
        QTRY_COMPARE_WITH_TIMEOUT(failingErrors.size(), 1, 10000);
        QCOMPARE(failingErrors.first().at(0).value<LmtErrorCode>(), GeneralError);
        QCOMPARE(failingErrors.first().at(1).toString(),
            "Failed to download Lumetra™ Setup update: 'child process exited with error code 2: no "
            "space left'");
        QVERIFY(!failing->isUpdateStarted());
        failing->startDownloadUpdate();
        QCOMPARE(m_connector->calls("download").size(), 3);
        QVERIFY(failing->isUpdateStarted());
        QTRY_COMPARE_WITH_TIMEOUT(failingErrors.size(), 2, 10000);

        // A download that cannot even start keeps the state "downloading".
        auto broken = std::make_unique<LmtSetupSelfUpdater>(m_connector, nullptr);
        QSignalSpy brokenErrors(broken.get(), &ILmtSetupSelfUpdater::error);
        QSignalSpy brokenLog(broken.get(), &ILmtSetupSelfUpdater::appendUILog);
        m_connector->setDownloadScript(
            [](const QString &, const QString &) { return QByteArray(); });
        broken->startDownloadUpdate();
        QCOMPARE(lmttest::signalTexts(brokenErrors, 1),
            QStringList { "Error: process failed to start" });
        QVERIFY(broken->isUpdateStarted());
        broken->startDownloadUpdate();
        QCOMPARE(
            lmttest::signalTexts(brokenLog), QStringList { "Update download is already started" });
    }

    void detachedUpdateArguments()
    {
        QSignalSpy uiLog(m_updater.get(), &ILmtSetupSelfUpdater::appendUILog);
        m_connector->setUpdateCheck(true, "1.3.0.800");
        m_updater->checkForUpdate();
        m_updater->startToInstallUpdate();
        const QString dir = "/dir=" + QCoreApplication::applicationDirPath();
        QCOMPARE(m_connector->calls("updateDetached").size(), 1);
        FakeConnector::Call call = m_connector->calls("updateDetached").first();
        QCOMPARE(call.featureId, SetupId);
        QCOMPARE(call.version, "1.3.0.800");
        QCOMPARE(call.arguments, (QStringList { "--", "/currentuser", dir }));
        QCOMPARE(uiLog.last().first().toString(), "Starting update of the Lumetra™ Setup");

        // Installed for all users: the update keeps that scope.
        auto allUsers = std::make_unique<LmtSetupSelfUpdater>(
            m_connector, std::make_shared<FixedInstallation>(LmtToolInstallScope::AllUsers));
        allUsers->checkForUpdate();
        allUsers->startToInstallUpdate();
        call = m_connector->calls("updateDetached").last();
        QCOMPARE(call.version, "1.3.0.800");
        QCOMPARE(call.arguments, (QStringList { "--", "/allusers", dir }));
    }
};

QTEST_GUILESS_MAIN(TestLmtSetupSelfUpdater)
#include "tst_LmtSetupSelfUpdater.moc"
