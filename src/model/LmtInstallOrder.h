#pragma once

#include "model/LmtToolDependency.h"
#include "model/LmtToolVersion.h"

#include <QtGlobal>

#include <memory>

namespace zendrel::lmt::setup {

// The version of the list that satisfies the dependency: the target tool's version with the
// highest numeric version inside the dependency's range, the earliest one on a tie. Only the
// given list is searched. Null when none matches.
std::shared_ptr<LmtToolVersion> findDependencyTarget(
    const LmtToolVersionList &versions, const LmtToolDependency &dependency);

// Coarse install order: by tool type, then major.minor.patch. Tools packages (type 1) thus go
// before their patches (type 2) and content packs (type 3).
quint64 installOrderKey(const LmtToolVersion &version);

// Orders versions for installing: by installOrderKey, then moved so that every version comes
// after the versions of the list it depends on. When the dependencies form a cycle, the
// key order is kept as it is. Reverse the result to uninstall.
LmtToolVersionList sortForInstall(const LmtToolVersionList &versions);

} // namespace zendrel::lmt::setup
