#pragma once

#include <QString>

namespace zendrel::lmt::vendorservice {

// The catalogue folder on disk. Every file the service reads goes through resolveFile(), which
// answers only for regular files whose real location (after following symbolic links) lies
// inside the folder, so neither ".." nor a link can lead a request out of it.
class CatalogueDirectory
{
public:
    // False when the folder does not exist.
    bool open(const QString &path);

    QString rootPath() const { return m_root; }
    // The canonical path of root/relative, or an empty string when that is not a regular
    // file inside the folder.
    QString resolveFile(const QString &relative) const;

private:
    QString m_root; // canonical
};

} // namespace zendrel::lmt::vendorservice
