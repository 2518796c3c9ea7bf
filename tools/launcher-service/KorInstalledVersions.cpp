#include "KorInstalledVersions.h"

#include "KorRegistryDocument.h"
#include "shared_toolkit/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace zendrel::lmt::korservice {

KorInstalledVersions::KorInstalledVersions(QStringList registryDirectories)
    : m_directories(std::move(registryDirectories))
{
}

QVersionNumber KorInstalledVersions::newest(const QString &featureId) const
{
    QVersionNumber newest;
    for (const QString &directory : m_directories) {
        const QFileInfoList files
            = QDir(directory).entryInfoList({ QStringLiteral("*.json") }, QDir::Files);
        for (const QFileInfo &info : files) {
            QFile file(info.absoluteFilePath());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QJsonObject entry = QJsonDocument::fromJson(file.readAll()).object();
            if (entry.value(QStringLiteral("featureId")).toString() != featureId)
                continue;
            const QString path = entry.value(QStringLiteral("path")).toString();
            if (!path.isEmpty() && !QFileInfo::exists(path)) {
                qCInfo(lmtLocal).noquote() << "[KorInstalledVersions]"
                                           << "Ignoring" << info.absoluteFilePath() << "- its path"
                                           << path << "does not exist";
                continue;
            }
            const QVersionNumber version
                = fourPartVersion(entry.value(QStringLiteral("version")).toString());
            if (!version.isNull() && version > newest)
                newest = version;
        }
    }
    return newest;
}

} // namespace zendrel::lmt::korservice
