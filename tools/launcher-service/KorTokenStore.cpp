#include "KorTokenStore.h"

namespace zendrel::lmt::korservice {

void KorTokenStore::set(
    const QByteArray &token, qint64 expiresInSeconds, const QDateTime &receivedAt)
{
    m_token = token;
    m_expiresAt = receivedAt.toUTC().addSecs(expiresInSeconds);
}

void KorTokenStore::clear()
{
    m_token.clear();
    m_expiresAt = {};
}

QByteArray KorTokenStore::current(const QDateTime &now) const
{
    if (m_token.isEmpty() || now.toUTC() >= m_expiresAt)
        return {};
    return m_token;
}

} // namespace zendrel::lmt::korservice
