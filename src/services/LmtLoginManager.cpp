#include "services/LmtLoginManager.h"

#include "services/ILmtLauncherServiceConnector.h"
#include "services/LmtAccessToken.h"
#include "services/NetworkException.h"
#include "shared_toolkit/Log.h"

#include <QMutexLocker>
#include <QNetworkReply>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtLoginManager]";

} // namespace

LmtLoginManager::LmtLoginManager(
    std::shared_ptr<ILmtLauncherServiceConnector> connector, QObject *parent)
    : ILmtLoginManager(parent)
    , m_connector(std::move(connector))
    , m_accessToken(std::make_shared<LmtAccessToken>())
{
    connect(m_connector.get(), &ILmtLauncherServiceConnector::accessTokenChanged, this,
        &LmtLoginManager::onAccessTokenChanged);
}

std::shared_ptr<LmtAccessToken> LmtLoginManager::accessToken() const
{
    QMutexLocker lock(&m_accessTokenMutex);
    return m_accessToken;
}

void LmtLoginManager::replaceAccessToken(std::shared_ptr<LmtAccessToken> token)
{
    QMutexLocker lock(&m_accessTokenMutex);
    m_accessToken = std::move(token);
}

void LmtLoginManager::publishState(bool doUpdate)
{
    const auto token = accessToken();
    const bool loggedIn = token->isValid();
    const QString userEmail = token->userEmail();
    QString text;
    if (loggedIn && !userEmail.isEmpty())
        text = trLog("Logged in as %1").arg(userEmail);
    else if (loggedIn)
        text = trLog("Logged in");
    else
        text = trLog("Logged out");
    Q_EMIT appendUILog(text);
    Q_EMIT loginStateChanged(loggedIn, doUpdate, userEmail);
}

void LmtLoginManager::startLogin()
{
    qCDebug(lmtLocal).noquote() << Tag << ">> startLogin()";
    try {
        if (!m_connector->isStarted()) {
            qCInfo(lmtLocal).noquote()
                << Tag << "Launcher service is not started, calling start() on connector";
            m_connector->start();
        }
        m_connector->requestAccessToken();
    } catch (const NetworkException &e) {
        qCCritical(lmtLocal).noquote()
            << Tag << QStringLiteral("Failed to Login: '%1'").arg(QString::fromUtf8(e.what()));
        startLogout();
        // The token request gives up after its transfer time-out; the usual cause is a
        // firewall, which the user can do something about.
        if (e.code() == QNetworkReply::OperationCanceledError)
            throw NetworkException(
                trLog("Timeout occurred during login to myZendrel account. Check your network "
                      "settings and restrictions (e.g. firewall). Make sure there is access to the "
                      "networking resources needed for Lumetra Setup to work correctly. The full "
                      "list can be found in the User Guide"),
                e.code());
        throw;
    } catch (const std::exception &e) {
        qCCritical(lmtLocal).noquote()
            << Tag << QStringLiteral("Failed to Login: '%1'").arg(QString::fromUtf8(e.what()));
        startLogout();
        throw;
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< startLogin()";
}

void LmtLoginManager::discardAccessToken()
{
    auto signedOut = std::make_shared<LmtAccessToken>();
    signedOut->clear(); // removes the persisted keys
    replaceAccessToken(signedOut);
}

void LmtLoginManager::startLogout()
{
    qCDebug(lmtLocal).noquote() << Tag << ">> startLogout()";
    discardAccessToken();
    publishState(true);
    try {
        m_connector->revokeAccessToken();
        qCInfo(lmtLocal).noquote() << Tag << "Logout is successful, access token revoked";
    } catch (const std::exception &e) {
        qCCritical(lmtLocal).noquote()
            << Tag << QStringLiteral("Failed to Logout: '%1'").arg(QString::fromUtf8(e.what()));
        throw;
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< startLogout()";
}

void LmtLoginManager::restoreSettings()
{
    qCDebug(lmtLocal).noquote() << Tag << ">> restoreSettings()";
    auto restored = std::make_shared<LmtAccessToken>();
    restored->restore();
    replaceAccessToken(restored);
    publishState(false);
    qCDebug(lmtLocal).noquote() << Tag << "<< restoreSettings()";
}

void LmtLoginManager::onAccessTokenChanged(
    QByteArray accessToken, QString expiresIn, QString receivedAt)
{
    qCInfo(lmtLocal).noquote() << Tag
                               << QStringLiteral("onAccessTokenChanged(), token: %1")
                                      .arg(accessToken.isEmpty() ? QStringLiteral("Empty")
                                                                 : QStringLiteral("[REDACTED]"));
    auto token = std::make_shared<LmtAccessToken>(
        std::move(accessToken), std::move(expiresIn), std::move(receivedAt));
    token->save();
    replaceAccessToken(token);
    publishState(true);
}

} // namespace zendrel::lmt::setup
