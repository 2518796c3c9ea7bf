#pragma once

#include <QByteArray>
#include <QDateTime>

namespace zendrel::lmt::korservice {

// The one access token the service holds for its user, with its lifetime. Kept in memory
// only: a restarted service starts signed out.
class KorTokenStore
{
public:
    void set(const QByteArray &token, qint64 expiresInSeconds, const QDateTime &receivedAt);
    void clear();

    // The token while it is valid; empty when there is none or it has expired.
    QByteArray current(const QDateTime &now = QDateTime::currentDateTimeUtc()) const;
    // The token even when expired (the vendor is still told to revoke it).
    QByteArray stored() const { return m_token; }

private:
    QByteArray m_token;
    QDateTime m_expiresAt;
};

} // namespace zendrel::lmt::korservice
