#include "registry/LmtKorRegistryLocationProvider.h"

#include "platform/LmtPlatform.h"
#include "services/LmtServiceTypes.h"

namespace zendrel::lmt::setup {

namespace {

QDir toolboxBelow(const QString &environmentVariable)
{
    return QDir(platform::environmentVariable(environmentVariable)
        + QStringLiteral("/Zendrel_Technologies_AG/Zendrel-Toolbox"));
}

} // namespace

QMap<int, QDir> LmtKorRegistryLocationProvider::registryDirectories() const
{
    QMap<int, QDir> directories;
    directories.insert(
        int(LmtToolInstallScope::CurrentUser), toolboxBelow(QStringLiteral("LOCALAPPDATA")));
    directories.insert(
        int(LmtToolInstallScope::AllUsers), toolboxBelow(QStringLiteral("ALLUSERSPROFILE")));
    return directories;
}

} // namespace zendrel::lmt::setup
