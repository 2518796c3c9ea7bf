#include "VendorCatalogue.h"

#include "RequestPath.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QUrl>

namespace zendrel::lmt::vendorservice {

namespace {

const QString kBase = QString::fromLatin1(VendorCatalogue::kBasePlaceholder);

QByteArray sha256Of(const QString &filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

bool loginRequired(const QJsonObject &tool)
{
    const QJsonValue flag
        = tool.value(QStringLiteral("additionalAttributes"))[QStringLiteral("login-required")];
    return flag.isBool() ? flag.toBool() : true; // the registry's default
}

} // namespace

bool VendorCatalogue::load(const QString &directory, QString *error)
{
    if (!m_directory.open(directory)) {
        *error = QStringLiteral("catalogue folder '%1' does not exist").arg(directory);
        return false;
    }
    const QString registryPath = m_directory.resolveFile(QStringLiteral("registry.json"));
    QFile registryFile(registryPath);
    if (registryPath.isEmpty() || !registryFile.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("catalogue folder '%1' holds no readable registry.json")
                     .arg(m_directory.rootPath());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(registryFile.readAll(), &parseError);
    if (!document.isArray()) {
        *error = QStringLiteral("registry.json must hold a JSON array (%1)")
                     .arg(parseError.errorString());
        return false;
    }
    m_registry = document.array();

    const QString accountsPath = m_directory.resolveFile(QStringLiteral("accounts.json"));
    if (accountsPath.isEmpty()) {
        *error = QStringLiteral("catalogue folder '%1' holds no accounts.json")
                     .arg(m_directory.rootPath());
        return false;
    }
    if (!m_accounts.load(accountsPath, error))
        return false;

    indexPackages();
    setBaseUrl(kBase);
    return true;
}

void VendorCatalogue::indexPackages()
{
    m_packages.clear();
    m_problems.clear();
    for (qsizetype t = 0; t < m_registry.size(); ++t) {
        QJsonObject tool = m_registry.at(t).toObject();
        const QString featureId = tool.value(QStringLiteral("featureId")).toString();
        QJsonObject versions = tool.value(QStringLiteral("versions")).toObject();
        for (auto v = versions.begin(); v != versions.end(); ++v) {
            QJsonObject version = v.value().toObject();
            QJsonArray downloads = version.value(QStringLiteral("downloadUrls")).toArray();
            for (qsizetype d = 0; d < downloads.size(); ++d) {
                QJsonObject entry = downloads.at(d).toObject();
                const QString url = entry.value(QStringLiteral("url")).toString();
                if (!url.startsWith(kBase))
                    continue; // hosted elsewhere: not ours to serve
                const RequestPath path = RequestPath::fromUrl(
                    QUrl(QStringLiteral("http://catalogue") + url.mid(kBase.size())));
                QStringList segments = path.segments();
                if (segments.size() > 1 && segments.last() == QLatin1String("download"))
                    segments.removeLast();
                const QString relative = segments.join(QLatin1Char('/'));
                const QString file = path.isValid() ? m_directory.resolveFile(relative) : QString();
                if (file.isEmpty()) {
                    m_problems << QStringLiteral(
                        "%1: package '%2' is missing or lies outside the catalogue")
                                      .arg(featureId, url);
                    continue;
                }
                entry.insert(QStringLiteral("sha256"), QString::fromLatin1(sha256Of(file)));
                downloads.replace(d, entry);
                m_packages.insert(
                    path.text(), PackageFile { relative, featureId, loginRequired(tool) });
            }
            version.insert(QStringLiteral("downloadUrls"), downloads);
            v.value() = version;
        }
        tool.insert(QStringLiteral("versions"), versions);
        m_registry.replace(t, tool);
    }
}

void VendorCatalogue::setBaseUrl(const QString &baseUrl)
{
    QString text = QString::fromUtf8(QJsonDocument(m_registry).toJson(QJsonDocument::Indented));
    m_registryDocument = text.replace(kBase, baseUrl).toUtf8();
}

std::optional<PackageFile> VendorCatalogue::package(const QString &requestPath) const
{
    const auto it = m_packages.constFind(requestPath);
    if (it == m_packages.constEnd())
        return std::nullopt;
    return it.value();
}

QString VendorCatalogue::documentPath(
    const QString &toolId, const QString &versionId, const QString &kind)
{
    return QStringLiteral("docs/%1/%2/%3.txt").arg(toolId, versionId, kind);
}

QJsonObject VendorCatalogue::tool(const QString &featureId) const
{
    for (const QJsonValue &tool : m_registry) {
        if (tool[QStringLiteral("featureId")].toString() == featureId)
            return tool.toObject();
    }
    return {};
}

} // namespace zendrel::lmt::vendorservice
