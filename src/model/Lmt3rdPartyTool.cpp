#include "model/Lmt3rdPartyTool.h"

namespace zendrel::lmt::setup {

std::shared_ptr<Lmt3rdPartyTool> Lmt3rdPartyTool::create(
    const QString &featureId, const QString &name)
{
    return std::shared_ptr<Lmt3rdPartyTool>(new Lmt3rdPartyTool(featureId, name));
}

Lmt3rdPartyTool::Lmt3rdPartyTool(const QString &featureId, const QString &name)
    : LmtTool(featureId, LmtToolType::ThirdParty, name, false)
{
}

Lmt3rdPartyTool::~Lmt3rdPartyTool() = default;

void Lmt3rdPartyTool::addKnownPlugin(const QString &id, const QString &name)
{
    m_knownPlugins.append({ id, name });
}

} // namespace zendrel::lmt::setup
