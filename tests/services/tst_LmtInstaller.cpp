#include "common/LmtModelFixtures.h"
#include "common/LmtSignalRecords.h"
#include "common/LmtTableRows.h"
#include "services/LmtInstaller.h"
#include "services/LmtJobRig.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::JobRig;
using lmttest::rowsFrom;

namespace {

// Runs atLookup, when set, on the reporting thread right after a downloaded package's version
// has been looked up, before the installer decides what to do with it.
class HeldInstaller : public LmtInstaller
{
public:
    using LmtInstaller::LmtInstaller;
    std::function<void()> atLookup;

protected:
    std::shared_ptr<LmtToolVersion> versionToInstall(
        const QString &featureId, const QString &version) const override
    {
        auto found = LmtInstaller::versionToInstall(featureId, version);
        if (atLookup)
            atLookup();
        return found;
    }
};

} // namespace

// The installer with its real worker thread; installations are short scripts started through
// the fake connector, and the downloads are announced the way the downloader does it.
class TestLmtInstaller : public QObject
{
    Q_OBJECT

    JobRig m_rig { "services/install-runs.json" };
    std::unique_ptr<HeldInstaller> m_installer;
    std::unique_ptr<QSignalSpy> m_status;

    std::shared_ptr<LmtOnlineToolVersion> offered(const QString &featureId,
        LmtToolInstallScope scope = LmtToolInstallScope::CurrentUser,
        const QString &directory = QString())
    {
        const auto version = lmttest::addOnline(m_rig.tool(featureId), "2.0.0.1", 2, true);
        version->setInstallScope(scope);
        version->setInstallDirectory(directory);
        return version;
    }

    void downloaded(const QString &featureId)
    {
        m_installer->onDownloadFinished(Succeeded, featureId, "2.0.0.1");
    }

private Q_SLOTS:
    void init()
    {
        m_rig.reset();
        m_installer = std::make_unique<HeldInstaller>(m_rig.connector, m_rig.model);
        m_status = std::make_unique<QSignalSpy>(m_installer.get(), &ILmtInstaller::installStatus);
    }

    void cleanup() { m_installer.reset(); }

    void switchesFollowScopeAndDirectory_data() { rowsFrom("services/installer-switches.json"); }
    void switchesFollowScopeAndDirectory()
    {
        QFETCH(QJsonObject, row);
        const auto version = offered(
            "com.a", LmtToolInstallScope(row["scope"].toInt()), row["directory"].toString());
        version->setSilentInstall(!row["notSilent"].toBool());
        if (row.contains("installedPath")) {
            const auto installed = lmttest::addLocal(version->tool(), "1.0.0.1");
            installed->setPath(row["installedPath"].toString());
            installed->setSelected(false);
        }
        m_installer->start();
        downloaded("com.a");
        QTRY_COMPARE_WITH_TIMEOUT(m_status->size(), 2, 20000);
        QCOMPARE(m_rig.connector->calls("install").value(0).arguments,
            row["switches"].toVariant().toStringList());
    }

    void installsOneAfterAnotherWhateverFails()
    {
        QSignalSpy uiLog(m_installer.get(), &ILmtInstaller::appendUILog);
        QSignalSpy errors(m_installer.get(), &ILmtInstaller::error);
        m_rig.scripts(
            { { "com.nostart", QByteArray() }, { "com.fail", "echo 'disk full' >&2; exit 4" } },
            "sleep 0.1", true);
        for (const char *featureId : { "com.nostart", "com.fail", "com.ok" })
            offered(featureId);

        m_installer->start();
        QCOMPARE(
            lmttest::failureOf([&] { m_installer->start(); }), "Installer is already running.");
        // Only successful downloads are installed.
        m_installer->onDownloadFinished(Failed, "com.ok", "2.0.0.1");
        m_installer->onDownloadFinished(Cancelled, "com.ok", "2.0.0.1");
        for (const char *featureId : { "com.nostart", "com.fail", "com.ok" })
            downloaded(featureId);
        QTRY_COMPARE_WITH_TIMEOUT(m_status->size(), 5, 20000);

        QCOMPARE(m_rig.connector->maxConcurrent("install"), 1);
        QCOMPARE(m_rig.connector->calls("install").size(), 3);
        QVERIFY(m_rig.connector->calls("install").first().thread != QThread::currentThread());
        QCOMPARE(JobRig::statuses(*m_status), m_rig.expected("statuses"));
        QCOMPARE(lmttest::signalTexts(errors, 1), m_rig.expected("errors"));
        QCOMPARE(errors.first().at(0).value<LmtErrorCode>(), GeneralError);
        QCOMPARE(lmttest::signalTexts(uiLog, 0).mid(1), m_rig.expected("uiLog"));
    }

    void stopCancelsTheQueuedInstallationsAndTheOneBeingReported()
    {
        QSignalSpy uiLog(m_installer.get(), &ILmtInstaller::appendUILog);
        m_rig.scripts({}, "sleep 0.5", true);
        for (const char *featureId : { "com.a", "com.b", "com.c" })
            offered(featureId);

        // Not started: a finished download is cancelled for installation.
        downloaded("com.a");
        QCOMPARE(m_status->size(), 1);

        m_installer->start();
        downloaded("com.a");
        QTRY_COMPARE_WITH_TIMEOUT(m_status->size(), 2, 20000);
        downloaded("com.b");
        downloaded("com.c");
        m_installer->stop();
        QTRY_COMPARE_WITH_TIMEOUT(m_status->size(), 5, 20000);
        QVERIFY(lmttest::signalTexts(uiLog).contains(
            "Cancelled an installation of 'com.b' - '2.0.0.1'"));
        QCOMPARE(JobRig::featureIds(m_rig.connector->calls("install")), "com.a");

        // A download is reported on the GUI thread while the controller's thread presses
        // Cancel: the Cancel comes in after the report's version was looked up.
        m_installer->start();
        m_installer->atLookup = [this] {
            std::unique_ptr<QThread> controller(QThread::create([this] { m_installer->stop(); }));
            controller->start();
            QVERIFY(controller->wait(QDeadlineTimer(20000)));
        };
        downloaded("com.b");
        QCOMPARE(m_status->size(), 6);

        // Nothing of it was left behind: a new run gets a new worker and installs its own
        // package only.
        m_installer->atLookup = nullptr;
        m_installer->start();
        downloaded("com.c");
        QTRY_COMPARE_WITH_TIMEOUT(m_status->size(), 8, 20000);
        QCOMPARE(JobRig::statuses(*m_status), m_rig.expected("statuses"));
        QCOMPARE(JobRig::featureIds(m_rig.connector->calls("install")), "com.a,com.c");
    }

    void elevationOnlyForSelectedAllUsersInstallationsOfNonRoot_data()
    {
        rowsFrom("services/elevation-needs.json");
    }
    void elevationOnlyForSelectedAllUsersInstallationsOfNonRoot()
    {
        QFETCH(QJsonObject, row);
        offered("com.a", LmtToolInstallScope(row["scope"].toInt()))
            ->setSelected(row["selected"].toBool());
        const bool root = row["root"].toBool();
        m_installer->setElevationCheck([root] { return root; });
        QCOMPARE(m_installer->needsElevatedPrivileges(), row["needs"].toBool());
    }
};

QTEST_GUILESS_MAIN(TestLmtInstaller)
#include "tst_LmtInstaller.moc"
