#include "services/LmtAccessToken.h"

#include "base/LmtSettings.h"
#include "shared_toolkit/Log.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

namespace zendrel::lmt::setup {

namespace {

const QString kGroup = QStringLiteral("LmtAccessToken");
const QString kTokenKey = QStringLiteral("accessToken");
const QString kExpiresInKey = QStringLiteral("expires_in");
const QString kReceivedAtKey = QStringLiteral("received_at");

} // namespace

LmtAccessToken::LmtAccessToken(QByteArray accessToken, QString expiresIn, QString receivedAt)
    : m_accessToken(std::move(accessToken))
    , m_expiresIn(std::move(expiresIn))
    , m_receivedAt(std::move(receivedAt))
{
}

QString LmtAccessToken::userEmail() const
{
    const QList<QByteArray> parts = m_accessToken.split('.');
    if (parts.size() != 3)
        return {};
    const QByteArray payload = QByteArray::fromBase64(
        parts.at(1), QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    const QJsonDocument document = QJsonDocument::fromJson(payload);
    if (!document.isObject())
        return {};
    const QJsonValue subject = document.object().value(QStringLiteral("sub"));
    if (!subject.isString())
        return {};
    return maskEmail(subject.toString());
}

QString LmtAccessToken::maskEmail(const QString &email)
{
    const qsizetype at = email.lastIndexOf(QLatin1Char('@'));
    if (at < 0)
        return email;
    const qsizetype first = (at + 1 > 3) ? 2 : 0;
    QString masked = email;
    for (qsizetype i = first; i <= at; ++i)
        masked[i] = QLatin1Char('*');
    return masked;
}

void LmtAccessToken::clear()
{
    m_accessToken.clear();
    m_expiresIn.clear();
    m_receivedAt.clear();
    save();
}

void LmtAccessToken::save() const
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(kGroup);
    if (!m_accessToken.isEmpty()) {
        settings.setValue(kTokenKey, m_accessToken);
        settings.setValue(kExpiresInKey, m_expiresIn);
        settings.setValue(kReceivedAtKey, m_receivedAt);
    } else {
        settings.remove(QString());
    }
    settings.endGroup();
    settings.sync();
}

bool LmtAccessToken::restore()
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(kGroup);
    const QByteArray token = settings.value(kTokenKey).toByteArray();
    const QString expiresIn = settings.value(kExpiresInKey).toString();
    const QString receivedAt = settings.value(kReceivedAtKey).toString();
    settings.endGroup();

    const bool found = !token.isEmpty();
    if (found) {
        m_accessToken = token;
        m_expiresIn = expiresIn;
        m_receivedAt = receivedAt;
    }
    if (m_accessToken.isEmpty())
        return found;

    // The service sends fractional seconds ("2026-12-06 10:00:00.123456"); they do not matter.
    const qsizetype dot = m_receivedAt.lastIndexOf(QLatin1Char('.'));
    const QString stamp = dot < 0 ? m_receivedAt : m_receivedAt.left(dot);
    const QDateTime received = QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (!received.isValid()) {
        qCWarning(lmtLocal).noquote() << "[LmtAccessToken] receivedAt time value is not valid";
        return found;
    }
    bool ok = false;
    qulonglong lifetime = m_expiresIn.toULongLong(&ok, 10);
    if (!ok)
        lifetime = 0;
    const qint64 age = received.secsTo(QDateTime::currentDateTime());
    if (age >= 0 && static_cast<qulonglong>(age) >= lifetime) {
        qCInfo(lmtLocal).noquote()
            << "[LmtAccessToken] The stored access token is expired - discarding this token";
        clear();
    }
    return found;
}

} // namespace zendrel::lmt::setup
