#include "KorAccountConfig.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace zendrel::lmt::korservice {

std::optional<KorAccountConfig> KorAccountConfig::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("No account configured: cannot read '%1'").arg(path);
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error = QStringLiteral("'%1' does not hold a JSON object").arg(path);
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    KorAccountConfig config;
    config.vendorUrl = QUrl(object.value(QStringLiteral("vendorUrl")).toString());
    config.email = object.value(QStringLiteral("email")).toString();
    config.password = object.value(QStringLiteral("password")).toString();
    const QString scheme = config.vendorUrl.scheme();
    if (!config.vendorUrl.isValid()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        *error = QStringLiteral("'%1' has no valid \"vendorUrl\"").arg(path);
        return std::nullopt;
    }
    if (config.email.isEmpty()) {
        *error = QStringLiteral("'%1' has no \"email\"").arg(path);
        return std::nullopt;
    }
    return config;
}

QUrl KorAccountConfig::authUrl(const QString &action) const
{
    QUrl url = vendorUrl;
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    url.setPath(path + QStringLiteral("api/v1/auth/") + action);
    url.setQuery(QString());
    return url;
}

} // namespace zendrel::lmt::korservice
