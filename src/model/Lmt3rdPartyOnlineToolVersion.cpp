#include "model/Lmt3rdPartyOnlineToolVersion.h"

namespace zendrel::lmt::setup {

std::shared_ptr<Lmt3rdPartyOnlineToolVersion> Lmt3rdPartyOnlineToolVersion::create(
    const QString &version)
{
    return std::shared_ptr<Lmt3rdPartyOnlineToolVersion>(new Lmt3rdPartyOnlineToolVersion(version));
}

Lmt3rdPartyOnlineToolVersion::Lmt3rdPartyOnlineToolVersion(const QString &version)
    : LmtOnlineToolVersion(version, 0, 0)
{
}

Lmt3rdPartyOnlineToolVersion::~Lmt3rdPartyOnlineToolVersion() = default;

} // namespace zendrel::lmt::setup
