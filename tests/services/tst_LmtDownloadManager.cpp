#include "base/LmtSettings.h"
#include "common/LmtLoopbackHttpServer.h"
#include "common/LmtTableRows.h"
#include "services/LmtAccessToken.h"
#include "services/LmtDownloadManager.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtJobRig.h"
#include "services/LmtUpdateSiteCheck.h"
#include "services/LmtVendorSite.h"

#include <QNetworkReply>
#include <QTcpServer>
#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::HttpRequest;
using lmttest::HttpResponse;
using lmttest::LoopbackHttpServer;
using lmttest::networkFailureOf;
using lmttest::rowsFrom;

namespace {

// A URL of a port on which nothing listens.
QByteArray refusedUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return QStringLiteral("http://127.0.0.1:%1/api/v1/tools/").arg(probe.serverPort()).toUtf8();
}

// Answers "/slow" only when released, "/stall" with half a body, "/denied" with 401,
// "/missing" with 404, redirects "/moved-here" to "/plain" and "/moved-away" to another origin,
// and answers everything else with "body of <target>".
HttpResponse scriptedAnswer(const HttpRequest &request)
{
    if (request.target.startsWith("/moved-"))
        return { 302, {},
            { { "Location", request.target == "/moved-here" ? "/plain" : refusedUrl() } }, {} };
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

} // namespace

class TestLmtDownloadManager : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    LoopbackHttpServer m_server { scriptedAnswer };

    // A URL on m_server, or one of the two that never answer: "refused" (a port on which
    // nothing listens) and "unresolvable" (a reserved top-level domain).
    QUrl urlFor(const QString &target) const
    {
        if (target == "refused")
            return QUrl(QString::fromUtf8(refusedUrl()));
        if (target == "unresolvable")
            return QUrl("http://lumetra-setup-test.invalid/api/v1/tools/");
        return m_server.url(target);
    }
    HttpRequest last() const { return m_server.requests().last(); }

private Q_SLOTS:
    // The request lines are logged at debug level; the tests check them and their redaction.
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true")); }

    // The calls of services/bearer-steps.txt one after the other, each with the header it sends,
    // and what the log holds by then.
    void bearerTokenIsSentOnlyWhileOneIsSet()
    {
        LmtDownloadManager manager;
        lmttest::LogCapture capture;
        const QByteArray secret = "eyJhbGciOiJIUzI1NiJ9.eyJzdWIiOiJhQGIuYyJ9.c2ln";
        auto token = std::make_shared<LmtAccessToken>(secret, "3600", "");
        const auto empty = std::make_shared<LmtAccessToken>();
        const QMap<QString, std::function<void(const QUrl &)>> calls {
            { "without", [&](const QUrl &url) { manager.getData(url); } },
            { "with", [&](const QUrl &url) { manager.getData(url, token); } },
            { "with, time-out", [&](const QUrl &url) { manager.getData(url, token, 5000); } },
            { "current", [&](const QUrl &url) { manager.getData(url, 5000); } },
            { "empty", [&](const QUrl &url) { manager.getData(url, empty); } },
            { "post", [&](const QUrl &url) { manager.postData(url, "payload", 5000); } },
            { "empty post", [&](const QUrl &url) { manager.postData(url, "", 5000); } },
            { "renew", [&](const QUrl &) { *token = LmtAccessToken("renewed-token", "3600", ""); } }
        };
        for (const QString &line :
            QString::fromUtf8(lmttest::fixture("services/bearer-steps.txt")).split('\n')) {
            const QStringList step = QString(line).replace("{secret}", secret).split(" | ");
            if (line.startsWith('#') || step.size() != 4)
                continue;
            if (step[0].endsWith("logged"))
                QVERIFY2(capture.contains(QString(step[1]).replace(
                             "{server}", m_server.url("/").toString().chopped(1)))
                        == (step[0] == "logged"),
                    qPrintable(line));
            else
                calls[step[0]](m_server.url(step[1]));
            if (step[2] == "~")
                continue;
            const auto sent = [](const QByteArray &value) { return value.isEmpty() ? "-" : value; };
            QCOMPARE(last().hasHeader("Authorization") ? last().header("Authorization") : "-",
                step[2].toUtf8());
            QCOMPARE(
                last().method + ' ' + sent(last().body) + ' ' + sent(last().header("Content-Type")),
                step[3].toUtf8());
        }
    }

    void failuresNameTheirNetworkCode_data() { rowsFrom("services/network-failures.json"); }
    void failuresNameTheirNetworkCode()
    {
        QFETCH(QJsonObject, row);
        const QUrl url = urlFor(row["target"].toString());
        const int timeoutMs = row["timeoutMs"].toInt();
        LmtDownloadManager manager;
        const auto token = std::make_shared<LmtAccessToken>("rejected", "3600", "");
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(networkFailureOf([&] {
            if (row["post"].toBool())
                manager.postData(url, "x", timeoutMs);
            else if (timeoutMs)
                manager.getData(url, token, timeoutMs);
            else
                manager.getData(url);
        }),
            row["failure"].toString());
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
        // After every kind of failure the manager is idle again.
        QCOMPARE(manager.getData(m_server.url("/after")), QByteArray("body of /after"));
    }

    // A time-out applies to its own request only: the held GET without one outlasts it.
    void overlappingCallFailsAtOnceAndLeavesTheFirstAlone()
    {
        auto manager = std::make_shared<LmtDownloadManager>();
        QVERIFY(
            !networkFailureOf([&] { manager->getData(m_server.url("/stall"), 300); }).isEmpty());
        lmttest::LogCapture capture;
        const int requests = m_server.requestCount() + 1;
        QString failure;
        QByteArray body;
        std::unique_ptr<QThread> first(QThread::create([&] {
            failure = networkFailureOf([&] { body = manager->getData(m_server.url("/slow")); });
        }));
        first->start();
        const auto joined = qScopeGuard([&] {
            m_server.releaseHeld();
            first->wait();
        });
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requestCount(), requests, 10000);

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(networkFailureOf([&] {
            manager->getData(
                m_server.url("/second"), std::make_shared<LmtAccessToken>("intruder", "1", ""));
        }),
            "plain: Another getData(Url) request is in progress");
        QCOMPARE(networkFailureOf([&] { manager->postData(m_server.url("/post"), "x", 1000); }),
            "plain: Another request is in progress");
        // Any failure other than the network's asks the user to try again later.
        const QString good = m_server.url("/api/v1/tools/").toString();
        const LmtUpdateSiteStatus status = checkUpdateSiteUrl(good, manager);
        QCOMPARE(QString::number(status.code) + ' ' + status.message,
            QStringLiteral("-1 Unable to access update site URL '%1'. Another getData(Url) "
                           "request is in progress. Try again later.")
                .arg(good));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(m_server.requestCount(), requests);

        QTest::qWait(900);
        m_server.releaseHeld();
        QVERIFY(first->wait(30000));
        QCOMPARE(failure + body, "slow body");
        // The rejected call did not leave its token behind.
        manager->getData(m_server.url("/current-token"), 5000);
        QVERIFY(!last().hasHeader("Authorization") && !capture.contains("intruder"));
    }

    void updateSiteCheckNamesTheUrlAndTheFailure_data() { rowsFrom("services/site-checks.json"); }
    void updateSiteCheckNamesTheUrlAndTheFailure()
    {
        QFETCH(QJsonObject, row);
        auto manager = std::make_shared<LmtDownloadManager>();
        // A signed-in session before: the check itself goes without the token.
        manager->getData(m_server.url("/login"), std::make_shared<LmtAccessToken>("t", "1", ""));
        const QString url = urlFor(row["target"].toString()).toString();
        const LmtUpdateSiteStatus status = checkUpdateSiteUrl(url, manager, 300);
        QCOMPARE(status.code, row["code"].toInt());
        QCOMPARE(status.succeeded(), status.code == 0);
        QCOMPARE(status.message, row["message"].toString().arg(url));
        QVERIFY(status.code != 0 || !last().hasHeader("Authorization"));
    }

    // Never written and written are checked by the preferences test; an empty value falls back.
    void registryUrlSettingFallsBackToTheVendorDefault()
    {
        applicationSettings().setValue("LmtDownloadSettings/korOnlineUrl", QString());
        // The vendor's pages share the registry's host.
        const QUrl fallback(korOnlineUrl());
        QCOMPARE(QStringList({ fallback.scheme() + ' ' + fallback.path(), vendorToolPageUrl("x"),
                     QUrl(setupUserGuideUrl()).host() }),
            QStringList(
                { "https /api/v1/tools/", vendorSiteBaseUrl() + "/tools/x", fallback.host() }));
        QVERIFY(
            fallback.host().endsWith(".example") && vendorSiteBaseUrl().contains(fallback.host()));
    }
};

QTEST_MAIN(TestLmtDownloadManager)
#include "tst_LmtDownloadManager.moc"
