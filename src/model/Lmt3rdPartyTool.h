#pragma once

#include "model/LmtTool.h"

#include <QList>

namespace zendrel::lmt::setup {

// A plug-in the product knows for a 3rd-party tool, as listed in the 3rd-party tools file.
struct LmtKnownPlugin {
    QString id;
    QString name;
};

// A tool of another vendor, described by the 3rd-party tools file. Never needs a login.
class Lmt3rdPartyTool : public LmtTool
{
public:
    static std::shared_ptr<Lmt3rdPartyTool> create(const QString &featureId, const QString &name);
    ~Lmt3rdPartyTool() override;

    void addKnownPlugin(const QString &id, const QString &name);
    // In the order of the tools file.
    const QList<LmtKnownPlugin> &knownPlugins() const { return m_knownPlugins; }

protected:
    Lmt3rdPartyTool(const QString &featureId, const QString &name);

private:
    QList<LmtKnownPlugin> m_knownPlugins;
};

} // namespace zendrel::lmt::setup
