#pragma once

#include "registry/ILmtRegistryParser.h"
#include "registry/LmtBaseRegistryParser.h"
#include "shared_toolkit/LmtTr.h"

#include <QJsonObject>
#include <QString>

#include <chrono>
#include <memory>

namespace zendrel::lmt::setup {

class Lmt3rdPartyLocalToolVersion;
class Lmt3rdPartyTool;

// Reads "Resources/3rdparty-tools.json" beside the executable: one tool of another vendor per
// entry, offered through its own download page, and found installed by probing candidate
// directories (or, on Windows, a registry key) and running the tool's version command. The
// plug-ins the product knows are checked against the tool's plug-in list command.
class Lmt3rdPartyRegistryParser : public ILmtRegistryParser, public LmtBaseRegistryParser
{
    Q_OBJECT
    LMT_TR_CONTEXT(Lmt3rdPartyRegistryParser)

public:
    static constexpr std::chrono::milliseconds DefaultProbeTimeout { 30000 };

    explicit Lmt3rdPartyRegistryParser(
        std::shared_ptr<LmtCoreToolModel> model, QObject *parent = nullptr);

    void parse() override;

    // The folder holding "Resources"; the executable's folder unless set.
    void setApplicationDirectory(const QString &directory);
    // How long a version or plug-in-list command may run before it is killed.
    void setProbeTimeout(std::chrono::milliseconds timeout);
    QString lastInstallDirectory() const { return m_lastInstallDirectory; }

private:
    QJsonArray loadDocument() const;
    void parseTool(const QJsonObject &entry);
    void parseOnlineEntry(const QJsonObject &online, const std::shared_ptr<Lmt3rdPartyTool> &tool);
    void parseLocalEntry(const QJsonObject &local, const std::shared_ptr<Lmt3rdPartyTool> &tool);
    std::shared_ptr<Lmt3rdPartyLocalToolVersion> discoverInstalledTool(
        const QJsonObject &variant, const std::shared_ptr<Lmt3rdPartyTool> &tool);
    QString findInRegistry(const QJsonObject &variant, const QString &executable) const;
    QString findInDirectories(
        const QJsonObject &variant, const QString &installMode, const QString &executable) const;
    void discoverInstalledPlugins(const QJsonObject &local,
        const std::shared_ptr<Lmt3rdPartyTool> &tool,
        const std::shared_ptr<Lmt3rdPartyLocalToolVersion> &version);

    QString m_applicationDirectory;
    std::chrono::milliseconds m_probeTimeout = DefaultProbeTimeout;
    QString m_lastInstallDirectory;
};

} // namespace zendrel::lmt::setup
