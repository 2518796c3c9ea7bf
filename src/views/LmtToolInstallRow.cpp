#include "views/LmtToolInstallRow.h"

#include "model/LmtToolVersion.h"

namespace zendrel::lmt::setup {

LmtToolInstallRow::LmtToolInstallRow(std::shared_ptr<LmtToolVersion> version_)
    : version(std::move(version_))
    , kind(version && !version->isOnline() ? Uninstall : Download)
{
}

bool LmtToolInstallRow::isFinished() const
{
    return status == Failed || status == Cancelled || isSucceeded();
}

bool LmtToolInstallRow::isSucceeded() const
{
    return status == Succeeded && kind != Download;
}

} // namespace zendrel::lmt::setup
