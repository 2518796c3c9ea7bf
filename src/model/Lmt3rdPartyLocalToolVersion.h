#pragma once

#include "model/LmtLocalToolVersion.h"
#include "model/LmtPlugin.h"

#include <QList>
#include <QStringList>

#include <memory>

namespace zendrel::lmt::setup {

// An installation of a 3rd-party tool, with the plug-ins this product knows for it.
class Lmt3rdPartyLocalToolVersion : public LmtLocalToolVersion
{
public:
    static std::shared_ptr<Lmt3rdPartyLocalToolVersion> create(const QString &version);
    ~Lmt3rdPartyLocalToolVersion() override;

    // The install directory found during discovery, as it is.
    QString installLocation() const override { return installDirectory(); }

    void addPlugin(const std::shared_ptr<LmtPlugin> &plugin) { m_plugins.append(plugin); }
    const QList<std::shared_ptr<LmtPlugin>> &plugins() const { return m_plugins; }
    QList<std::shared_ptr<LmtPlugin>> pluginsNotInstalled() const;
    QStringList pluginNamesNotInstalled() const;
    bool hasPluginsNotInstalled() const;

protected:
    explicit Lmt3rdPartyLocalToolVersion(const QString &version);

private:
    QList<std::shared_ptr<LmtPlugin>> m_plugins;
};

} // namespace zendrel::lmt::setup
