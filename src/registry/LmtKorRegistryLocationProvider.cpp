#include "registry/LmtKorRegistryLocationProvider.h"

#include "base/LmtFolders.h"
#include "model/LmtToolInstallScope.h"

namespace zendrel::lmt::setup {

QMap<int, QDir> LmtKorRegistryLocationProvider::registryDirectories() const
{
    QMap<int, QDir> directories;
    directories.insert(int(LmtToolInstallScope::CurrentUser), currentUserToolboxDirectory());
    directories.insert(int(LmtToolInstallScope::AllUsers), allUsersToolboxDirectory());
    return directories;
}

} // namespace zendrel::lmt::setup
