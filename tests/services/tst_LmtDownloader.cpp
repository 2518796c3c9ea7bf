#include "base/LmtFolders.h"
#include "common/LmtModelFixtures.h"
#include "common/LmtSignalRecords.h"
#include "common/LmtTableRows.h"
#include "platform/LmtPlatform.h"
#include "services/LmtDownloader.h"
#include "services/LmtJobRig.h"
#include "services/LmtVendorSite.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::FakeConnector;
using lmttest::rowsFrom;
using lmttest::startingWith;

const QString Version = QStringLiteral("1.0.0.1");
const QStringList StatusNames { "InProgress", "Succeeded", "Failed", "Cancelled", "Pending" };

// The downloader with real worker threads and real (scripted) download processes; the
// statuses arrive on this thread as queued signals, as on the GUI thread of the application.
class TestLmtDownloader : public QObject
{
    Q_OBJECT

    lmttest::JobRig m_rig { "services/download-runs.json" };
    std::unique_ptr<LmtDownloader> m_downloader;
    // "download <status> <featureId>" and "install <status> <featureId>" in arrival order.
    QStringList m_events;
    QStringList m_errors; // "<code> <message>"

    // Offered versions of new tools whose package files are "<featureId>.zip"; with downloaded
    // set the files are already in the downloaded-packages folder.
    QList<std::shared_ptr<LmtToolVersion>> offered(
        const QStringList &featureIds, bool downloaded = true)
    {
        QList<std::shared_ptr<LmtToolVersion>> versions;
        for (const QString &featureId : featureIds) {
            const auto version = lmttest::addOnline(m_rig.tool(featureId), Version, 1, true);
            version->addPackage(std::make_shared<LmtToolPackage>(zendrel::lmt::platform::osName(),
                QUrl("https://files.example/packages/" + featureId + ".zip/download"), "installer",
                "zip", 1024));
            versions << version;
            const QString file = downloadsDirectory().filePath(featureId + ".zip");
            downloaded ? lmttest::writeFile(file, "package") : QFile::remove(file);
        }
        return versions;
    }

    QStringList events(const QString &prefix) const { return startingWith(m_events, prefix); }
    static QStringList sorted(QStringList list) { return list.sort(), list; }

private Q_SLOTS:
    void initTestCase()
    {
        // The "Tools" folder below the current user's registry directory.
        QDir().mkpath(downloadsDirectory().filePath("Tools"));
    }

    void init()
    {
        m_rig.reset();
        m_downloader = std::make_unique<LmtDownloader>(m_rig.connector, m_rig.model);
        m_events.clear();
        m_errors.clear();
        const auto record = [this](const QString &kind) {
            return [this, kind](LmtOperationStatus status, const QString &id, const QString &v) {
                m_events << kind + StatusNames.value(status) + " " + id + (v == Version ? "" : v);
            };
        };
        connect(m_downloader.get(), &ILmtDownloader::downloadStatus, this, record("download "));
        connect(m_downloader.get(), &ILmtDownloader::installToolRequest, this, record("install "));
        connect(m_downloader.get(), &ILmtDownloader::error, this,
            [this](LmtErrorCode code, const QString &message) {
                m_errors << QString::number(int(code)) + " " + message;
            });
    }

    void cleanup() { m_downloader.reset(); }

    void fiveVersionsShareThreeWorkers()
    {
        QSignalSpy uiLog(m_downloader.get(), &ILmtDownloader::appendUILog);
        m_rig.scripts({ { "com.t1", "sleep 0.3" }, { "com.t2", "sleep 0.5" },
            { "com.t3", "sleep 0.7" }, { "com.t4", "sleep 0.2" }, { "com.t5", "sleep 0.2" } });
        const auto versions = offered({ "com.t1", "com.t2", "com.t3", "com.t4", "com.t5" });
        m_downloader->start(versions);
        QCOMPARE(events("download InProgress"), m_rig.expected("started"));
        QTRY_COMPARE_WITH_TIMEOUT(events("install").size(), 5, 20000);

        QCOMPARE(m_rig.connector->maxConcurrent("download"), 3);
        const QList<FakeConnector::Call> calls = m_rig.connector->calls("download");
        QCOMPARE(calls.size(), 5);
        QHash<QString, QThread *> threadOf;
        for (const FakeConnector::Call &call : calls)
            threadOf.insert(call.featureId, call.thread);
        QCOMPARE(QSet<QThread *>(threadOf.begin(), threadOf.end()).size(), 3); // no fourth worker
        QVERIFY(!threadOf.values().contains(QThread::currentThread()));
        // The queue hands its head to whichever worker reported first.
        const QStringList finished = events("download Succeeded");
        QCOMPARE(finished.size(), 5);
        for (int i : { 3, 4 })
            QVERIFY(calls[i].featureId == "com.t" + QString::number(i + 1)
                && calls[i].thread == threadOf.value(finished[i - 3].section(' ', 2)));

        // All five reach the installer together, in list order, after the last download.
        QCOMPARE(m_events.mid(m_events.size() - 5), m_rig.expected("installs"));
        QVERIFY(m_errors.isEmpty());
        const auto auto_ = QVariant::fromValue(ConsoleMessageType::Auto);
        QVERIFY(uiLog.contains(QVariantList { "Download package 'com.t1' - '1.0.0.1'", auto_ })
            && uiLog.contains(
                QVariantList { "Successfully downloaded package 'com.t5' - '1.0.0.1'", auto_ }));

        // Still running until stopped.
        QCOMPARE(lmttest::failureOf([&] { m_downloader->start(versions); }),
            "Downloader is already running.");
    }

    // One download: the progress its service prints, or its failure, with the advice when the
    // download ran (a launcher that did not start gives none).
    void oneDownloadReportsItsProgressOrItsFailure_data()
    {
        rowsFrom("services/download-singles.json");
    }
    void oneDownloadReportsItsProgressOrItsFailure()
    {
        QFETCH(QJsonObject, row);
        const QString progress = row["progress"].toString();
        lmttest::LogCapture log;
        QSignalSpy reported(m_downloader.get(), &ILmtDownloader::downloadProgress);
        // No script: the launcher does not start.
        m_rig.scripts(
            {}, row.contains("script") ? row["script"].toString().toUtf8() : QByteArray());
        m_downloader->start(offered({ "com.a" }, !row["noPackageFile"].toBool()));
        QTRY_COMPARE_WITH_TIMEOUT(events("install").size(), 1, 20000);
        QCOMPARE(events("install").first(),
            row.contains("errors") ? "install Failed com.a" : "install Succeeded com.a");
        QCOMPARE(m_errors.join('\n'),
            row["errors"].toVariant().toStringList().join('\n').replace(
                "%1", vendorToolPageUrl("com.a")));
        QCOMPARE(reported.size(), int(!progress.isEmpty()));
        QVERIFY(progress.isEmpty()
            || (reported.first() == QVariantList { progress.toFloat(), "com.a", Version }
                && log.contains(
                    "[LmtDownloader] Downloaded " + progress + "% of 'com.a' - '1.0.0.1'")));
    }

    void aFailureIsForwardedAtOnceTheRestInListOrder()
    {
        m_rig.scripts(
            { { "com.a", "sleep 1.2" }, { "com.b", "exit 3" }, { "com.c", "sleep 0.4" } });
        m_downloader->start(offered({ "com.a", "com.b", "com.c" }));
        QTRY_COMPARE_WITH_TIMEOUT(events("install").size(), 3, 20000);
        QCOMPARE(m_events, m_rig.expected("events"));
    }

    void stopOrDestructionCancelsQueuedAndKillsRunningDownloads()
    {
        QSignalSpy uiLog(m_downloader.get(), &ILmtDownloader::appendUILog);
        m_rig.scripts({ { "com.t2", "exec sleep 20" }, { "com.t3", "exec sleep 20" },
            { "com.t4", "exec sleep 20" } });
        m_downloader->start(offered({ "com.t1", "com.t2", "com.t3", "com.t4", "com.t5" }));
        // com.t1 is downloaded but not forwarded, its worker runs com.t4, com.t5 waits.
        QTRY_VERIFY_WITH_TIMEOUT(m_events.contains("download InProgress com.t4"), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_rig.connector->calls("download").size(), 4, 20000);

        QElapsedTimer timer;
        timer.start();
        m_downloader->stop();
        QCOMPARE(events("install"), m_rig.expected("installs"));
        const auto auto_ = QVariant::fromValue(ConsoleMessageType::Auto);
        QVERIFY(uiLog.contains({ "Cancelled a download of 'com.t5' - '1.0.0.1' package", auto_ })
            && uiLog.contains(
                { "Cancelled an installation of 'com.t1' - '1.0.0.1' package", auto_ }));
        // The running downloads are killed and report as cancelled.
        QTRY_COMPARE_WITH_TIMEOUT(events("download Cancelled").size(), 5, 20000);
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(events("install").size(), 2);
        QCOMPARE(sorted(m_errors), m_rig.expected("errors"));

        // Stopped, it can run again; the workers of the old run are gone.
        m_events.clear();
        m_downloader->start(offered({ "com.t6" }));
        QTRY_COMPARE_WITH_TIMEOUT(events("install").size(), 1, 20000);
        QCOMPARE(m_events, m_rig.expected("again"));

        // Destroyed, it stops, kills and waits for its worker threads.
        m_downloader->stop();
        m_rig.scripts({ { "com.t7", "exec sleep 20" }, { "com.t8", "exec sleep 20" } });
        m_downloader->start(offered({ "com.t7", "com.t8" }));
        QTRY_COMPARE_WITH_TIMEOUT(m_rig.connector->calls("download").size(), 7, 20000);
        timer.restart();
        m_downloader.reset();
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(m_rig.connector->running("download"), 0);
    }

    // The controller's thread presses Cancel just as the GUI thread hands the worker that
    // downloaded com.t1 its next job: the Cancel reaches the worker before that job does.
    void cancelAsAWorkerTakesItsNextJob()
    {
        m_rig.scripts({ { "com.t2", "exec sleep 20" }, { "com.t3", "exec sleep 20" } });
        connect(m_downloader.get(), &ILmtDownloader::downloadStatus, this,
            [this](LmtOperationStatus status, const QString &featureId) {
                if (status != InProgress || featureId != "com.t4")
                    return;
                std::unique_ptr<QThread> controller(
                    QThread::create([this] { m_downloader->stop(); }));
                controller->start();
                QVERIFY(controller->wait(QDeadlineTimer(20000)));
            });
        m_downloader->start(offered({ "com.t1", "com.t2", "com.t3", "com.t4" }));

        // com.t1 downloaded but not forwarded, com.t2 and com.t3 killed, com.t4 never run.
        QTRY_COMPARE_WITH_TIMEOUT(events("download Cancelled").size(), 4, 20000);
        // The three workers start their first jobs in parallel, in no fixed order.
        QCOMPARE(sorted(lmttest::JobRig::featureIds(m_rig.connector->calls("download")).split(',')),
            (QStringList { "com.t1", "com.t2", "com.t3" }));
        QCOMPARE(events("install"), QStringList { "install Cancelled com.t1" });
        QCOMPARE(sorted(m_errors), m_rig.expected("errors"));
    }
};

QTEST_GUILESS_MAIN(TestLmtDownloader)
#include "tst_LmtDownloader.moc"
