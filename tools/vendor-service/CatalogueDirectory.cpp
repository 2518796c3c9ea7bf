#include "CatalogueDirectory.h"

#include <QDir>
#include <QFileInfo>

namespace zendrel::lmt::vendorservice {

bool CatalogueDirectory::open(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return false;
    m_root = info.canonicalFilePath();
    return !m_root.isEmpty();
}

QString CatalogueDirectory::resolveFile(const QString &relative) const
{
    if (m_root.isEmpty() || relative.isEmpty() || QDir::isAbsolutePath(relative))
        return {};
    const QFileInfo info(m_root + QLatin1Char('/') + relative);
    const QString real = info.canonicalFilePath(); // empty when missing or a dangling link
    if (real.isEmpty() || !real.startsWith(m_root + QLatin1Char('/')))
        return {};
    return QFileInfo(real).isFile() ? real : QString();
}

} // namespace zendrel::lmt::vendorservice
