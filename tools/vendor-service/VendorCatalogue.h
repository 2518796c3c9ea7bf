#pragma once

#include "AccountBook.h"
#include "CatalogueDirectory.h"

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace zendrel::lmt::vendorservice {

// A package file named by a download URL of the registry.
struct PackageFile {
    QString relativePath; // inside the catalogue, e.g. "packages/tool-1.0.0.1-linux.sh"
    QString featureId;
    bool loginRequired = true;
};

// Everything the service serves, read once at start from the catalogue folder:
//   registry.json   the registry; download URLs start with "{base}" (replaced by the address
//                   the service listens on), their path names the package file, optionally
//                   followed by "/download"
//   accounts.json   the accounts that may sign in
//   packages/...    the files named by the download URLs
//   docs/<toolId>/<versionId>/release-note.txt and license.txt
class VendorCatalogue
{
public:
    static constexpr auto kBasePlaceholder = "{base}";

    bool load(const QString &directory, QString *error);
    // Fixes the address that replaces "{base}" in the served registry document.
    void setBaseUrl(const QString &baseUrl);

    const CatalogueDirectory &directory() const { return m_directory; }
    const AccountBook &accounts() const { return m_accounts; }
    QByteArray registryDocument() const { return m_registryDocument; }
    int toolCount() const { return int(m_registry.size()); }
    int packageCount() const { return int(m_packages.size()); }
    QStringList problems() const { return m_problems; }

    // The package a request path names ("/packages/x.sh" or "/packages/x.sh/download").
    std::optional<PackageFile> package(const QString &requestPath) const;
    // The catalogue-relative path of a release note ("release-note") or licence ("license").
    static QString documentPath(
        const QString &toolId, const QString &versionId, const QString &kind);
    // The tool object of the registry with this feature id (empty when absent).
    QJsonObject tool(const QString &featureId) const;

private:
    void indexPackages();

    CatalogueDirectory m_directory;
    AccountBook m_accounts;
    QJsonArray m_registry; // with "sha256" members added
    QByteArray m_registryDocument;
    QHash<QString, PackageFile> m_packages; // request path -> file
    QStringList m_problems;
};

} // namespace zendrel::lmt::vendorservice
