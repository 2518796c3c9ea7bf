#pragma once

#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"

#include <memory>

namespace lmttest {

// Short-hands for building catalogues in tests: each adds a new version to the tool and
// returns it.
std::shared_ptr<zendrel::lmt::setup::LmtOnlineToolVersion> addOnline(
    const std::shared_ptr<zendrel::lmt::setup::LmtTool> &tool, const QString &version,
    quint64 versionNumeric = 0, bool selected = false);

std::shared_ptr<zendrel::lmt::setup::LmtLocalToolVersion> addLocal(
    const std::shared_ptr<zendrel::lmt::setup::LmtTool> &tool, const QString &version,
    zendrel::lmt::setup::LmtToolInstallScope scope
    = zendrel::lmt::setup::LmtToolInstallScope::CurrentUser,
    quint64 versionNumeric = 0);

} // namespace lmttest
