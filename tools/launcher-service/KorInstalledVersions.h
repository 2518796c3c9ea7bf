#pragma once

#include <QString>
#include <QStringList>
#include <QVersionNumber>

namespace zendrel::lmt::korservice {

// What the local registry files of both scopes say is installed. A file counts when it names
// the tool, its "version" begins with four numbers, and its "path", when given, still exists
// (a file left behind by a removed installation is not an installation).
class KorInstalledVersions
{
public:
    explicit KorInstalledVersions(QStringList registryDirectories);

    // The highest installed version of the tool; null when none is installed.
    QVersionNumber newest(const QString &featureId) const;

private:
    QStringList m_directories;
};

} // namespace zendrel::lmt::korservice
