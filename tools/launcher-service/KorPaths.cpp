#include "KorPaths.h"

#include "platform/LmtPlatform.h"

#include <QDir>
#include <QStandardPaths>

namespace zendrel::lmt::korservice::paths {

namespace {
const char *const kRegistrySubPath = "/Zendrel_Technologies_AG/Zendrel-Toolbox";
}

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
    const QString root = platform::environmentVariable(
        scope == 0 ? QStringLiteral("LOCALAPPDATA") : QStringLiteral("ALLUSERSPROFILE"));
    return QDir::fromNativeSeparators(root) + QLatin1String(kRegistrySubPath);
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
