#include "common/LmtModelFixtures.h"

using namespace zendrel::lmt::setup;

namespace lmttest {

std::shared_ptr<LmtOnlineToolVersion> addOnline(const std::shared_ptr<LmtTool> &tool,
    const QString &version, quint64 versionNumeric, bool selected)
{
    auto online = LmtOnlineToolVersion::create(version, versionNumeric, 0);
    tool->addVersion(online);
    if (selected)
        online->setSelected(true);
    return online;
}

std::shared_ptr<LmtLocalToolVersion> addLocal(const std::shared_ptr<LmtTool> &tool,
    const QString &version, LmtToolInstallScope scope, quint64 versionNumeric)
{
    auto local = LmtLocalToolVersion::create(version, versionNumeric);
    local->setInstallScope(scope);
    tool->addVersion(local);
    return local;
}

} // namespace lmttest
