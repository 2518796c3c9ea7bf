#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace zendrel::lmt::vendorservice {

// Issues and checks bearer tokens shaped like JSON Web Tokens:
// base64url(header).base64url(payload).base64url(HMAC-SHA256 signature). The signing key is
// random per process, so tokens of an earlier run are unknown to a new one. Issued tokens are
// remembered by their "jti" so that a revoked token stays refused until it would have expired.
class TokenAuthority
{
public:
    enum class Verdict { Valid, Unknown, Expired, Revoked };

    struct Token {
        QByteArray text;
        qint64 expiresIn = 0;
    };

    struct Claims {
        QString subject;
        qint64 expiresAt = 0;
        QByteArray id;
    };

    explicit TokenAuthority(qint64 lifetimeSeconds);

    Token issue(const QString &subject);
    Verdict check(const QByteArray &token, Claims *claims = nullptr) const;
    // Refuses the token from now on; false when it was not valid to begin with.
    bool revoke(const QByteArray &token);

    static QString verdictText(Verdict verdict);

private:
    QByteArray sign(const QByteArray &signingInput) const;
    void forgetExpired(qint64 now);

    QByteArray m_key;
    qint64 m_lifetimeSeconds;
    QHash<QByteArray, qint64> m_issued; // jti -> expiry (seconds since the epoch)
    QHash<QByteArray, qint64> m_revoked; // jti -> expiry
};

} // namespace zendrel::lmt::vendorservice
