#include "base/LmtSettings.h"
#include "common/LmtLoopbackHttpServer.h"
#include "common/LmtTestSupport.h"
#include "services/LmtAccessToken.h"
#include "services/LmtDownloadManager.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtUpdateSiteCheck.h"
#include "services/LmtVendorSite.h"
#include "services/NetworkException.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QNetworkReply>
#include <QSettings>
#include <QTcpServer>
#include <QThread>
#include <QtTest>

#include <memory>
#include <optional>

using namespace zendrel::lmt::setup;
using lmttest::HttpRequest;
using lmttest::HttpResponse;
using lmttest::LoopbackHttpServer;

namespace {

const QString kRefusedText = QStringLiteral(
    "Network Error occurred: Check your network settings and restrictions (e.g. firewall). Make "
    "sure there is access to the networking resources needed for Lumetra Setup to work "
    "correctly. The full list can be found in the User Guide");

// Answers "/slow" only when released, "/stall" with half a body, "/denied" with 401,
// "/missing" with 404 and everything else with "body of <target>".
HttpResponse scriptedAnswer(const HttpRequest &request)
{
    if (request.target == "/slow")
        return { 200, "slow body", {}, HttpResponse::Delivery::WhenReleased };
    if (request.target == "/stall")
        return { 200, QByteArray(4096, 'x'), {}, HttpResponse::Delivery::Stall };
    if (request.target == "/denied")
        return { 401, "{\"error\":\"invalid_token\"}", { { "WWW-Authenticate", "Bearer" } }, {} };
    if (request.target == "/missing")
        return { 404, "no such document", {}, {} };
    return { 200, "body of " + request.target, {}, {} };
}

// A port on which nothing listens: bound once to learn a free number, then closed again.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

QByteArray lastTarget(const LoopbackHttpServer &server)
{
    const QList<HttpRequest> requests = server.requests();
    return requests.isEmpty() ? QByteArray() : requests.last().target;
}

struct Failure {
    QString message;
    std::optional<int> networkCode; // empty for a plain runtime_error
};

template<typename Call>
std::optional<Failure> failureOf(Call call)
{
    try {
        call();
    } catch (const NetworkException &e) {
        return Failure { QString::fromUtf8(e.what()), e.code() };
    } catch (const std::runtime_error &e) {
        return Failure { QString::fromUtf8(e.what()), std::nullopt };
    }
    return std::nullopt;
}

// Runs one blocking GET on a thread of its own and keeps the result for the test.
class BackgroundGet
{
public:
    BackgroundGet(LmtDownloadManager &manager, QUrl url)
        : m_thread(QThread::create([this, &manager, url] {
            m_failure = failureOf([&] { m_body = manager.getData(url); });
        }))
    {
        m_thread->start();
    }
    ~BackgroundGet() { m_thread->wait(); }

    bool finish() { return m_thread->wait(30000); }
    QByteArray body() const { return m_body; }
    std::optional<Failure> failure() const { return m_failure; }

private:
    QByteArray m_body;
    std::optional<Failure> m_failure;
    std::unique_ptr<QThread> m_thread;
};

} // namespace

class TestLmtDownloadManager : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        // The request lines are logged at debug level; the tests check them and their redaction.
        QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true"));
    }

    void getSendsTheBearerTokenOnlyWhenOneIsSet()
    {
        LoopbackHttpServer server(scriptedAnswer);
        LmtDownloadManager manager;
        lmttest::LogCapture capture;
        const QByteArray secret = "eyJhbGciOiJIUzI1NiJ9.eyJzdWIiOiJhQGIuYyJ9.c2ln";
        auto token = std::make_shared<LmtAccessToken>(secret, "3600", "");

        QCOMPARE(manager.getData(server.url("/plain")), QByteArray("body of /plain"));
        QVERIFY(!server.requests().last().hasHeader("Authorization"));
        QVERIFY(capture.contains(QStringLiteral("[LmtDownloadManager] getData(), Url: '%1'")
                                     .arg(server.url("/plain").toString())));

        QCOMPARE(manager.getData(server.url("/tools/?dependencies=true"), token),
            QByteArray("body of /tools/?dependencies=true"));
        QCOMPARE(server.requests().last().header("Authorization"), "Bearer " + secret);
        QVERIFY(capture.contains(QStringLiteral("getData(), Url: '%1', Token: [REDACTED]")
                                     .arg(server.url("/tools/?dependencies=true").toString())));

        // A GET "with the current token" keeps sending the one set before.
        manager.getData(server.url("/again"), 5000);
        QCOMPARE(server.requests().last().header("Authorization"), "Bearer " + secret);

        // The token-less GET clears it for good.
        manager.getData(server.url("/anonymous"));
        QVERIFY(!server.requests().last().hasHeader("Authorization"));
        manager.getData(server.url("/still-anonymous"), 5000);
        QVERIFY(!server.requests().last().hasHeader("Authorization"));

        // The token record is read when the request is made, so a renewed token is sent.
        manager.getData(server.url("/old"), token, 5000);
        *token = LmtAccessToken("renewed-token", "3600", "");
        manager.getData(server.url("/renewed"), 5000);
        QCOMPARE(
            server.requests().last().header("Authorization"), QByteArray("Bearer renewed-token"));

        for (const QString &line : capture.lines()) {
            QVERIFY2(!line.contains(QString::fromLatin1(secret)), qPrintable(line));
            QVERIFY2(!line.contains("renewed-token"), qPrintable(line));
        }
    }

    void emptyTokenSendsBareBearerAndWarns()
    {
        LoopbackHttpServer server(scriptedAnswer);
        LmtDownloadManager manager;
        lmttest::LogCapture capture;

        QCOMPARE(manager.getData(server.url("/empty"), std::make_shared<LmtAccessToken>()),
            QByteArray("body of /empty"));
        QVERIFY(server.requests().last().hasHeader("Authorization"));
        QCOMPARE(server.requests().last().header("Authorization"), QByteArray("Bearer "));
        QVERIFY(capture.contains("[LmtDownloadManager] Access token is not valid"));

        capture.clear();
        manager.getData(server.url("/none"));
        QVERIFY(!capture.contains("Access token is not valid"));
    }

    void tokenNeverFollowsARedirectToAnotherOrigin()
    {
        LoopbackHttpServer elsewhere(scriptedAnswer);
        const QByteArray foreign = elsewhere.url("/collect").toString().toUtf8();
        LoopbackHttpServer server([&](const HttpRequest &request) {
            if (request.target == "/moved-here")
                return HttpResponse { 302, {}, { { "Location", "/plain" } }, {} };
            if (request.target == "/moved-away")
                return HttpResponse { 302, {}, { { "Location", foreign } }, {} };
            return scriptedAnswer(request);
        });
        LmtDownloadManager manager;
        auto token = std::make_shared<LmtAccessToken>("secret-r", "3600", "");

        QCOMPARE(manager.getData(server.url("/moved-here"), token), QByteArray("body of /plain"));
        QCOMPARE(server.requests().last().header("Authorization"), QByteArray("Bearer secret-r"));

        auto failure = failureOf([&] { manager.getData(server.url("/moved-away"), token); });
        QVERIFY(failure && failure->networkCode);
        QCOMPARE(*failure->networkCode, int(QNetworkReply::InsecureRedirectError));
        QCOMPARE(failure->message, "Network Error occurred: 'InsecureRedirectError'");
        QCOMPARE(elsewhere.requestCount(), 0);

        // Without a token there is nothing to leak and the redirect is followed.
        QCOMPARE(manager.getData(server.url("/moved-away")), QByteArray("body of /collect"));
        QCOMPARE(elsewhere.requestCount(), 1);
    }

    void failedRepliesThrowNetworkExceptions()
    {
        LoopbackHttpServer server(scriptedAnswer);
        LmtDownloadManager manager;
        auto token = std::make_shared<LmtAccessToken>("rejected", "3600", "");

        auto failure = failureOf([&] { manager.getData(server.url("/denied"), token); });
        QVERIFY(failure && failure->networkCode);
        QCOMPARE(*failure->networkCode, int(QNetworkReply::AuthenticationRequiredError));
        QCOMPARE(*failure->networkCode, 204);
        QCOMPARE(failure->message, "Network Error occurred: 'AuthenticationRequiredError'");

        failure = failureOf([&] { manager.getData(server.url("/missing"), token, 15000); });
        QVERIFY(failure && failure->networkCode);
        QCOMPARE(*failure->networkCode, 203);
        QCOMPARE(failure->message, "Network Error occurred: 'ContentNotFoundError'");

        const QUrl refused(QStringLiteral("http://127.0.0.1:%1/api/v1/tools/").arg(closedPort()));
        failure = failureOf([&] { manager.getData(refused); });
        QVERIFY(failure && failure->networkCode);
        QCOMPARE(*failure->networkCode, 1);
        QCOMPARE(failure->message, kRefusedText);

        // A reserved top-level domain never resolves.
        failure = failureOf(
            [&] { manager.getData(QUrl("http://lumetra-setup-test.invalid/api/v1/tools/")); });
        QVERIFY(failure && failure->networkCode);
        QCOMPARE(*failure->networkCode, int(QNetworkReply::HostNotFoundError));
        QCOMPARE(*failure->networkCode, 3);
        QCOMPARE(failure->message, "Network Error occurred: 'HostNotFoundError'");

        // After every kind of failure the manager is idle again.
        QCOMPARE(manager.getData(server.url("/after")), QByteArray("body of /after"));
    }

    void transferTimeOutAppliesPerRequest()
    {
        LoopbackHttpServer server(scriptedAnswer);
        LmtDownloadManager manager;

        QElapsedTimer clock;
        clock.start();
        auto failure = failureOf([&] { manager.getData(server.url("/stall"), 300); });
        QVERIFY(failure && failure->networkCode);
        QCOMPARE(*failure->networkCode, int(QNetworkReply::OperationCanceledError));
        QCOMPARE(*failure->networkCode, 5);
        QCOMPARE(failure->message, "Network Error occurred: 'OperationCanceledError'");
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));

        // The next request without a time-out waits as long as the server needs, here well
        // beyond the 300 ms of the request before.
        BackgroundGet slow(manager, server.url("/slow"));
        QTRY_COMPARE_WITH_TIMEOUT(lastTarget(server), QByteArray("/slow"), 10000);
        QTest::qWait(900);
        server.releaseHeld();
        QVERIFY(slow.finish());
        QVERIFY2(!slow.failure(), qPrintable(slow.failure() ? slow.failure()->message : ""));
        QCOMPARE(slow.body(), QByteArray("slow body"));
    }

    void overlappingCallFailsAtOnceAndLeavesTheFirstAlone()
    {
        LoopbackHttpServer server(scriptedAnswer);
        LmtDownloadManager manager;
        lmttest::LogCapture capture;

        BackgroundGet first(manager, server.url("/slow"));
        QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1, 10000);

        QElapsedTimer clock;
        clock.start();
        auto failure = failureOf([&] {
            manager.getData(
                server.url("/second"), std::make_shared<LmtAccessToken>("intruder", "1", ""));
        });
        QVERIFY(failure);
        QVERIFY(!failure->networkCode);
        QCOMPARE(failure->message, "Another getData(Url) request is in progress");

        failure = failureOf([&] { manager.postData(server.url("/post"), "x", 1000); });
        QVERIFY(failure);
        QVERIFY(!failure->networkCode);
        QCOMPARE(failure->message, "Another request is in progress");
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(server.requestCount(), 1);

        server.releaseHeld();
        QVERIFY(first.finish());
        QVERIFY(!first.failure());
        QCOMPARE(first.body(), QByteArray("slow body"));

        // The rejected call did not leave its token behind.
        manager.getData(server.url("/current-token"), 5000);
        QVERIFY(!server.requests().last().hasHeader("Authorization"));
        QVERIFY(!capture.contains("intruder"));
    }

    void postDataSendsTheBodyWithoutToken()
    {
        LoopbackHttpServer server(scriptedAnswer);
        LmtDownloadManager manager;
        lmttest::LogCapture capture;

        manager.getData(
            server.url("/login"), std::make_shared<LmtAccessToken>("secret-t", "1", ""));
        manager.postData(server.url("/kor-service/revokeAccessToken"), "payload", 5000);
        const HttpRequest post = server.requests().last();
        QCOMPARE(post.method, QByteArray("POST"));
        QCOMPARE(post.target, QByteArray("/kor-service/revokeAccessToken"));
        QCOMPARE(post.body, QByteArray("payload"));
        QVERIFY(!post.hasHeader("Authorization"));
        QCOMPARE(post.header("Content-Type"), QByteArray("application/octet-stream"));
        QVERIFY(!capture.contains("content-type missing"));
        QVERIFY(
            capture.contains(QStringLiteral("[LmtDownloadManager] postData(), Url: '%1'")
                                 .arg(server.url("/kor-service/revokeAccessToken").toString())));
        QVERIFY(capture.contains("[LmtDownloadManager] postData() successful, response: body of "
                                 "/kor-service/revokeAccessToken"));

        manager.postData(server.url("/empty-post"), QByteArray(), 5000);
        QCOMPARE(server.requests().last().method, QByteArray("POST"));
        QVERIFY(server.requests().last().body.isEmpty());
        QVERIFY(!server.requests().last().hasHeader("Content-Type"));

        // Posts name every failure by its code, a refused connection included.
        auto failure = failureOf([&] { manager.postData(server.url("/denied"), "x", 5000); });
        QVERIFY(failure && failure->networkCode);
        QCOMPARE(*failure->networkCode, 204);
        const QUrl refused(QStringLiteral("http://127.0.0.1:%1/revoke").arg(closedPort()));
        failure = failureOf([&] { manager.postData(refused, {}, 5000); });
        QVERIFY(failure && failure->networkCode);
        QCOMPARE(*failure->networkCode, 1);
        QCOMPARE(failure->message, "Network Error occurred: 'ConnectionRefusedError'");
        failure = failureOf([&] { manager.postData(server.url("/stall"), "x", 300); });
        QVERIFY(failure && failure->networkCode);
        QCOMPARE(*failure->networkCode, 5);

        // The post left the token in place for the next GET with the current token.
        manager.getData(server.url("/after-post"), 5000);
        QCOMPARE(server.requests().last().header("Authorization"), QByteArray("Bearer secret-t"));
    }

    void registryUrlSettingFallsBackToTheVendorDefault()
    {
        QSettings &settings = applicationSettings();
        settings.remove("LmtDownloadSettings");
        const QUrl fallback(korOnlineUrl());
        QCOMPARE(fallback.scheme(), "https");
        QCOMPARE(fallback.path(), "/api/v1/tools/");
        QVERIFY(fallback.host().endsWith(".example"));
        QCOMPARE(korOnlineUrl(), defaultOnlineRegistryUrl());

        setKorOnlineUrl("http://127.0.0.1:1234/api/v1/tools/");
        QCOMPARE(settings.value("LmtDownloadSettings/korOnlineUrl").toString(),
            "http://127.0.0.1:1234/api/v1/tools/");
        QCOMPARE(korOnlineUrl(), "http://127.0.0.1:1234/api/v1/tools/");

        settings.setValue("LmtDownloadSettings/korOnlineUrl", QString());
        QCOMPARE(korOnlineUrl(), defaultOnlineRegistryUrl());

        // The vendor's pages share the registry's host.
        QCOMPARE(vendorToolPageUrl("lmt-studio"), vendorSiteBaseUrl() + "/tools/lmt-studio");
        QCOMPARE(QUrl(setupUserGuideUrl()).host(), fallback.host());
        QCOMPARE(QUrl(vendorSiteBaseUrl()).host(), fallback.host());
    }

    void updateSiteCheckReportsBothKindsOfFailure()
    {
        LoopbackHttpServer server(scriptedAnswer);
        auto manager = std::make_shared<LmtDownloadManager>();
        std::shared_ptr<ILmtDownloadManager> service = manager;

        const QString good = server.url("/api/v1/tools/").toString();
        manager->getData(server.url("/login"), std::make_shared<LmtAccessToken>("t", "1", ""));
        LmtUpdateSiteStatus status = checkUpdateSiteUrl(good, service);
        QVERIFY(status.succeeded());
        QCOMPARE(status.code, 0);
        QCOMPARE(status.message, "Success!");
        QVERIFY(!server.requests().last().hasHeader("Authorization"));

        const QString refused
            = QStringLiteral("http://127.0.0.1:%1/api/v1/tools/").arg(closedPort());
        status = checkUpdateSiteUrl(refused, service);
        QCOMPARE(status.code, -1);
        QCOMPARE(status.message,
            QStringLiteral("Unable to access update site URL '%1'. %2").arg(refused, kRefusedText));

        status = checkUpdateSiteUrl(server.url("/missing").toString(), service);
        QCOMPARE(status.code, -1);
        QCOMPARE(status.message,
            QStringLiteral("Unable to access update site URL '%1'. Network "
                           "Error occurred: 'ContentNotFoundError'")
                .arg(server.url("/missing").toString()));

        // A server that stops sending fails the check after the time-out instead of holding
        // the (waiting) window for ever.
        const QString stalled = server.url("/stall").toString();
        status = checkUpdateSiteUrl(stalled, service, 300);
        QCOMPARE(status.code, -1);
        QCOMPARE(status.message,
            QStringLiteral("Unable to access update site URL '%1'. Network "
                           "Error occurred: 'OperationCanceledError'")
                .arg(stalled));

        // Any other failure, here a request still in flight, asks the user to try again later.
        BackgroundGet busy(*manager, server.url("/slow"));
        QTRY_COMPARE_WITH_TIMEOUT(lastTarget(server), QByteArray("/slow"), 10000);
        status = checkUpdateSiteUrl(good, service);
        QCOMPARE(status.code, -1);
        QCOMPARE(status.message,
            QStringLiteral("Unable to access update site URL '%1'. Another "
                           "getData(Url) request is in progress. Try again later.")
                .arg(good));
        server.releaseHeld();
        QVERIFY(busy.finish());
        QCOMPARE(busy.body(), QByteArray("slow body"));
    }
};

QTEST_MAIN(TestLmtDownloadManager)
#include "tst_LmtDownloadManager.moc"
