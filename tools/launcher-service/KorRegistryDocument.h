#pragma once

#include <QJsonArray>
#include <QString>
#include <QUrl>
#include <QVersionNumber>

#include <optional>

namespace zendrel::lmt::korservice {

// One downloadable package of one tool version for one platform.
struct KorPackageOffer {
    QString featureId;
    QString version;
    QUrl url; // absolute (relative registry URLs are resolved)
    QString fileName; // name of the downloaded file, from the URL
    QByteArray sha256; // lower-case hex, empty when the registry gives none
    bool loginRequired = true;
};

// The online tool registry as the vendor serves it: an array of tool objects, each with a
// "versions" object whose members carry "version" and "downloadUrls". Only what the launcher
// service needs is read; malformed entries are passed over rather than failing the document.
class KorRegistryDocument
{
public:
    // Throws std::runtime_error when the text is not a JSON array.
    static KorRegistryDocument parse(const QByteArray &json, const QUrl &registryUrl);

    // The first package for os of that exact version, or nothing.
    std::optional<KorPackageOffer> findPackage(
        const QString &featureId, const QString &version, const QString &os) const;

    // The highest four-part version of the tool that has a package for os and is not marked
    // "lmt-ignore"; null when there is none.
    QVersionNumber newestVersion(const QString &featureId, const QString &os) const;

private:
    QJsonArray m_tools;
    QUrl m_registryUrl;
};

// The package's file name: the last segment of the fully decoded URL path, or the segment
// before a trailing "/download". Empty when there is none, and when it is "." or ".." or holds
// a backslash: such names would point outside the downloads folder.
QString packageFileName(const QUrl &url);

// The four leading numbers of a version text ("3.2.0.1234-beta" -> 3.2.0.1234); null when the
// text does not begin with four dot-separated numbers.
QVersionNumber fourPartVersion(const QString &text);

} // namespace zendrel::lmt::korservice
