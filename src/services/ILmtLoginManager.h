#pragma once

#include "services/LmtServiceTypes.h"

#include <QObject>
#include <QString>

#include <memory>

namespace zendrel::lmt::setup {

class LmtAccessToken;

// Signing in and out of the user's developer account. Owns the current token (never null),
// keeps it across restarts until it expires and announces every change.
class ILmtLoginManager : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtLoginManager() override = default;

    // Signs in through the launcher service; throws (after signing out) when that fails.
    virtual void startLogin() = 0;
    // Forgets the token, announces it and asks the service to revoke it.
    virtual void startLogout() = 0;
    // Takes over a stored, unexpired token from the settings.
    virtual void restoreSettings() = 0;
    // Forgets the token and its stored keys without announcing it or contacting the service
    // (used when the service no longer holds the stored token).
    virtual void discardAccessToken() = 0;
    virtual std::shared_ptr<LmtAccessToken> accessToken() const = 0;

Q_SIGNALS:
    // doUpdate: the sign-in state changed by the user's action, so the tool list is stale.
    void loginStateChanged(bool loggedIn, bool doUpdate, QString userEmail);
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
};

} // namespace zendrel::lmt::setup
