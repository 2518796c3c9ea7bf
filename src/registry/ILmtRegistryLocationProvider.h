#pragma once

#include <QDir>
#include <QMap>

namespace zendrel::lmt::setup {

// Where installations leave their registry files, one directory per install scope.
class ILmtRegistryLocationProvider
{
public:
    virtual ~ILmtRegistryLocationProvider() = default;

    // Keyed by LmtToolInstallScope value; the directories need not exist.
    virtual QMap<int, QDir> registryDirectories() const = 0;
};

} // namespace zendrel::lmt::setup
