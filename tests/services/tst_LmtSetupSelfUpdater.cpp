#include "base/LmtSettings.h"
#include "common/LmtFakeConnector.h"
#include "common/LmtServiceCases.h"
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

    // A failed download returns to idle; one that cannot even start stays "downloading".
    void downloadEndsDownloadedOrIdle_data()
    {
        lmttest::rowsFrom("services/self-update-downloads.json");
    }
    void downloadEndsDownloadedOrIdle()
    {
        QFETCH(QJsonObject, row);
        // No script: the launcher does not start.
        const QByteArray script
            = row.contains("script") ? row["script"].toString().toUtf8() : QByteArray();
        const QString error = row["error"].toString();
        const bool downloaded = row["downloaded"].toBool();
        const bool started = row["started"].toBool();
        QSignalSpy uiLog(m_updater.get(), &ILmtSetupSelfUpdater::appendUILog);
        QSignalSpy errors(m_updater.get(), &ILmtSetupSelfUpdater::error);
        m_connector->setUpdateCheck(true, "1.3.0.800");
        m_updater->checkForUpdate();
        uiLog.clear();
        m_connector->setDownloadScript(
            [script](const QString &, const QString &) { return script; });

        m_updater->startDownloadUpdate();
        QVERIFY(m_updater->isUpdateStarted());
        QVERIFY(!m_updater->isUpdateDownloaded());
        QCOMPARE(m_connector->calls("download").size(), 1);
        QCOMPARE(m_connector->calls("download").first().featureId, SetupId);
        QCOMPARE(m_connector->calls("download").first().version, "1.3.0.800");
        QTRY_COMPARE_WITH_TIMEOUT(errors.size() + int(m_updater->isUpdateDownloaded()), 1, 10000);
        QCOMPARE(m_updater->isUpdateDownloaded(), downloaded);
        QCOMPARE(m_updater->isUpdateStarted(), started);
        QCOMPARE(lmttest::signalTexts(errors, 1),
            error.isEmpty() ? QStringList() : QStringList { error });
        if (!errors.isEmpty())
            QCOMPARE(errors.first().at(0).value<LmtErrorCode>(), GeneralError);
        if (downloaded)
            QCOMPARE(lmttest::signalTexts(uiLog),
                (QStringList { "Downloading Lumetra™ Setup update: 1.3.0.800",
                    "Lumetra™ Setup update is downloaded. It will be installed once the "
                    "application is closed." }));

        // Asked again: a download still under way is not started twice.
        uiLog.clear();
        m_updater->startDownloadUpdate();
        const bool underWay = started && !downloaded;
        QCOMPARE(m_connector->calls("download").size(), underWay ? 1 : 2);
        QCOMPARE(
            lmttest::signalTexts(uiLog).contains("Update download is already started"), underWay);
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
