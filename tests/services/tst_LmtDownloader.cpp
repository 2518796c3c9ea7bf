#include "base/LmtFolders.h"
#include "common/LmtFakeConnector.h"
#include "common/LmtModelFixtures.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "platform/LmtPlatform.h"
#include "services/LmtDownloader.h"
#include "services/LmtVendorSite.h"

#include <QElapsedTimer>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::FakeConnector;

namespace {

const QString Version = QStringLiteral("1.0.0.1");

QString statusName(LmtOperationStatus status)
{
    switch (status) {
    case InProgress:
        return "InProgress";
    case Succeeded:
        return "Succeeded";
    case Failed:
        return "Failed";
    case Cancelled:
        return "Cancelled";
    default:
        return "Pending";
    }
}

QString advice(const QString &featureId)
{
    return QString("Please check your network connection and retry. You also might not have "
                   "access to the software you are trying to install. Please check if you need "
                   "to request the access by going to <a href=\"%1\">%1</a>.")
        .arg(vendorToolPageUrl(featureId));
}

} // namespace

// The downloader with real worker threads and real (scripted) download processes; the
// statuses arrive on this thread as queued signals, as on the GUI thread of the application.
class TestLmtDownloader : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<LmtCoreToolModel> m_model;
    std::shared_ptr<FakeConnector> m_connector;
    std::unique_ptr<LmtDownloader> m_downloader;
    // "download <status> <featureId>" and "install <status> <featureId>" in arrival order.
    QStringList m_events;
    QStringList m_errors;

    // An offered version of a new tool whose package file is "<featureId>.zip"; with
    // downloaded set the file is already in the downloaded-packages folder.
    std::shared_ptr<LmtToolVersion> offered(const QString &featureId, bool downloaded = true)
    {
        const auto tool = LmtTool::create(featureId, LmtToolType::External, featureId);
        m_model->addTool(tool);
        const auto version = lmttest::addOnline(tool, Version, 1, true);
        version->addPackage(std::make_shared<LmtToolPackage>(zendrel::lmt::platform::osName(),
            QUrl("https://files.example/packages/" + featureId + ".zip/download"), "installer",
            "zip", 1024));
        const QString file = downloadsDirectory().filePath(featureId + ".zip");
        if (downloaded)
            lmttest::writeFile(file, "package");
        else
            QFile::remove(file);
        return version;
    }

    void scripts(const QMap<QString, QByteArray> &byFeatureId)
    {
        m_connector->setDownloadScript([byFeatureId](const QString &featureId, const QString &) {
            return byFeatureId.value(featureId, "exit 0");
        });
    }

    QStringList events(const QString &prefix) const
    {
        QStringList result;
        for (const QString &event : m_events) {
            if (event.startsWith(prefix))
                result << event;
        }
        return result;
    }

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        // The "Tools" folder below the current user's registry directory.
        QDir().mkpath(downloadsDirectory().filePath("Tools"));
        QVERIFY(downloadsDirectory().path().endsWith("/Tools"));
    }

    void init()
    {
        m_model = std::make_shared<LmtCoreToolModel>();
        m_connector = std::make_shared<FakeConnector>();
        m_downloader = std::make_unique<LmtDownloader>(m_connector, m_model);
        m_events.clear();
        m_errors.clear();
        connect(m_downloader.get(), &ILmtDownloader::downloadStatus, this,
            [this](LmtOperationStatus status, const QString &featureId, const QString &version) {
                QCOMPARE(version, Version);
                m_events << "download " + statusName(status) + " " + featureId;
            });
        connect(m_downloader.get(), &ILmtDownloader::installToolRequest, this,
            [this](LmtOperationStatus status, const QString &featureId, const QString &) {
                m_events << "install " + statusName(status) + " " + featureId;
            });
        connect(m_downloader.get(), &ILmtDownloader::error, this,
            [this](LmtErrorCode code, const QString &message) {
                m_errors << QString::number(int(code)) + " " + message;
            });
    }

    void cleanup() { m_downloader.reset(); }

    void fiveVersionsShareThreeWorkers()
    {
        lmttest::LogCapture log;
        QSignalSpy progress(m_downloader.get(), &ILmtDownloader::downloadProgress);
        scripts({ { "com.t1", "printf '42,5%% completed\\n'; sleep 0.3; echo done" },
            { "com.t2", "sleep 0.5" }, { "com.t3", "sleep 0.7" }, { "com.t4", "sleep 0.2" },
            { "com.t5", "sleep 0.2" } });
        QList<std::shared_ptr<LmtToolVersion>> versions;
        for (int i = 1; i <= 5; ++i)
            versions << offered(QString("com.t%1").arg(i));

        m_downloader->start(versions);
        QCOMPARE(events("download InProgress"),
            (QStringList { "download InProgress com.t1", "download InProgress com.t2",
                "download InProgress com.t3" }));
        QTRY_COMPARE_WITH_TIMEOUT(events("install").size(), 5, 20000);

        QCOMPARE(m_connector->maxConcurrent("download"), 3);
        const QList<FakeConnector::Call> calls = m_connector->calls("download");
        QCOMPARE(calls.size(), 5);
        QSet<QThread *> threads;
        for (const FakeConnector::Call &call : calls)
            threads << call.thread;
        QCOMPARE(threads.size(), 3); // no fourth worker
        QVERIFY(!threads.contains(QThread::currentThread()));
        // The queue hands its head to whichever worker reported first.
        const QStringList finished = events("download Succeeded");
        QCOMPARE(finished.size(), 5);
        auto threadOf = [&calls](const QString &featureId) {
            for (const FakeConnector::Call &call : calls) {
                if (call.featureId == featureId)
                    return call.thread;
            }
            return static_cast<QThread *>(nullptr);
        };
        QCOMPARE(calls[3].featureId, "com.t4");
        QCOMPARE(calls[3].thread, threadOf(finished[0].section(' ', 2)));
        QCOMPARE(calls[4].featureId, "com.t5");
        QCOMPARE(calls[4].thread, threadOf(finished[1].section(' ', 2)));

        // All five reach the installer together, in list order, after the last download.
        QCOMPARE(m_events.mid(m_events.size() - 5),
            (QStringList { "install Succeeded com.t1", "install Succeeded com.t2",
                "install Succeeded com.t3", "install Succeeded com.t4",
                "install Succeeded com.t5" }));
        QVERIFY(m_events.indexOf(finished.last()) < m_events.indexOf("install Succeeded com.t1"));
        QVERIFY(m_errors.isEmpty());

        // "42,5% completed" is 42.5 percent.
        QCOMPARE(progress.size(), 1);
        QCOMPARE(progress.first().at(0).toFloat(), 42.5f);
        QCOMPARE(progress.first().at(1).toString(), "com.t1");
        QVERIFY(log.contains("[LmtDownloader] Downloaded 42.5% of 'com.t1' - '1.0.0.1'"));

        // Still running until stopped.
        try {
            m_downloader->start(versions);
            QFAIL("a second start must fail");
        } catch (const std::runtime_error &e) {
            QCOMPARE(QString::fromUtf8(e.what()), "Downloader is already running.");
        }
    }

    void oneOfThreeFails()
    {
        QSignalSpy uiLog(m_downloader.get(), &ILmtDownloader::appendUILog);
        scripts({ { "com.a", "sleep 1.2" }, { "com.b", "echo 'network down' >&2; exit 3" },
            { "com.c", "sleep 0.4" } });
        m_downloader->start({ offered("com.a"), offered("com.b"), offered("com.c") });
        QTRY_COMPARE_WITH_TIMEOUT(events("install").size(), 3, 20000);

        // The failure reaches the installer at once; the others wait for the last download
        // and keep the list order although com.c finished first.
        QCOMPARE(m_events,
            (QStringList { "download InProgress com.a", "download InProgress com.b",
                "download InProgress com.c", "download Failed com.b", "install Failed com.b",
                "download Succeeded com.c", "download Succeeded com.a", "install Succeeded com.a",
                "install Succeeded com.c" }));
        QCOMPARE(m_errors,
            (QStringList {
                "1 Download of 'com.b' - '1.0.0.1' package failed: child process exited with "
                "error code 3: network down",
                "1 " + advice("com.b") }));
        QVERIFY(uiLog.contains(QList<QVariant> { "Download package 'com.a' - '1.0.0.1'",
            QVariant::fromValue(ConsoleMessageType::Auto) }));
        QVERIFY(uiLog.contains(QList<QVariant> { "Successfully downloaded package 'com.c' - "
                                                 "'1.0.0.1'",
            QVariant::fromValue(ConsoleMessageType::Auto) }));
    }

    void successWithoutThePackageFileFails()
    {
        m_downloader->start({ offered("com.a", false) });
        QTRY_COMPARE_WITH_TIMEOUT(events("install").size(), 1, 20000);
        QCOMPARE(m_events,
            (QStringList {
                "download InProgress com.a", "download Failed com.a", "install Failed com.a" }));
        QCOMPARE(m_errors,
            (QStringList {
                "1 Download of 'com.a' - '1.0.0.1' package failed.", "1 " + advice("com.a") }));
    }

    void startFailureOfTheLauncher()
    {
        m_connector->setDownloadScript(
            [](const QString &, const QString &) { return QByteArray(); });
        m_downloader->start({ offered("com.a") });
        QTRY_COMPARE_WITH_TIMEOUT(events("install").size(), 1, 20000);
        QCOMPARE(events("install"), QStringList { "install Failed com.a" });
        QCOMPARE(m_errors.first(), "1 Download package failed: process failed to start");
    }

    void stopDuringDownloads()
    {
        QSignalSpy uiLog(m_downloader.get(), &ILmtDownloader::appendUILog);
        scripts({ { "com.t1", "exit 0" }, { "com.t2", "exec sleep 20" },
            { "com.t3", "exec sleep 20" }, { "com.t4", "exec sleep 20" } });
        QList<std::shared_ptr<LmtToolVersion>> versions;
        for (int i = 1; i <= 5; ++i)
            versions << offered(QString("com.t%1").arg(i));
        m_downloader->start(versions);
        // com.t1 is downloaded but not forwarded, its worker runs com.t4, com.t5 waits.
        QTRY_VERIFY_WITH_TIMEOUT(m_events.contains("download InProgress com.t4"), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_connector->calls("download").size(), 4, 20000);

        QElapsedTimer timer;
        timer.start();
        m_downloader->stop();
        QCOMPARE(events("install"),
            (QStringList { "install Cancelled com.t5", "install Cancelled com.t1" }));
        QVERIFY(uiLog.contains(QList<QVariant> { "Cancelled a download of 'com.t5' - '1.0.0.1' "
                                                 "package",
            QVariant::fromValue(ConsoleMessageType::Auto) }));
        QVERIFY(uiLog.contains(QList<QVariant> { "Cancelled an installation of 'com.t1' - "
                                                 "'1.0.0.1' package",
            QVariant::fromValue(ConsoleMessageType::Auto) }));

        // The running downloads are killed and report as cancelled.
        QTRY_COMPARE_WITH_TIMEOUT(events("download Cancelled").size(), 5, 20000);
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(events("install").size(), 2);
        QStringList cancelled;
        for (const QString &error : m_errors) {
            QVERIFY2(error.startsWith("4 Download of 'com.t"), qPrintable(error));
            QVERIFY(error.endsWith("' - '1.0.0.1' package failed: Process was cancelled"));
            cancelled << error.mid(15, 6);
        }
        cancelled.sort();
        QCOMPARE(cancelled, (QStringList { "com.t2", "com.t3", "com.t4" }));

        // Stopped, it can run again; the workers of the old run are gone.
        m_events.clear();
        m_downloader->start({ offered("com.t6") });
        QTRY_COMPARE_WITH_TIMEOUT(events("install").size(), 1, 20000);
        QCOMPARE(m_events,
            (QStringList { "download InProgress com.t6", "download Succeeded com.t6",
                "install Succeeded com.t6" }));
    }

    // The controller's thread presses Cancel just as the GUI thread hands the worker that
    // downloaded com.t1 its next job: the Cancel reaches the worker before that job does.
    void cancelAsAWorkerTakesItsNextJob()
    {
        scripts({ { "com.t2", "exec sleep 20" }, { "com.t3", "exec sleep 20" } });
        QList<std::shared_ptr<LmtToolVersion>> versions;
        for (int i = 1; i <= 4; ++i)
            versions << offered(QString("com.t%1").arg(i));
        connect(m_downloader.get(), &ILmtDownloader::downloadStatus, this,
            [this](LmtOperationStatus status, const QString &featureId) {
                if (status != InProgress || featureId != "com.t4")
                    return;
                std::unique_ptr<QThread> controller(
                    QThread::create([this] { m_downloader->stop(); }));
                controller->start();
                QVERIFY(controller->wait(QDeadlineTimer(20000)));
            });
        m_downloader->start(versions);

        // com.t1 downloaded but not forwarded, com.t2 and com.t3 killed, com.t4 never run.
        QTRY_COMPARE_WITH_TIMEOUT(events("download Cancelled").size(), 4, 20000);
        QStringList downloads;
        for (const FakeConnector::Call &call : m_connector->calls("download"))
            downloads << call.featureId;
        // The three workers start their first jobs in parallel, in no fixed order.
        downloads.sort();
        QCOMPARE(downloads, (QStringList { "com.t1", "com.t2", "com.t3" }));
        QStringList cancelled = events("download Cancelled");
        cancelled.sort();
        QCOMPARE(cancelled,
            (QStringList { "download Cancelled com.t1", "download Cancelled com.t2",
                "download Cancelled com.t3", "download Cancelled com.t4" }));
        QCOMPARE(events("install"), QStringList { "install Cancelled com.t1" });
        m_errors.sort();
        QCOMPARE(m_errors,
            (QStringList {
                "4 Download of 'com.t2' - '1.0.0.1' package failed: Process was cancelled",
                "4 Download of 'com.t3' - '1.0.0.1' package failed: Process was cancelled",
                "4 Download of 'com.t4' - '1.0.0.1' package failed: Process was cancelled" }));
    }

    void destroyedWhileDownloading()
    {
        scripts({ { "com.a", "exec sleep 20" }, { "com.b", "exec sleep 20" } });
        m_downloader->start({ offered("com.a"), offered("com.b") });
        QTRY_COMPARE_WITH_TIMEOUT(m_connector->calls("download").size(), 2, 20000);
        QElapsedTimer timer;
        timer.start();
        m_downloader.reset(); // stops, kills, and waits for its worker threads
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(m_connector->running("download"), 0);
    }
};

QTEST_GUILESS_MAIN(TestLmtDownloader)
#include "tst_LmtDownloader.moc"
