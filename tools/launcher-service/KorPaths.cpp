#include "KorPaths.h"

#include "registry/LmtKorRegistryLocationProvider.h"

#include <QDir>
#include <QStandardPaths>

namespace zendrel::lmt::korservice::paths {

QString serviceDirectory()
{
    return QDir::homePath() + QStringLiteral("/Zendrel/LauncherService");
}

QString configFile()
{
    return serviceDirectory() + QStringLiteral("/launcher-config.json");
}

QString instanceFile()
{
    return serviceDirectory() + QStringLiteral("/service-instance.json");
}

QString startLockFile()
{
    return serviceDirectory() + QStringLiteral("/service-start.lock");
}

QString registryDirectory(int scope)
{
    return setup::LmtKorRegistryLocationProvider().registryDirectories().value(scope).path();
}

QString toolsDirectory()
{
    return registryDirectory(0) + QStringLiteral("/Tools");
}

QString logFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Zendrel_Technologies_AG/Launcher-Service/resources/logs/"
                         "launcher-service.log");
}

} // namespace zendrel::lmt::korservice::paths
