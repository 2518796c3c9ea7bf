#include "KorRegistryDocument.h"

#include "model/LmtToolPackage.h"
#include "platform/LmtPlatform.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>

#include <stdexcept>

namespace zendrel::lmt::korservice {

namespace {

QJsonObject attributesOf(const QJsonObject &object)
{
    return object.value(QStringLiteral("additionalAttributes")).toObject();
}

bool isIgnored(const QJsonObject &versionObject)
{
    const QJsonObject attributes = attributesOf(versionObject);
    const QString ignore = QStringLiteral("lmt-ignore");
    return attributes.value(ignore).toBool()
        || attributes.value(platform::platformKey()).toObject().value(ignore).toBool();
}

QJsonObject packageFor(const QJsonObject &versionObject, const QString &os)
{
    const QJsonArray downloads = versionObject.value(QStringLiteral("downloadUrls")).toArray();
    for (const QJsonValue &entry : downloads) {
        const QJsonObject download = entry.toObject();
        if (download.value(QStringLiteral("os")).toString() == os
            && download.value(QStringLiteral("url")).isString())
            return download;
    }
    return {};
}

} // namespace

KorRegistryDocument KorRegistryDocument::parse(const QByteArray &json, const QUrl &registryUrl)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw std::runtime_error(
            "Registry is not valid JSON: " + error.errorString().toStdString());
    if (!document.isArray())
        throw std::runtime_error("Registry does not hold a JSON array");
    KorRegistryDocument registry;
    registry.m_tools = document.array();
    registry.m_registryUrl = registryUrl;
    return registry;
}

std::optional<KorPackageOffer> KorRegistryDocument::findPackage(
    const QString &featureId, const QString &version, const QString &os) const
{
    for (const QJsonValue &toolValue : m_tools) {
        const QJsonObject tool = toolValue.toObject();
        if (tool.value(QStringLiteral("featureId")).toString() != featureId)
            continue;
        const QJsonObject versions = tool.value(QStringLiteral("versions")).toObject();
        for (const QJsonValue &versionValue : versions) {
            const QJsonObject versionObject = versionValue.toObject();
            if (versionObject.value(QStringLiteral("version")).toString() != version)
                continue;
            const QJsonObject download = packageFor(versionObject, os);
            if (download.isEmpty())
                continue;
            KorPackageOffer offer;
            offer.featureId = featureId;
            offer.version = version;
            offer.url
                = m_registryUrl.resolved(QUrl(download.value(QStringLiteral("url")).toString()));
            offer.fileName = packageFileName(offer.url);
            offer.sha256 = download.value(QStringLiteral("sha256")).toString().toLower().toLatin1();
            offer.loginRequired
                = attributesOf(tool).value(QStringLiteral("login-required")).toBool(true);
            return offer;
        }
    }
    return std::nullopt;
}

QVersionNumber KorRegistryDocument::newestVersion(const QString &featureId, const QString &os) const
{
    QVersionNumber newest;
    for (const QJsonValue &toolValue : m_tools) {
        const QJsonObject tool = toolValue.toObject();
        if (tool.value(QStringLiteral("featureId")).toString() != featureId)
            continue;
        const QJsonObject versions = tool.value(QStringLiteral("versions")).toObject();
        for (const QJsonValue &versionValue : versions) {
            const QJsonObject versionObject = versionValue.toObject();
            if (isIgnored(versionObject) || packageFor(versionObject, os).isEmpty())
                continue;
            const QVersionNumber number
                = fourPartVersion(versionObject.value(QStringLiteral("version")).toString());
            if (!number.isNull() && number > newest)
                newest = number;
        }
    }
    return newest;
}

QString packageFileName(const QUrl &url)
{
    // The application looks for the downloaded file under this very name.
    const QString name = setup::LmtToolPackage(platform::osName(), url, {}, {}, 0).fileName();
    // A backslash separates directories on Windows: such a name could leave the folder.
    if (name == QLatin1String(".") || name == QLatin1String("..")
        || name.contains(QLatin1Char('\\')))
        return {};
    return name;
}

QVersionNumber fourPartVersion(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)\\.(\\d+)\\.(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    QList<int> parts;
    for (int i = 1; i <= 4; ++i) {
        bool ok = false;
        parts << match.captured(i).toInt(&ok);
        if (!ok)
            return {};
    }
    return QVersionNumber(parts);
}

} // namespace zendrel::lmt::korservice
