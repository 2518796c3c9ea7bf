#pragma once

#include "services/ILmtLoginManager.h"
#include "shared_toolkit/LmtTr.h"

#include <QByteArray>
#include <QMutex>

namespace zendrel::lmt::setup {

class ILmtLauncherServiceConnector;

// Signs in through the launcher service connector and keeps the resulting token. A new token
// arrives through the connector's accessTokenChanged; when the connector runs on another
// thread that delivery is queued, so the token is stored and published on this object's
// thread shortly after startLogin() has returned.
class LmtLoginManager : public ILmtLoginManager
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtLoginManager)

public:
    explicit LmtLoginManager(
        std::shared_ptr<ILmtLauncherServiceConnector> connector, QObject *parent = nullptr);

    void startLogin() override;
    void startLogout() override;
    void restoreSettings() override;
    void discardAccessToken() override;
    std::shared_ptr<LmtAccessToken> accessToken() const override;

private Q_SLOTS:
    void onAccessTokenChanged(QByteArray accessToken, QString expiresIn, QString receivedAt);

private:
    void publishState(bool doUpdate);
    // Token records are never changed once handed out (other threads read them); a change of
    // token replaces the record instead.
    void replaceAccessToken(std::shared_ptr<LmtAccessToken> token);

    std::shared_ptr<ILmtLauncherServiceConnector> m_connector;
    mutable QMutex m_accessTokenMutex;
    std::shared_ptr<LmtAccessToken> m_accessToken;
};

} // namespace zendrel::lmt::setup
