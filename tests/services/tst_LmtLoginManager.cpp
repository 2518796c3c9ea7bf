#include "base/LmtSettings.h"
#include "common/LmtFakeDownloadManager.h"
#include "common/LmtFakeLauncher.h"
#include "common/LmtTestSupport.h"
#include "services/LmtAccessToken.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtLoginManager.h"
#include "services/NetworkException.h"

#include <QDateTime>
#include <QNetworkReply>
#include <QSettings>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::FakeDownloadManager;
using lmttest::FakeLauncher;

namespace {

QByteArray tokenReply(const QByteArray &token, const QString &receivedAt)
{
    return R"({"accessToken":")" + token + R"(","expires_in":"3600","received_at":")"
        + receivedAt.toUtf8() + R"("})";
}

QString now()
{
    return QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss");
}

bool tokenPersisted()
{
    return applicationSettings().contains("LmtAccessToken/accessToken");
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

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        m_launcher = std::make_unique<FakeLauncher>(FakeLauncher::portBody());
    }

    void init()
    {
        m_http = std::make_shared<FakeDownloadManager>();
        m_connector = std::make_shared<LmtLauncherServiceConnector>(m_http);
        m_connector->setStartupPause(std::chrono::milliseconds(0));
        m_manager = std::make_unique<LmtLoginManager>(m_connector);
    }

    void loginPublishesTheMaskedAddress()
    {
        lmttest::LogCapture capture;
        QSignalSpy state(m_manager.get(), &ILmtLoginManager::loginStateChanged);
        QSignalSpy uiLog(m_manager.get(), &ILmtLoginManager::appendUILog);
        const QByteArray token = lmttest::tokenWithSubject("john.doe@example.com");
        m_http->replyWith(tokenReply(token, now()));

        m_manager->startLogin();
        QVERIFY(capture.contains(
            "[LmtLoginManager] Launcher service is not started, calling start() on connector"));
        QVERIFY(m_connector->isStarted());
        QCOMPARE(state.size(), 1);
        QCOMPARE(state.first(), (QVariantList { true, true, "jo*******example.com" }));
        QCOMPARE(uiLog.first().first().toString(), "Logged in as jo*******example.com");
        QCOMPARE(uiLog.first().at(1).value<ConsoleMessageType>(), ConsoleMessageType::Auto);
        QCOMPARE(m_manager->accessToken()->accessToken(), token);
        QVERIFY(tokenPersisted());
        QVERIFY(capture.contains("[LmtLoginManager] onAccessTokenChanged(), token: [REDACTED]"));
        QVERIFY(!capture.contains(QString::fromUtf8(token)));

        // '@' at index 1: masked from the start.
        m_http->replyWith(tokenReply(lmttest::tokenWithSubject("j@x.org"), now()));
        m_manager->startLogin();
        QCOMPARE(state.last(), (QVariantList { true, true, "**x.org" }));
        QCOMPARE(uiLog.last().first().toString(), "Logged in as **x.org");

        // A token that is no JSON Web Token: signed in without an address.
        m_http->replyWith(tokenReply("opaque-token", now()));
        m_manager->startLogin();
        QCOMPARE(state.last(), (QVariantList { true, true, QString() }));
        QCOMPARE(uiLog.last().first().toString(), "Logged in");
    }

    void loginFromTheControllerThreadPublishesOnTheOwnThread()
    {
        m_http->replyWith(tokenReply(lmttest::tokenWithSubject("john.doe@example.com"), now()));
        QSignalSpy state(m_manager.get(), &ILmtLoginManager::loginStateChanged);
        QThread *worker = QThread::create([this] { m_manager->startLogin(); });
        worker->start();
        QVERIFY(worker->wait(30000));
        delete worker;
        // Delivered as a queued call to this (the manager's) thread.
        QCOMPARE(state.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(state.size(), 1, 10000);
        QCOMPARE(state.first(), (QVariantList { true, true, "jo*******example.com" }));
    }

    void logoutClearsPublishesAndRevokes()
    {
        m_http->replyWith(tokenReply(lmttest::tokenWithSubject("john.doe@example.com"), now()));
        m_manager->startLogin();
        const auto tokenBefore = m_manager->accessToken();
        QSignalSpy state(m_manager.get(), &ILmtLoginManager::loginStateChanged);
        QSignalSpy uiLog(m_manager.get(), &ILmtLoginManager::appendUILog);
        lmttest::LogCapture capture;
        m_http->clearCalls();

        m_manager->startLogout();
        QCOMPARE(state.size(), 1);
        QCOMPARE(state.first(), (QVariantList { false, true, QString() }));
        QCOMPARE(uiLog.first().first().toString(), "Logged out");
        QVERIFY(!m_manager->accessToken()->isValid());
        QVERIFY(!tokenPersisted());
        QCOMPARE(m_http->calls().size(), 1);
        QCOMPARE(m_http->calls().first().operation, FakeDownloadManager::Operation::Post);
        QCOMPARE(m_http->calls().first().url.path(), "/kor-service/revokeAccessToken");
        QVERIFY(capture.contains("[LmtLoginManager] Logout is successful, access token revoked"));
        // Whoever still holds the former record (another thread) does not see it change.
        QVERIFY(tokenBefore->isValid());

        // The service being gone does not keep the user signed in.
        m_http->setResponder([](const FakeDownloadManager::Call &) -> QByteArray {
            throw NetworkException("Network Error occurred: 'ConnectionRefusedError'",
                QNetworkReply::ConnectionRefusedError);
        });
        m_manager->startLogout();
        QCOMPARE(state.last(), (QVariantList { false, true, QString() }));
    }

    void failedLoginEndsSignedOut()
    {
        m_http->replyWith(tokenReply(lmttest::tokenWithSubject("john.doe@example.com"), now()));
        m_manager->startLogin();
        QSignalSpy state(m_manager.get(), &ILmtLoginManager::loginStateChanged);
        lmttest::LogCapture capture;

        // The token request gave up after its transfer time-out.
        m_http->setResponder([](const FakeDownloadManager::Call &call) -> QByteArray {
            if (call.operation == FakeDownloadManager::Operation::Post)
                return QByteArray();
            throw NetworkException("Network Error occurred: 'OperationCanceledError'",
                QNetworkReply::OperationCanceledError);
        });
        try {
            m_manager->startLogin();
            QFAIL("no exception");
        } catch (const NetworkException &e) {
            QCOMPARE(e.code(), 5);
            QCOMPARE(QString::fromUtf8(e.what()),
                "Timeout occurred during login to myZendrel account. Check your network settings "
                "and restrictions (e.g. firewall). Make sure there is access to the networking "
                "resources needed for Lumetra Setup to work correctly. The full list can be "
                "found in the User Guide");
        }
        QVERIFY(capture.contains("[LmtLoginManager] Failed to Login: 'Network Error occurred: "
                                 "'OperationCanceledError''"));
        QCOMPARE(state.last(), (QVariantList { false, true, QString() }));
        QVERIFY(!tokenPersisted());
        QCOMPARE(m_http->calls().last().url.path(), "/kor-service/revokeAccessToken");

        // Other network failures keep their own text and code.
        m_http->setResponder([](const FakeDownloadManager::Call &call) -> QByteArray {
            if (call.operation == FakeDownloadManager::Operation::Post)
                return QByteArray();
            throw NetworkException(
                "Network Error occurred: 'HostNotFoundError'", QNetworkReply::HostNotFoundError);
        });
        try {
            m_manager->startLogin();
            QFAIL("no exception");
        } catch (const NetworkException &e) {
            QCOMPARE(e.code(), int(QNetworkReply::HostNotFoundError));
            QCOMPARE(QString::fromUtf8(e.what()), "Network Error occurred: 'HostNotFoundError'");
        }

        // A refused sign-in is passed on as it is, signed out as well.
        m_http->replyWith(R"({"error":"denied"})");
        state.clear();
        try {
            m_manager->startLogin();
            QFAIL("no exception");
        } catch (const std::runtime_error &e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                "Invalid credentials provided or error occurred during Single sign-on "
                "authentication");
        }
        QCOMPARE(state.size(), 1);
        QCOMPARE(state.first(), (QVariantList { false, true, QString() }));
    }

    void restorePublishesWithoutUpdate()
    {
        QSignalSpy state(m_manager.get(), &ILmtLoginManager::loginStateChanged);
        const QByteArray token = lmttest::tokenWithSubject("abcdef@x.org");
        LmtAccessToken(token, "3600", now() + ".5").save();
        m_manager->restoreSettings();
        QCOMPARE(state.last(), (QVariantList { true, false, "ab*****x.org" }));
        QCOMPARE(m_manager->accessToken()->accessToken(), token);

        const QString hourAgo
            = QDateTime::currentDateTime().addSecs(-3600).toString("yyyy-MM-dd hh:mm:ss");
        LmtAccessToken(token, "3600", hourAgo).save();
        m_manager->restoreSettings();
        QCOMPARE(state.last(), (QVariantList { false, false, QString() }));
        QVERIFY(!m_manager->accessToken()->isValid());
        QVERIFY(!tokenPersisted());
    }
};

QTEST_GUILESS_MAIN(TestLmtLoginManager)
#include "tst_LmtLoginManager.moc"
