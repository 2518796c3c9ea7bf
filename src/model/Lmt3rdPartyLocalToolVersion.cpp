#include "model/Lmt3rdPartyLocalToolVersion.h"

#include <algorithm>

namespace zendrel::lmt::setup {

std::shared_ptr<Lmt3rdPartyLocalToolVersion> Lmt3rdPartyLocalToolVersion::create(
    const QString &version)
{
    return std::shared_ptr<Lmt3rdPartyLocalToolVersion>(new Lmt3rdPartyLocalToolVersion(version));
}

Lmt3rdPartyLocalToolVersion::Lmt3rdPartyLocalToolVersion(const QString &version)
    : LmtLocalToolVersion(version, 0)
{
}

Lmt3rdPartyLocalToolVersion::~Lmt3rdPartyLocalToolVersion() = default;

QList<std::shared_ptr<LmtPlugin>> Lmt3rdPartyLocalToolVersion::pluginsNotInstalled() const
{
    QList<std::shared_ptr<LmtPlugin>> missing;
    for (const std::shared_ptr<LmtPlugin> &plugin : m_plugins) {
        if (!plugin->installed())
            missing.append(plugin);
    }
    return missing;
}

QStringList Lmt3rdPartyLocalToolVersion::pluginNamesNotInstalled() const
{
    QStringList names;
    for (const std::shared_ptr<LmtPlugin> &plugin : pluginsNotInstalled())
        names.append(plugin->name());
    return names;
}

bool Lmt3rdPartyLocalToolVersion::hasPluginsNotInstalled() const
{
    return std::any_of(m_plugins.cbegin(), m_plugins.cend(),
        [](const std::shared_ptr<LmtPlugin> &plugin) { return !plugin->installed(); });
}

} // namespace zendrel::lmt::setup
