#pragma once

#include <QString>

namespace zendrel::lmt::setup {

// A plug-in of an installed 3rd-party tool version. The install command is the tool's
// install command line with the plug-in id already filled in.
class LmtPlugin
{
public:
    LmtPlugin(const QString &id, const QString &name, const QString &installCommand)
        : m_id(id)
        , m_name(name)
        , m_installCommand(installCommand)
    {
    }

    QString id() const { return m_id; }
    QString name() const { return m_name; }
    QString installCommand() const { return m_installCommand; }
    bool installed() const { return m_installed; }
    void setInstalled(bool installed) { m_installed = installed; }

private:
    QString m_id;
    QString m_name;
    QString m_installCommand;
    bool m_installed = false; // until the tool's plug-in list reports the id
};

} // namespace zendrel::lmt::setup
