#include "TokenAuthority.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

namespace zendrel::lmt::vendorservice {

namespace {

constexpr auto kBase64Url = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), count / 4);
    return bytes;
}

qint64 now()
{
    return QDateTime::currentSecsSinceEpoch();
}

} // namespace

TokenAuthority::TokenAuthority(qint64 lifetimeSeconds)
    : m_key(randomBytes(32))
    , m_lifetimeSeconds(lifetimeSeconds)
{
}

TokenAuthority::Token TokenAuthority::issue(const QString &subject)
{
    const qint64 issuedAt = now();
    forgetExpired(issuedAt);
    const QByteArray id = randomBytes(16).toHex();
    const QJsonObject header { { QStringLiteral("alg"), QStringLiteral("HS256") },
        { QStringLiteral("typ"), QStringLiteral("JWT") } };
    const QJsonObject payload { { QStringLiteral("sub"), subject },
        { QStringLiteral("iat"), issuedAt },
        { QStringLiteral("exp"), issuedAt + m_lifetimeSeconds },
        { QStringLiteral("jti"), QString::fromLatin1(id) } };
    const QByteArray signingInput
        = QJsonDocument(header).toJson(QJsonDocument::Compact).toBase64(kBase64Url) + '.'
        + QJsonDocument(payload).toJson(QJsonDocument::Compact).toBase64(kBase64Url);
    m_issued.insert(id, issuedAt + m_lifetimeSeconds);
    return Token { signingInput + '.' + sign(signingInput), m_lifetimeSeconds };
}

TokenAuthority::Verdict TokenAuthority::check(const QByteArray &token, Claims *claims) const
{
    const QList<QByteArray> parts = token.split('.');
    if (parts.size() != 3)
        return Verdict::Unknown;
    const QByteArray signingInput = parts[0] + '.' + parts[1];
    // Constant-time comparison is not needed by a loopback stand-in, but costs nothing.
    const QByteArray expected = sign(signingInput);
    if (expected.size() != parts[2].size())
        return Verdict::Unknown;
    char difference = 0;
    for (int i = 0; i < expected.size(); ++i)
        difference |= char(expected[i] ^ parts[2][i]);
    if (difference != 0)
        return Verdict::Unknown;

    const QJsonObject payload
        = QJsonDocument::fromJson(QByteArray::fromBase64(parts[1], kBase64Url)).object();
    const QByteArray id = payload.value(QStringLiteral("jti")).toString().toLatin1();
    const qint64 expiresAt = payload.value(QStringLiteral("exp")).toInteger();
    if (!m_issued.contains(id) && !m_revoked.contains(id))
        return Verdict::Unknown;
    if (m_revoked.contains(id))
        return Verdict::Revoked;
    if (now() >= expiresAt)
        return Verdict::Expired;
    if (claims) {
        claims->subject = payload.value(QStringLiteral("sub")).toString();
        claims->expiresAt = expiresAt;
        claims->id = id;
    }
    return Verdict::Valid;
}

bool TokenAuthority::revoke(const QByteArray &token)
{
    Claims claims;
    if (check(token, &claims) != Verdict::Valid)
        return false;
    m_issued.remove(claims.id);
    m_revoked.insert(claims.id, claims.expiresAt);
    return true;
}

QString TokenAuthority::verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Valid:
        return QStringLiteral("valid");
    case Verdict::Unknown:
        return QStringLiteral("unknown");
    case Verdict::Expired:
        return QStringLiteral("expired");
    case Verdict::Revoked:
        return QStringLiteral("revoked");
    }
    return {};
}

QByteArray TokenAuthority::sign(const QByteArray &signingInput) const
{
    return QMessageAuthenticationCode::hash(signingInput, m_key, QCryptographicHash::Sha256)
        .toBase64(kBase64Url);
}

void TokenAuthority::forgetExpired(qint64 at)
{
    // Keep expired ids a while longer than their expiry would need, so an expired token is
    // still reported as expired rather than unknown for a day.
    const qint64 horizon = at - 24 * 3600;
    for (auto it = m_issued.begin(); it != m_issued.end();)
        it = it.value() < horizon ? m_issued.erase(it) : std::next(it);
    for (auto it = m_revoked.begin(); it != m_revoked.end();)
        it = it.value() < horizon ? m_revoked.erase(it) : std::next(it);
}

} // namespace zendrel::lmt::vendorservice
