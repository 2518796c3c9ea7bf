#pragma once

#include "registry/ILmtRegistryLocationProvider.h"

namespace zendrel::lmt::setup {

// The toolbox folders below the per-user and the machine-wide application-data folders.
class LmtKorRegistryLocationProvider : public ILmtRegistryLocationProvider
{
public:
    QMap<int, QDir> registryDirectories() const override;
};

} // namespace zendrel::lmt::setup
