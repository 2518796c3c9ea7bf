#include "base/LmtSettings.h"
#include "common/LmtFakeDownloadManager.h"
#include "common/LmtFakeLauncher.h"
#include "common/LmtTableRows.h"
#include "services/LmtAccessToken.h"
#include "services/LmtJobRig.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtLoginManager.h"

#include <QNetworkReply>
#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::FakeDownloadManager;
using lmttest::FakeLauncher;
using lmttest::networkFailureOf;
using lmttest::rowsFrom;

namespace {

QString stamp(qint64 secondsAgo = 0)
{
    return QDateTime::currentDateTime().addSecs(-secondsAgo).toString("yyyy-MM-dd hh:mm:ss");
}

QByteArray tokenReply(const QByteArray &token)
{
    return R"({"accessToken":")" + token + R"(","expires_in":"3600","received_at":")"
        + stamp().toUtf8() + R"("})";
}

bool tokenPersisted()
{
    return applicationSettings().contains("LmtAccessToken/accessToken");
}

// The launcher's token request fails with code; its revoke (a POST) succeeds.
FakeDownloadManager::Responder failingWith(int code, const QByteArray &text)
{
    return [code, text](const FakeDownloadManager::Call &call) -> QByteArray {
        if (call.operation == FakeDownloadManager::Operation::Post)
            return QByteArray();
        throw NetworkException(QString::fromUtf8(text), QNetworkReply::NetworkError(code));
    };
}

} // namespace

// Runs against the real connector, with a scripted launcher and a fake HTTP client, so that the
// texts the user sees come out of the whole sign-in path.
class TestLmtLoginManager : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::unique_ptr<FakeLauncher> m_launcher;
    std::shared_ptr<FakeDownloadManager> m_http;
    std::shared_ptr<LmtLauncherServiceConnector> m_connector;
    std::unique_ptr<LmtLoginManager> m_manager;

    void signIn()
    {
        m_http->replyWith(tokenReply(lmttest::tokenWithSubject("john.doe@example.com")));
        m_manager->startLogin();
    }

private Q_SLOTS:
    void initTestCase() { m_launcher = std::make_unique<FakeLauncher>(FakeLauncher::portBody()); }

    void init()
    {
        m_http = std::make_shared<FakeDownloadManager>();
        m_connector = std::make_shared<LmtLauncherServiceConnector>(m_http);
        m_connector->setStartupPause(std::chrono::milliseconds(0));
        m_manager = std::make_unique<LmtLoginManager>(m_connector);
    }

    // The address shown is the token subject's, masked up to the at sign.
    void loginPublishesTheMaskedAddress_data() { rowsFrom("services/login-tokens.json"); }
    void loginPublishesTheMaskedAddress()
    {
        QFETCH(QJsonObject, row);
        const QByteArray token = row.contains("subject")
            ? lmttest::tokenWithSubject(row["subject"].toString())
            : row["token"].toString().toUtf8();
        lmttest::LogCapture capture;
        QSignalSpy state(m_manager.get(), &ILmtLoginManager::loginStateChanged);
        QSignalSpy uiLog(m_manager.get(), &ILmtLoginManager::appendUILog);
        m_http->replyWith(tokenReply(token));

        m_manager->startLogin();
        QVERIFY(m_connector->isStarted()
            && capture.contains(
                "[LmtLoginManager] Launcher service is not started, calling start() on connector"));
        QCOMPARE(state, (QList<QVariantList> { { true, true, row["shown"].toString() } }));
        QCOMPARE(uiLog,
            (QList<QVariantList> {
                { row["uiLine"].toString(), QVariant::fromValue(ConsoleMessageType::Auto) } }));
        QCOMPARE(m_manager->accessToken()->accessToken(), token);
        QVERIFY(tokenPersisted() && !capture.contains(QString::fromUtf8(token))
            && capture.contains("[LmtLoginManager] onAccessTokenChanged(), token: [REDACTED]"));
    }

    void logoutClearsPublishesAndRevokesWhateverThread()
    {
        signIn();
        const auto tokenBefore = m_manager->accessToken();
        QSignalSpy state(m_manager.get(), &ILmtLoginManager::loginStateChanged);
        QSignalSpy uiLog(m_manager.get(), &ILmtLoginManager::appendUILog);
        lmttest::LogCapture capture;
        m_http->clearCalls();

        m_manager->startLogout();
        QCOMPARE(state, (QList<QVariantList> { { false, true, QString() } }));
        QCOMPARE(uiLog.first().first().toString(), "Logged out");
        QVERIFY(!m_manager->accessToken()->isValid() && !tokenPersisted());
        QVERIFY(m_http->calls().size() == 1
            && m_http->calls().first().operation == FakeDownloadManager::Operation::Post
            && m_http->calls().first().url.path() == "/kor-service/revokeAccessToken");
        QVERIFY(capture.contains("[LmtLoginManager] Logout is successful, access token revoked"));
        // Whoever still holds the former record (another thread) does not see it change.
        QVERIFY(tokenBefore->isValid());

        // Signed in from the controller's thread, the state comes as a queued call to this (the
        // manager's) thread.
        std::unique_ptr<QThread> worker(QThread::create([this] { signIn(); }));
        worker->start();
        QVERIFY(worker->wait(30000) && state.size() == 1);
        QTRY_COMPARE_WITH_TIMEOUT(state.size(), 2, 10000);
        QCOMPARE(state.last(), (QVariantList { true, true, "jo*******example.com" }));

        // The service being gone does not keep the user signed in.
        m_http->setResponder(failingWith(QNetworkReply::ConnectionRefusedError, "refused"));
        m_manager->startLogout();
        QVERIFY(state.last() == QVariantList({ false, true, QString() }) && !tokenPersisted());
    }

    void failedLoginEndsSignedOut_data() { rowsFrom("services/login-failures.json"); }
    void failedLoginEndsSignedOut()
    {
        QFETCH(QJsonObject, row);
        const QByteArray networkText = row["networkText"].toString().toUtf8();
        signIn();
        QSignalSpy state(m_manager.get(), &ILmtLoginManager::loginStateChanged);
        lmttest::LogCapture capture;
        if (row.contains("reply"))
            m_http->replyWith(row["reply"].toString().toUtf8());
        else
            m_http->setResponder(failingWith(row["code"].toInt(), networkText));
        QCOMPARE(networkFailureOf([&] { m_manager->startLogin(); }), row["failure"].toString());
        QVERIFY(networkText.isEmpty()
            || capture.contains("[LmtLoginManager] Failed to Login: '" + networkText + "'"));
        QCOMPARE(state, (QList<QVariantList> { { false, true, QString() } }));
        QVERIFY(!tokenPersisted()
            && m_http->calls().last().url.path() == "/kor-service/revokeAccessToken");
    }

    // A stored token comes back while its lifetime lasts and is published without asking for an
    // update; an expired one is dropped from the settings. The secret never reaches the log.
    void restorePublishesOnlyLiveTokens_data() { rowsFrom("services/token-expiry.json"); }
    void restorePublishesOnlyLiveTokens()
    {
        QFETCH(QJsonObject, row);
        const bool valid = row["valid"].toBool();
        lmttest::LogCapture capture;
        QSignalSpy state(m_manager.get(), &ILmtLoginManager::loginStateChanged);
        const QByteArray token = lmttest::tokenWithSubject("abcdef@x.org");
        LmtAccessToken(token, row["expiresIn"].toString(),
            row.value("receivedAt")
                .toString(stamp(row["age"].toInt()) + row["fraction"].toString()))
            .save();
        m_manager->restoreSettings();
        QCOMPARE(state, (QList<QVariantList> { { valid, false, valid ? "ab*****x.org" : "" } }));
        QCOMPARE(m_manager->accessToken()->accessToken(), valid ? token : QByteArray());
        QCOMPARE(tokenPersisted(), valid);
        QCOMPARE(capture.contains("[LmtAccessToken] The stored access token is expired - "
                                  "discarding this token"),
            !valid);
        QCOMPARE(
            capture.contains("receivedAt time value is not valid"), row.contains("receivedAt"));
        QVERIFY(!capture.lines().join('\n').contains(QString::fromLatin1(token)));
        LmtAccessToken().save();
        QVERIFY(!LmtAccessToken().restore()); // nothing stored
    }
};

QTEST_GUILESS_MAIN(TestLmtLoginManager)
#include "tst_LmtLoginManager.moc"
