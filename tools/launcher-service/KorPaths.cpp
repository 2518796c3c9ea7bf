#include "KorPaths.h"

#include "registry/LmtKorRegistryLocationProvider.h"

#include <QDir>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <pwd.h>
#include <unistd.h>
#endif

namespace zendrel::lmt::korservice::paths {

namespace {

const QString ToolboxPath = QStringLiteral("/Zendrel_Technologies_AG/Zendrel-Toolbox");

} // namespace

QString invokingUserHome()
{
#ifdef Q_OS_WIN
    return {};
#else
    // sudo names the user who called it; its environment is gone, its home is not.
    bool numeric = false;
    const uid_t invoker = uid_t(qEnvironmentVariable("SUDO_UID").toULong(&numeric));
    if (!numeric || invoker == ::getuid())
        return {};
    const passwd *const entry = ::getpwuid(invoker);
    return entry && entry->pw_dir ? QString::fromLocal8Bit(entry->pw_dir) : QString();
#endif
}

QString userHome()
{
    const QString invoker = invokingUserHome();
    return invoker.isEmpty() ? QDir::homePath() : invoker;
}

QString serviceDirectory()
{
    return userHome() + QStringLiteral("/Zendrel/LauncherService");
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
    // sudo resets the variables that move the current user's folders; a variable it kept
    // still wins, as it does for the application.
    const QString invoker = invokingUserHome();
    if (scope == 0 && !invoker.isEmpty() && !qEnvironmentVariableIsSet("LOCALAPPDATA")
        && !qEnvironmentVariableIsSet("XDG_DATA_HOME"))
        return invoker + QStringLiteral("/.local/share") + ToolboxPath;
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
