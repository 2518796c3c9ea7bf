#pragma once

#include <QByteArray>
#include <QString>

namespace zendrel::lmt::setup {

// The signed-in user's bearer token, persisted in the settings group "LmtAccessToken".
// The token text itself is never logged.
class LmtAccessToken
{
public:
    LmtAccessToken() = default;
    LmtAccessToken(QByteArray accessToken, QString expiresIn, QString receivedAt);

    bool isValid() const { return !m_accessToken.isEmpty(); }
    QByteArray accessToken() const { return m_accessToken; }
    QString expiresIn() const { return m_expiresIn; }
    QString receivedAt() const { return m_receivedAt; }

    // The masked e-mail address from the token's "sub" claim; empty when unknown.
    QString userEmail() const;

    void clear();
    void save() const;
    // Reads the persisted token and drops it when it has expired. True if a token was found.
    bool restore();

    // Masks the part before the last '@' (that sign included), keeping two leading
    // characters when the address is long enough.
    static QString maskEmail(const QString &email);

private:
    QByteArray m_accessToken;
    QString m_expiresIn;
    QString m_receivedAt;
};

} // namespace zendrel::lmt::setup
