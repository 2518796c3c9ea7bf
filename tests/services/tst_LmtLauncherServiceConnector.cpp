#include "common/LmtFakeDownloadManager.h"
#include "common/LmtFakeLauncher.h"
#include "common/LmtTableRows.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtProcessHandle.h"
#include "services/LmtVendorSite.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::failureOf;
using lmttest::FakeDownloadManager;
using lmttest::FakeLauncher;
using lmttest::rowsFrom;

const QString RegistryUrl = QStringLiteral("http://127.0.0.1:9/api/v1/tools/");

class TestLmtLauncherServiceConnector : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<FakeDownloadManager> m_http;

    // Without the service's start-up pause, unless the test is about it.
    std::unique_ptr<LmtLauncherServiceConnector> makeConnector(bool paused = false)
    {
        m_http = std::make_shared<FakeDownloadManager>();
        auto connector = std::make_unique<LmtLauncherServiceConnector>(m_http);
        if (!paused)
            connector->setStartupPause(std::chrono::milliseconds(0));
        return connector;
    }

    // What the connector knows of the service, in one line.
    static QString state(const LmtLauncherServiceConnector &c)
    {
        return QStringLiteral("found %1 port %2 %3")
            .arg(QString::number(c.executableFound()),
                QString::number(c.isStarted() ? c.port() : 0), c.launcherCli());
    }

    // "<count of calls> <operation> <url> <time-out> '<body>'" of the HTTP call made last.
    QString lastCall() const
    {
        static const char *names[]
            = { "GetWithToken", "GetWithCurrentToken", "GetWithoutToken", "Post" };
        const FakeDownloadManager::Call call = m_http->calls().last();
        return QStringLiteral("%1 %2 %3 %4 '%5'")
            .arg(QString::number(m_http->calls().size()), names[int(call.operation)],
                call.url.toString(), QString::number(call.timeoutMs), QString::fromUtf8(call.body));
    }

    static void waitFor(const std::shared_ptr<LmtProcessHandle> &handle)
    {
        QSignalSpy ended(handle.get(), &LmtProcessHandle::finished);
        QVERIFY(ended.wait(10000) && ended.first().at(0).toBool());
    }

private Q_SLOTS:
    void initTestCase() { setKorOnlineUrl(RegistryUrl); }

    void cleanup() { qunsetenv("SystemDrive"); }

    void serviceRunsFromHomeOrTheSystemDriveOrFailsWithTheHelpText()
    {
        lmttest::LogCapture capture;
        auto connector = makeConnector();
        const QString failure = failureOf([&] { connector->start(); });
        // Where the user should look, even though that folder does not exist.
        QCOMPARE(failure,
            QStringLiteral("Cannot find kor-launcher-service executable expected at %1 - was it "
                           "accidentally deleted? Please see on how to fix the corrupt "
                           "installation and other issues in <a href=\"%2\">Lumetra Setup User "
                           "Guide</a> and/or send log to the support team.")
                .arg(QDir::toNativeSeparators(QDir::homePath() + "/Zendrel/LauncherService/"),
                    setupUserGuideUrl()));
        QCOMPARE(state(*connector), "found 0 port 0 kor-launcher-service");
        QVERIFY(capture.contains("[LmtLauncherServiceConnector] " + failure));

        // An existing but empty service folder fails the same; so does downloadTool(), which
        // starts the service first.
        QVERIFY(QDir().mkpath(QDir::homePath() + "/Zendrel/LauncherService"));
        QCOMPARE(failureOf([&] { connector->start(); }), failure);
        QDir(QDir::homePath() + "/Zendrel").removeRecursively();
        QCOMPARE(failureOf([&] { connector->downloadTool("com.zdr.x", "1.0.0.1"); }), failure);

        // The service runs from home or else from the system drive.
        const QString drive = m_sandbox.filePath("drive");
        qputenv("SystemDrive", QFile::encodeName(drive));
        FakeLauncher onDrive(drive, FakeLauncher::portBody());
        connector->start();
        QCOMPARE(state(*connector),
            "found 1 port 49152 " + drive + "/Zendrel/LauncherService/kor-launcher-service");

        // The home location wins when both exist.
        FakeLauncher launcher(FakeLauncher::portBody());
        connector->start();
        QCOMPARE(state(*connector), "found 1 port 49152 " + launcher.program());
        QVERIFY(capture.contains(
                    QStringLiteral("[LmtLauncherServiceConnector] discoverLauncherCli(): "
                                   "launcherCli: '%1', launcherCmd: '%1', launcherArgs: ''")
                        .arg(launcher.program()))
            && capture.contains(
                QStringLiteral("Call: %1 -port returned: ").arg(launcher.program())));
        // The service itself is started without arguments in the home directory; "-port" once.
        QTRY_COMPARE_WITH_TIMEOUT(launcher.runs().size(), 2, 10000);
        QStringList runs;
        for (const FakeLauncher::Run &run : launcher.runs())
            runs << run.arguments.join(' ') + " in "
                    + QFileInfo(run.workingDirectory).canonicalFilePath();
        QVERIFY2(runs.contains(" in " + QFileInfo(QDir::homePath()).canonicalFilePath())
                && runs.filter(QRegularExpression("^-port in ")).size() == 1,
            qPrintable(runs.join('\n')));
    }

    void portIsTheFirstNumberOnALineOfItsOwn_data() { rowsFrom("services/port-outputs.json"); }
    void portIsTheFirstNumberOnALineOfItsOwn()
    {
        QFETCH(QJsonObject, row);
        lmttest::writeFile(m_sandbox.filePath("port.txt"), row["output"].toString().toUtf8());
        FakeLauncher launcher("if [ \"$1\" = -port ]; then cat '"
            + m_sandbox.filePath("port.txt").toUtf8() + "'; exit "
            + QByteArray::number(row["exit"].toInt()) + "; fi");
        auto connector = makeConnector();
        const int port = row["port"].toInt();
        QCOMPARE(failureOf([&] { connector->start(); }),
            port ? QString() : "Failed to discover Launcher Service port");
        QCOMPARE(state(*connector), QString("found 1 port %1 ").arg(port) + launcher.program());
    }

    void tokenIsRequestedVerifiedAndRevokedThroughTheService()
    {
        FakeLauncher launcher(FakeLauncher::portBody());
        auto connector = makeConnector(true);
        QSignalSpy changed(connector.get(), &ILmtLauncherServiceConnector::accessTokenChanged);
        const QByteArray token = lmttest::tokenWithSubject("john.doe@example.com");
        lmttest::LogCapture capture;
        m_http->replyWith(R"({"accessToken":")" + token
            + R"(","expires_in":"3600","received_at":"2026-12-06 20:00:00.123"})");
        QElapsedTimer timer;
        timer.start();
        connector->requestAccessToken();
        // The request starts the service, which is given its start-up pause before "-port".
        QVERIFY2(timer.elapsed() >= 2000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(state(*connector), "found 1 port 49152 " + launcher.program());
        QCOMPARE(lastCall(),
            "1 GetWithCurrentToken http://127.0.0.1:49152/kor-service/requestAccessToken 60000 ''");
        QCOMPARE(changed, (QList<QVariantList> { { token, "3600", "2026-12-06 20:00:00.123" } }));
        QVERIFY(!capture.contains(QString::fromUtf8(token)));

        // The service is asked whether it holds a token, without sending one.
        m_http->replyWith(R"({"accessToken":"abc.def.ghi"})");
        QVERIFY(connector->verifyTokenValue("abc.def.ghi")
            && !connector->verifyTokenValue("abc.def.gh"));
        QCOMPARE(lastCall(), "3 GetWithoutToken http://127.0.0.1:49152/getAccessToken 0 ''");
        QCOMPARE(changed.size(), 1);

        connector->revokeAccessToken();
        QCOMPARE(lastCall(), "4 Post http://127.0.0.1:49152/kor-service/revokeAccessToken 5000 ''");
        QVERIFY(capture.contains("[LmtLauncherServiceConnector] Current access token has been "
                                 "revoked successfully in the KOR launcher service"));
        // An unreachable service is only logged (see the end-to-end test); anything else is
        // not a network matter and reaches the caller.
        m_http->setResponder([](const FakeDownloadManager::Call &) -> QByteArray {
            throw std::runtime_error("Another request is in progress");
        });
        QCOMPARE(
            failureOf([&] { connector->revokeAccessToken(); }), "Another request is in progress");
    }

    void tokenRepliesAreChecked_data() { rowsFrom("services/token-replies.json"); }
    void tokenRepliesAreChecked()
    {
        QFETCH(QJsonObject, row);
        FakeLauncher launcher(FakeLauncher::portBody());
        auto connector = makeConnector();
        connector->start();
        QSignalSpy changed(connector.get(), &ILmtLauncherServiceConnector::accessTokenChanged);
        lmttest::LogCapture capture;
        m_http->replyWith(row["reply"].toString().toUtf8());
        QCOMPARE(failureOf([&] {
            if (row["verify"].toBool())
                connector->verifyTokenValue("abc.def.ghi");
            else
                connector->requestAccessToken();
        }),
            row["failure"].toString());
        const QString logged = row["logged"].toString();
        QVERIFY2(
            logged.isEmpty() || capture.contains(logged), qPrintable(capture.lines().join('\n')));
        QCOMPARE(changed.size(), 0);
    }

    void verbsPassTheirExactArgumentVectors()
    {
        FakeLauncher launcher(FakeLauncher::portBody());
        auto connector = makeConnector();
        const auto last
            = [&] { return launcher.calls().last().join('|').replace(RegistryUrl, "@"); };
        // The installer only runs after downloads, which started the service; on its own it
        // neither starts the service nor looks for the executable.
        QCOMPARE(failureOf([&] { connector->installTool("com.zdr.x", "1.0.0.1", { "--" }); }),
            "process failed to start");
        QCOMPARE(state(*connector), "found 0 port 0 kor-launcher-service");
        QVERIFY(launcher.calls().isEmpty());

        // Not started: the download starts the service first.
        waitFor(connector->downloadTool("com.zdr.tb.tool.lumetra", "3.2.0.1200"));
        QCOMPARE(state(*connector), "found 1 port 49152 " + launcher.program());
        QCOMPARE(last(), "-kor.service|downloadOnly com.zdr.tb.tool.lumetra:3.2.0.1200 @");

        // A version object names its tool's feature id and its version text.
        const auto tool = LmtTool::create("com.zdr.arm", LmtToolType::ContentPack, "ARM");
        const auto version = LmtOnlineToolVersion::create("1.0.0.10", 1000010, 7);
        tool->addVersion(version);
        waitFor(connector->downloadTool(version));
        QCOMPARE(last(), "-kor.service|downloadOnly com.zdr.arm:1.0.0.10 @");
        QCOMPARE(failureOf([&] { connector->downloadTool(std::shared_ptr<LmtToolVersion>()); }),
            "No tool version given to download");

        const int runsBefore = launcher.calls().size();
        const QStringList switches { "--", "/verysilent", "/currentuser", "/dir=/opt/my tools" };
        waitFor(connector->installTool("com.zdr.arm", "1.0.0.10", switches));
        QCOMPARE(last(), "-kor.service|installOnly com.zdr.arm:1.0.0.10 @|" + switches.join('|'));
        // The command a sudo installation runs is the very one installTool() starts; nothing
        // runs for it.
        const LmtCommandLine command
            = connector->installCommand("com.zdr.arm", "1.0.0.10", switches);
        QCOMPARE(QStringList(command.program) + command.arguments,
            QStringList(launcher.program()) + launcher.calls().last());
        QCOMPARE(launcher.calls().size(), runsBefore + 1);

        connector->updateToolDetached(
            "com.zdr.tb.tool.lumetrasetup", "1.3.0.800", { "--", "/allusers", "/dir=/opt/setup" });
        QTRY_COMPARE_WITH_TIMEOUT(launcher.calls().size(), runsBefore + 2, 10000);
        QCOMPARE(last(),
            "-kor.service|installOnly com.zdr.tb.tool.lumetrasetup:1.3.0.800 "
            "@|--|/allusers|/dir=/opt/setup");
    }

    void concurrentDownloadsShareOneStart_data()
    {
        QTest::addColumn<QString>("outcome");
        QTest::newRow("started") << QString("started");
        QTest::newRow("start fails") << QString("Failed to discover Launcher Service port");
    }
    // The service did not start with the application, and three download workers ask for it
    // at once. Its "-port" answers only when the test opens the gate, after every worker has
    // either begun a start or said that it waits for one.
    void concurrentDownloadsShareOneStart()
    {
        QFETCH(QString, outcome);
        const QByteArray portOutput = outcome == "started" ? "49152\n" : "no port yet\n";
        lmttest::LogCapture capture;
        FakeLauncher launcher(lmttest::fixture("services/launcher-gated-port.sh"));
        auto connector = makeConnector();
        QMutex mutex;
        QStringList outcomes;
        std::vector<std::unique_ptr<QThread>> workers;
        for (int i = 0; i < 3; ++i) {
            workers.emplace_back(QThread::create([&connector, &mutex, &outcomes, i] {
                const QString result = failureOf([&] {
                    connector->downloadTool(QString("com.zdr.t%1").arg(i), "1.0.0.1")->wait();
                });
                QMutexLocker lock(&mutex);
                outcomes << (result.isEmpty() ? QStringLiteral("started") : result);
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
        QCOMPARE(QList<qsizetype>({ count(starting), count(waiting) }), QList<qsizetype>({ 1, 2 }));
        const QList<QStringList> calls = launcher.calls();
        // The service itself started once, asked for its port once.
        QVERIFY(calls.count(QStringList()) == 1 && calls.count(QStringList { "-port" }) == 1);
        QCOMPARE(calls.size(), outcome == "started" ? 5 : 2); // and every download, or none
    }

    void updateCheckReadsOnlyThisToolsLine_data() { rowsFrom("services/update-checks.json"); }
    void updateCheckReadsOnlyThisToolsLine()
    {
        QFETCH(QJsonObject, row);
        FakeLauncher launcher(
            FakeLauncher::portBody(lmttest::fixture("services/launcher-update-check.sh")));
        lmttest::writeFile(QFileInfo(launcher.program()).absolutePath() + "/check-output.txt",
            row["output"].toString().toUtf8());
        auto connector = makeConnector();
        connector->start();
        lmttest::LogCapture capture;
        QString found;
        // "|none" marks an answer of no update; a failure leaves found as it was.
        QCOMPARE(failureOf([&] {
            found += connector->checkForUpdate("com.zdr.tb.tool.lumetra", found) ? "" : "|none";
        }),
            row["failure"].toString());
        QCOMPARE(found,
            row.value("newVersion").toString(row["failure"].toString().isEmpty() ? "|none" : ""));
        QCOMPARE(launcher.calls().last(),
            (QStringList { "-kor.service",
                "checkUpdate com.zdr.tb.tool.lumetra " + RegistryUrl + " -silent" }));
        const QString logged = row["logged"].toString();
        QVERIFY2(
            logged.isEmpty() || capture.contains(logged), qPrintable(capture.lines().join('\n')));
    }
};

QTEST_GUILESS_MAIN(TestLmtLauncherServiceConnector)
#include "tst_LmtLauncherServiceConnector.moc"
