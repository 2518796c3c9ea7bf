#include "common/LmtFakeDownloadManager.h"
#include "common/LmtFakeLauncher.h"
#include "common/LmtTestSupport.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtProcessHandle.h"
#include "services/LmtVendorSite.h"
#include "services/NetworkException.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMutex>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::FakeDownloadManager;
using lmttest::FakeLauncher;

namespace {

const QString RegistryUrl = QStringLiteral("http://127.0.0.1:9/api/v1/tools/");

} // namespace

class TestLmtLauncherServiceConnector : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<FakeDownloadManager> m_http;

    std::unique_ptr<LmtLauncherServiceConnector> makeConnector()
    {
        m_http = std::make_shared<FakeDownloadManager>();
        auto connector = std::make_unique<LmtLauncherServiceConnector>(m_http);
        connector->setStartupPause(std::chrono::milliseconds(0));
        return connector;
    }

    // A connector whose service answers "-port" with 49152.
    std::unique_ptr<LmtLauncherServiceConnector> startedConnector()
    {
        auto connector = makeConnector();
        connector->start();
        return connector;
    }

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        setKorOnlineUrl(RegistryUrl);
    }

    void cleanup() { qunsetenv("SystemDrive"); }

    void missingExecutableFailsWithTheHelpText()
    {
        lmttest::LogCapture capture;
        auto connector = makeConnector();
        const QString failure = lmttest::failureOf([&] { connector->start(); });

        QVERIFY2(failure.startsWith("Cannot find kor-launcher-service executable expected at "),
            qPrintable(failure));
        // Where the user should look, even though that folder does not exist.
        QVERIFY2(failure.contains(
                     QDir::toNativeSeparators(QDir::homePath() + "/Zendrel/LauncherService/")),
            qPrintable(failure));
        QVERIFY(failure.contains(QStringLiteral("<a href=\"%1\">Lumetra Setup User Guide</a>")
                                     .arg(setupUserGuideUrl())));
        QVERIFY(failure.endsWith("and/or send log to the support team."));
        QVERIFY(!connector->executableFound());
        QVERIFY(!connector->isStarted());
        QCOMPARE(connector->port(), 0u);
        QCOMPARE(connector->launcherCli(), "kor-launcher-service");
        QVERIFY(capture.contains("[LmtLauncherServiceConnector] Cannot find kor-launcher-service"));

        // An existing but empty service folder is named as it is.
        QVERIFY(QDir().mkpath(QDir::homePath() + "/Zendrel/LauncherService"));
        QVERIFY(lmttest::failureOf([&] { connector->start(); }).contains(QDir::homePath()));
        QDir(QDir::homePath() + "/Zendrel").removeRecursively();

        // downloadTool() starts the service first and so fails the same way.
        QVERIFY(lmttest::failureOf([&] {
            connector->downloadTool("com.zdr.x", "1.0.0.1");
        }).startsWith("Cannot find kor-launcher-service executable"));
    }

    void startRunsTheServiceFromHomeThenAsksForThePort()
    {
        lmttest::LogCapture capture;
        FakeLauncher launcher(FakeLauncher::portBody());
        auto connector = makeConnector();
        connector->start();

        QVERIFY(connector->executableFound());
        QCOMPARE(connector->launcherCli(), launcher.program());
        // A chunk of log text first, the number alone afterwards.
        QCOMPARE(connector->port(), 49152u);
        QVERIFY(connector->isStarted());
        QVERIFY(capture.contains(
            "[LmtLauncherServiceConnector] Discovered Launcher Service Port: 49152"));
        QVERIFY(capture.contains(
            QStringLiteral("[LmtLauncherServiceConnector] discoverLauncherCli(): "
                           "launcherCli: '%1', launcherCmd: '%1', launcherArgs: ''")
                .arg(launcher.program())));
        QVERIFY(
            capture.contains(QStringLiteral("Call: %1 -port returned: ").arg(launcher.program())));

        // The service itself is started without arguments in the home directory; "-port" once.
        QTRY_COMPARE_WITH_TIMEOUT(launcher.runs().size(), 2, 10000);
        bool startedInHome = false;
        for (const FakeLauncher::Run &run : launcher.runs()) {
            if (run.arguments.isEmpty())
                startedInHome = QFileInfo(run.workingDirectory).canonicalFilePath()
                    == QFileInfo(QDir::homePath()).canonicalFilePath();
        }
        QVERIFY(startedInHome);
        QVERIFY(launcher.calls().contains(QStringList { "-port" }));
    }

    void systemDriveIsTheSecondPlace()
    {
        const QString drive = m_sandbox.filePath("drive");
        qputenv("SystemDrive", QFile::encodeName(drive));
        FakeLauncher launcher(drive, FakeLauncher::portBody());
        auto connector = makeConnector();
        connector->start();
        QCOMPARE(connector->launcherCli(), drive + "/Zendrel/LauncherService/kor-launcher-service");
        QCOMPARE(connector->port(), 49152u);

        // The home location wins when both exist.
        FakeLauncher inHome(FakeLauncher::portBody());
        connector->start();
        QCOMPARE(connector->launcherCli(), inHome.program());
    }

    void startPausesBeforeAskingForThePort()
    {
        FakeLauncher launcher(FakeLauncher::portBody());
        m_http = std::make_shared<FakeDownloadManager>();
        LmtLauncherServiceConnector connector(m_http);
        QElapsedTimer timer;
        timer.start();
        connector.start();
        QVERIFY2(timer.elapsed() >= 2000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(connector.port(), 49152u);
    }

    void portDiscoveryFailures()
    {
        const QString expected = QStringLiteral("Failed to discover Launcher Service port");
        {
            FakeLauncher launcher("if [ \"$1\" = -port ]; then echo 'service is starting'; "
                                  "echo 'port: unknown'; fi");
            auto connector = makeConnector();
            QCOMPARE(lmttest::failureOf([&] { connector->start(); }), expected);
            QVERIFY(!connector->isStarted());
        }
        {
            // A number printed by a "-port" that then reports failure is not trusted.
            FakeLauncher launcher("if [ \"$1\" = -port ]; then echo 49152; exit 3; fi");
            auto connector = makeConnector();
            QCOMPARE(lmttest::failureOf([&] { connector->start(); }), expected);
            QCOMPARE(connector->port(), 0u);
        }
        {
            FakeLauncher launcher("if [ \"$1\" = -port ]; then echo 70000; echo -5; fi");
            auto connector = makeConnector();
            QCOMPARE(lmttest::failureOf([&] { connector->start(); }), expected);
        }
        {
            // Several numbers: the first one on a line of its own counts.
            FakeLauncher launcher(
                "if [ \"$1\" = -port ]; then printf 'pid 17 up\\n 50001 \\n50002\\n'; fi");
            auto connector = makeConnector();
            connector->start();
            QCOMPARE(connector->port(), 50001u);
        }
    }

    void tokenRequest()
    {
        FakeLauncher launcher(FakeLauncher::portBody());
        auto connector = makeConnector();
        QSignalSpy changed(connector.get(), &ILmtLauncherServiceConnector::accessTokenChanged);
        const QByteArray token = lmttest::tokenWithSubject("john.doe@example.com");

        lmttest::LogCapture capture;
        m_http->replyWith(R"({"accessToken":")" + token
            + R"(","expires_in":"3600","received_at":"2026-12-06 20:00:00.123"})");
        // Not started yet: the request starts the service first.
        connector->requestAccessToken();
        QCOMPARE(connector->port(), 49152u);
        QCOMPARE(m_http->calls().size(), 1);
        const FakeDownloadManager::Call call = m_http->calls().first();
        QCOMPARE(call.operation, FakeDownloadManager::Operation::GetWithCurrentToken);
        QCOMPARE(call.url.toString(), "http://127.0.0.1:49152/kor-service/requestAccessToken");
        QCOMPARE(call.timeoutMs, 60000);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).toByteArray(), token);
        QCOMPARE(changed.first().at(1).toString(), "3600");
        QCOMPARE(changed.first().at(2).toString(), "2026-12-06 20:00:00.123");
        QVERIFY(!capture.contains(QString::fromUtf8(token)));

        const auto failureFor = [&](const QByteArray &reply) {
            m_http->replyWith(reply);
            return lmttest::failureOf([&] { connector->requestAccessToken(); });
        };
        const QString invalidCredentials = QStringLiteral(
            "Invalid credentials provided or error occurred during Single sign-on authentication");
        QCOMPARE(failureFor(R"({"expires_in":"3600","received_at":"2026-12-06 20:00:00"})"),
            invalidCredentials);
        QVERIFY(capture.contains("error parsing JSON - missing required property 'accessToken'"));
        QCOMPARE(failureFor(R"({})"), invalidCredentials);
        QCOMPARE(failureFor(R"({"accessToken":"","expires_in":"1","received_at":"x"})"),
            invalidCredentials);
        QCOMPARE(failureFor(R"({"accessToken":"abc","expires_in":3600,"received_at":"x"})"),
            "error parsing JSON - required property 'expires_in' is not a string");
        QCOMPARE(failureFor(R"({"accessToken":"abc","expires_in":"3600"})"),
            "error parsing JSON - missing required property 'received_at'");
        QCOMPARE(failureFor(R"({"accessToken":42,"expires_in":"3600","received_at":"x"})"),
            "error parsing JSON - required property 'accessToken' is not a string");
        QCOMPARE(failureFor(""), "Received empty reply from KOR Launcher Service");
        QCOMPARE(failureFor("[1,2]"), "Launcher service reply does not have the expected format");

        capture.clear();
        const QString broken = failureFor("{\"accessToken\":");
        QVERIFY(!broken.isEmpty());
        QVERIFY(capture.contains("Failed to obtain valid JSON object from reply to "
                                 "http://127.0.0.1:49152/kor-service/requestAccessToken"));
        QCOMPARE(changed.size(), 1);

        // Network failures reach the caller unchanged.
        m_http->setResponder([](const FakeDownloadManager::Call &) -> QByteArray {
            throw NetworkException("Network Error occurred: 'OperationCanceledError'",
                QNetworkReply::OperationCanceledError);
        });
        try {
            connector->requestAccessToken();
            QFAIL("no exception");
        } catch (const NetworkException &e) {
            QCOMPARE(e.code(), int(QNetworkReply::OperationCanceledError));
            QCOMPARE(
                QString::fromUtf8(e.what()), "Network Error occurred: 'OperationCanceledError'");
        }
    }

    void tokenVerification()
    {
        FakeLauncher launcher(FakeLauncher::portBody());
        auto connector = startedConnector();
        m_http->replyWith(R"({"accessToken":"abc.def.ghi"})");
        QVERIFY(connector->verifyTokenValue("abc.def.ghi"));
        QVERIFY(!connector->verifyTokenValue("abc.def.gh"));
        const FakeDownloadManager::Call call = m_http->calls().last();
        QCOMPARE(call.operation, FakeDownloadManager::Operation::GetWithoutToken);
        QCOMPARE(call.url.toString(), "http://127.0.0.1:49152/getAccessToken");

        m_http->replyWith(R"(["abc.def.ghi"])");
        QCOMPARE(lmttest::failureOf([&] { connector->verifyTokenValue("abc.def.ghi"); }),
            "Launcher service reply does not have the expected JSON format");
        m_http->replyWith(R"({"token":"abc.def.ghi"})");
        QCOMPARE(lmttest::failureOf([&] { connector->verifyTokenValue("abc.def.ghi"); }),
            "error parsing JSON - missing required property 'accessToken'");
        m_http->replyWith("");
        QCOMPARE(lmttest::failureOf([&] { connector->verifyTokenValue("abc.def.ghi"); }),
            "Received empty reply from KOR Launcher Service");
        m_http->replyWith("not json");
        QVERIFY(!lmttest::failureOf([&] { connector->verifyTokenValue("x"); }).isEmpty());
    }

    void revoke()
    {
        FakeLauncher launcher(FakeLauncher::portBody());
        auto connector = startedConnector();
        lmttest::LogCapture capture;
        connector->revokeAccessToken();
        const FakeDownloadManager::Call call = m_http->calls().last();
        QCOMPARE(call.operation, FakeDownloadManager::Operation::Post);
        QCOMPARE(call.url.toString(), "http://127.0.0.1:49152/kor-service/revokeAccessToken");
        QCOMPARE(call.timeoutMs, 5000);
        QVERIFY(call.body.isEmpty());
        QVERIFY(capture.contains("[LmtLauncherServiceConnector] Current access token has been "
                                 "revoked successfully in the KOR launcher service"));

        // An unreachable service is only logged: signing out must not fail because of it.
        m_http->setResponder([](const FakeDownloadManager::Call &) -> QByteArray {
            throw NetworkException("Network Error occurred: Check your network settings",
                QNetworkReply::ConnectionRefusedError);
        });
        capture.clear();
        connector->revokeAccessToken();
        QVERIFY(capture.contains("[LmtLauncherServiceConnector] Failed to revoke the access token "
                                 "in the KOR launcher service, error: 'Network Error occurred: "
                                 "Check your network settings'"));
        QVERIFY(!capture.contains("revoked successfully"));

        // Anything else is not a network matter and reaches the caller.
        m_http->setResponder([](const FakeDownloadManager::Call &) -> QByteArray {
            throw std::runtime_error("Another request is in progress");
        });
        QCOMPARE(lmttest::failureOf([&] { connector->revokeAccessToken(); }),
            "Another request is in progress");
    }

    void verbsPassTheirExactArgumentVectors()
    {
        FakeLauncher launcher(FakeLauncher::portBody(
            "if [ \"$1\" = -kor.service ]; then echo '12% completed'; echo '100% completed'; fi"));
        auto connector = makeConnector();

        // Not started: the download starts the service first.
        auto download = connector->downloadTool("com.zdr.tb.tool.lumetra", "3.2.0.1200");
        QVERIFY(connector->isStarted());
        QSignalSpy downloadEnded(download.get(), &LmtProcessHandle::finished);
        QStringList progress;
        connect(download.get(), &LmtProcessHandle::stdOutReady, this,
            [&progress](const QString &text) { progress << text; });
        QVERIFY(downloadEnded.wait(10000));
        QCOMPARE(downloadEnded.first().at(0).toBool(), true);
        QVERIFY(progress.join(QString()).contains("100% completed"));
        QCOMPARE(launcher.calls().last(),
            (QStringList { "-kor.service",
                "downloadOnly com.zdr.tb.tool.lumetra:3.2.0.1200 " + RegistryUrl }));

        // A version object names its tool's feature id and its version text.
        const auto tool
            = LmtTool::create("com.zdr.tb.pack.devices-arm", LmtToolType::ContentPack, "ARM");
        const auto version = LmtOnlineToolVersion::create("1.0.0.10", 1000010, 7);
        tool->addVersion(version);
        auto byObject = connector->downloadTool(version);
        QSignalSpy byObjectEnded(byObject.get(), &LmtProcessHandle::finished);
        QVERIFY(byObjectEnded.wait(10000));
        QCOMPARE(launcher.calls().last().at(1),
            "downloadOnly com.zdr.tb.pack.devices-arm:1.0.0.10 " + RegistryUrl);
        QCOMPARE(
            lmttest::failureOf([&] { connector->downloadTool(std::shared_ptr<LmtToolVersion>()); }),
            "No tool version given to download");

        const int runsBefore = launcher.calls().size();
        const QStringList switches { "--", "/verysilent", "/currentuser", "/dir=/opt/my tools" };
        auto install = connector->installTool("com.zdr.tb.pack.devices-arm", "1.0.0.10", switches);
        QSignalSpy installEnded(install.get(), &LmtProcessHandle::finished);
        QVERIFY(installEnded.wait(10000));
        QCOMPARE(launcher.calls().size(), runsBefore + 1);
        QCOMPARE(launcher.calls().last(),
            (QStringList {
                 "-kor.service", "installOnly com.zdr.tb.pack.devices-arm:1.0.0.10 " + RegistryUrl }
                + switches));
        // The command a sudo installation runs is the very one installTool() starts.
        const LmtCommandLine command
            = connector->installCommand("com.zdr.tb.pack.devices-arm", "1.0.0.10", switches);
        QCOMPARE(command.program, launcher.program());
        QCOMPARE(command.arguments, launcher.calls().last());
        QCOMPARE(launcher.calls().size(), runsBefore + 1); // nothing was run for it

        connector->updateToolDetached(
            "com.zdr.tb.tool.lumetrasetup", "1.3.0.800", { "--", "/allusers", "/dir=/opt/setup" });
        QTRY_COMPARE_WITH_TIMEOUT(launcher.calls().size(), runsBefore + 2, 10000);
        QCOMPARE(launcher.calls().last(),
            (QStringList { "-kor.service",
                "installOnly com.zdr.tb.tool.lumetrasetup:1.3.0.800 " + RegistryUrl, "--",
                "/allusers", "/dir=/opt/setup" }));
    }

    void concurrentDownloadsShareOneStart_data()
    {
        QTest::addColumn<QByteArray>("portOutput");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("started") << QByteArray("49152\n") << QString("started");
        QTest::newRow("start fails")
            << QByteArray("no port yet\n") << QString("Failed to discover Launcher Service port");
    }

    // The service did not start with the application, and three download workers ask for it
    // at once. Its "-port" answers only when the test opens the gate, after every worker has
    // either begun a start or said that it waits for one.
    void concurrentDownloadsShareOneStart()
    {
        QFETCH(QByteArray, portOutput);
        QFETCH(QString, outcome);
        lmttest::LogCapture capture;
        FakeLauncher launcher("if [ \"$1\" = -port ]; then\n"
                              "  until [ -e \"$here/gate\" ]; do sleep 0.02; done\n"
                              "  cat \"$here/gate\"; exit 0\n"
                              "fi");
        auto connector = makeConnector();

        QMutex mutex;
        QStringList outcomes;
        std::vector<std::unique_ptr<QThread>> workers;
        for (int i = 0; i < 3; ++i) {
            workers.emplace_back(QThread::create([&connector, &mutex, &outcomes, i] {
                QString result = QStringLiteral("started");
                try {
                    connector->downloadTool(QString("com.zdr.t%1").arg(i), "1.0.0.1")->wait();
                } catch (const std::exception &e) {
                    result = QString::fromUtf8(e.what());
                }
                QMutexLocker lock(&mutex);
                outcomes << result;
            }));
            workers.back()->start();
        }
        const auto count = [&capture](const char *fragment) {
            return capture.lines().filter(QLatin1String(fragment)).size();
        };
        const char *starting = "discoverLauncherCli(): launcherCli:";
        const char *waiting = "Launcher Service is being started, waiting for the start to end";
        QTRY_COMPARE_WITH_TIMEOUT(count(starting) + count(waiting), 3, 20000);

        const QString gate = QFileInfo(launcher.program()).absolutePath() + "/gate";
        QVERIFY(lmttest::writeFile(gate + ".new", portOutput));
        QVERIFY(QFile::rename(gate + ".new", gate)); // whole, never half written
        for (const auto &worker : workers)
            QVERIFY(worker->wait(QDeadlineTimer(20000)));

        QCOMPARE(outcomes, QStringList(3, outcome));
        QCOMPARE(count(starting), 1);
        QCOMPARE(count(waiting), 2);
        const QList<QStringList> calls = launcher.calls();
        QCOMPARE(calls.count(QStringList()), 1); // the service itself, started once
        QCOMPARE(calls.count(QStringList { "-port" }), 1);
        QCOMPARE(calls.size(), outcome == "started" ? 5 : 2); // and every download, or none
    }

    void installDoesNotStartTheService()
    {
        // The installer only runs after downloads, which started the service; on its own it
        // neither starts the service nor looks for the executable.
        FakeLauncher launcher(FakeLauncher::portBody());
        auto connector = makeConnector();
        QCOMPARE(
            lmttest::failureOf([&] { connector->installTool("com.zdr.x", "1.0.0.1", { "--" }); }),
            "process failed to start");
        QVERIFY(!connector->isStarted());
        QVERIFY(launcher.calls().isEmpty());
    }

    void updateCheck()
    {
        const QString featureId = QStringLiteral("com.zdr.tb.tool.lumetra");
        FakeLauncher launcher(FakeLauncher::portBody(
            "if [ \"$1\" = -kor.service ]; then cat \"$here/check-output.txt\" 2>/dev/null; fi"));
        const QString outputFile
            = QFileInfo(launcher.program()).absolutePath() + "/check-output.txt";
        auto connector = startedConnector();
        const auto checkWith = [&](const QByteArray &output, const QString &id, QString &version) {
            lmttest::writeFile(outputFile, output);
            return connector->checkForUpdate(id, version);
        };

        lmttest::LogCapture capture;
        QString newVersion;
        QVERIFY(checkWith("INFO checking\nUpdate Is AVAILABLE com.zdr.tb.tool.lumetra:3.2.0.1234\n",
            featureId, newVersion));
        QCOMPARE(newVersion, "3.2.0.1234");
        QCOMPARE(launcher.calls().last(),
            (QStringList { "-kor.service",
                "checkUpdate com.zdr.tb.tool.lumetra " + RegistryUrl + " -silent" }));
        QVERIFY(capture.contains("[LmtLauncherServiceConnector] Call: -kor.service checkUpdate "
                                 "com.zdr.tb.tool.lumetra "
            + RegistryUrl + " -silent returned: INFO checking Update Is AVAILABLE"));

        newVersion.clear();
        QVERIFY(!checkWith("Update is NOT available\n", featureId, newVersion));
        QVERIFY(newVersion.isEmpty());

        // Another tool's update, or a dot of the feature id standing for another character,
        // is not this tool's update.
        QVERIFY(!checkWith("update is available com.zdr.tb.tool.other:4.0.0.1\nupdate is not "
                           "available\n",
            featureId, newVersion));
        QCOMPARE(lmttest::failureOf([&] {
            checkWith(
                "update is available comXzdrXtbXtoolXlumetra:4.0.0.1\n", featureId, newVersion);
        }),
            "-kor.service 'checkUpdate' command failed");
        QVERIFY(newVersion.isEmpty());
        // A version of fewer than four parts is no answer either.
        capture.clear();
        QCOMPARE(lmttest::failureOf([&] {
            checkWith("update is available com.zdr.tb.tool.lumetra:3.2.0\n", featureId, newVersion);
        }),
            "-kor.service 'checkUpdate' command failed");
        QVERIFY(capture.contains("[LmtLauncherServiceConnector] checkForUpdate() Failed: update is "
                                 "available com.zdr.tb.tool.lumetra:3.2.0"));

        QCOMPARE(lmttest::failureOf([&] { checkWith("", featureId, newVersion); }),
            "-kor.service 'checkUpdate com.zdr.tb.tool.lumetra' command failed");
    }
};

QTEST_GUILESS_MAIN(TestLmtLauncherServiceConnector)
#include "tst_LmtLauncherServiceConnector.moc"
