#include "registry/Lmt3rdPartyRegistryParser.h"

#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/Lmt3rdPartyTool.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtPlugin.h"
#include "platform/LmtPlatform.h"
#include "registry/Lmt3rdPartyCommand.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QUrl>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

const char *const Tag = "[Lmt3rdPartyRegistryParser]";
const QString ResourcesFolder = QStringLiteral("Resources");
const QString ToolsFileName = QStringLiteral("3rdparty-tools.json");

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

bool executableExists(const QString &directory, const QString &executable)
{
    return QFileInfo::exists(QDir(directory).filePath(executable));
}

} // namespace

Lmt3rdPartyRegistryParser::Lmt3rdPartyRegistryParser(
    std::shared_ptr<LmtCoreToolModel> model, QObject *parent)
    : ILmtRegistryParser(parent)
    , LmtBaseRegistryParser(std::move(model))
{
}

void Lmt3rdPartyRegistryParser::setApplicationDirectory(const QString &directory)
{
    m_applicationDirectory = directory;
}

void Lmt3rdPartyRegistryParser::setProbeTimeout(std::chrono::milliseconds timeout)
{
    m_probeTimeout = timeout;
}

void Lmt3rdPartyRegistryParser::parse()
{
    qCDebug(lmtLocal).noquote() << Tag
                                << ">>>>>>>>>> Parse 3rd party tool registry JSON >>>>>>>>>>";
    const QJsonArray entries = loadDocument();
    Q_EMIT appendUILog(trLog("Parse 3rd party tool Registry"), ConsoleMessageType::Auto);
    for (const QJsonValue &entry : entries) {
        if (!entry.isObject()) {
            qCCritical(lmtLocal).noquote()
                << Tag << "Error parsing tool entry in JSON - invalid object format, skipping";
            continue;
        }
        parseTool(entry.toObject());
    }
    qCDebug(lmtLocal).noquote() << Tag << "<<<<<<<<< Parse 3rd party tool registry JSON <<<<<<<<<";
}

QJsonArray Lmt3rdPartyRegistryParser::loadDocument() const
{
    const QDir directory(m_applicationDirectory.isEmpty() ? QCoreApplication::applicationDirPath()
                                                          : m_applicationDirectory);
    if (!QFileInfo(directory.filePath(ResourcesFolder)).isDir())
        fail(trLog("Resources folder not found!"));
    QFile file(QDir(directory.filePath(ResourcesFolder)).filePath(ToolsFileName));
    if (!file.exists())
        fail(trLog("'%1' JSON file not found!").arg(file.fileName()));
    if (!file.open(QIODevice::ReadOnly))
        fail(trLog("Cannot open JSON file '%1' for reading").arg(file.fileName()));

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (document.isNull())
        fail(error.errorString());
    if (!document.isArray())
        fail(trLog("Invalid document format - file does not contain a JSON Array"));
    return document.array();
}

void Lmt3rdPartyRegistryParser::parseTool(const QJsonObject &entry)
{
    const QString featureId = getString(entry, QStringLiteral("featureId"));
    const QString name = getString(entry, QStringLiteral("name"));
    const QString shortName = getString(entry, QStringLiteral("shortName"));
    const QJsonObject packages = getObject(entry, QStringLiteral("packages"));

    const auto tool = Lmt3rdPartyTool::create(featureId, name);
    tool->setShortName(shortName);
    for (const QJsonValue &plugin : getArray(entry, QStringLiteral("plugins"))) {
        const QJsonObject object = plugin.toObject();
        tool->addKnownPlugin(
            getString(object, QStringLiteral("id")), getString(object, QStringLiteral("name")));
    }
    // No lookup: every entry of the file is a tool of its own.
    m_model->addTool(tool);

    parseOnlineEntry(getObject(packages, QStringLiteral("online")), tool);
    parseLocalEntry(getObject(packages, QStringLiteral("local")), tool);
}

void Lmt3rdPartyRegistryParser::parseOnlineEntry(
    const QJsonObject &online, const std::shared_ptr<Lmt3rdPartyTool> &tool)
{
    if (online.contains(QStringLiteral("versions")))
        return;
    const auto version = Lmt3rdPartyOnlineToolVersion::create(QString());
    tool->addVersion(version);
    version->setExternalUrl(QUrl(getString(online, QStringLiteral("externalUrl"))));
    version->setSilentInstall(false);
    Q_EMIT appendUILog(trLog("Discovered available 3rd party tool '%1'").arg(tool->name()),
        ConsoleMessageType::Auto);
}

void Lmt3rdPartyRegistryParser::parseLocalEntry(
    const QJsonObject &local, const std::shared_ptr<Lmt3rdPartyTool> &tool)
{
    qCDebug(lmtLocal).noquote() << Tag << ">> parseLocalEntry()";
    const QString os = platform::osName();
    if (!local.contains(os)) {
        qCDebug(lmtLocal).noquote()
            << Tag
            << QStringLiteral("Local package entry not found for the current OS: %1").arg(os);
        return;
    }
    for (const QJsonValue &variant : getArray(local, os)) {
        const auto version = discoverInstalledTool(variant.toObject(), tool);
        if (!version)
            continue;
        tool->addVersion(version);
        Q_EMIT appendUILog(trLog("Discovered installed 3rd party tool '%1', version %2")
                               .arg(tool->name(), version->version()),
            ConsoleMessageType::Auto);
        discoverInstalledPlugins(local, tool, version);
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< parseLocalEntry()";
}

std::shared_ptr<Lmt3rdPartyLocalToolVersion> Lmt3rdPartyRegistryParser::discoverInstalledTool(
    const QJsonObject &variant, const std::shared_ptr<Lmt3rdPartyTool> &tool)
{
    const QString installMode = getString(variant, QStringLiteral("install-mode"));
    const QString installerType = getString(variant, QStringLiteral("installerType"));
    // Every line about this variant names the tool the same way.
    const QString toolText = QStringLiteral("%1 scope: %2 installer: %3")
                                 .arg(tool->name(), installMode, installerType);
    qCDebug(lmtLocal).noquote() << Tag << ">> discoverInstalledTool():" << toolText;
    const QString executable = getString(variant, QStringLiteral("executable"));
    const QString locationType = getString(variant, QStringLiteral("locationType"));
    const QString versionCommandLine = getString(variant, QStringLiteral("getVersionCLI"));
    const QString versionPattern = getString(variant, QStringLiteral("getVersionRegExp"));
    const QString uninstallScript = getString(variant, QStringLiteral("uninstallScript"));

    QString installDir;
    if (platform::osName() == QLatin1String("Windows") && locationType == QLatin1String("RegKey"))
        installDir = findInRegistry(variant, executable);
    if (installDir.isEmpty() && locationType == QLatin1String("directory"))
        installDir = findInDirectories(variant, installMode, executable);
    if (installDir.isEmpty()) {
        qCInfo(lmtLocal).noquote() << Tag << "Install directory not found for:" << toolText;
        return nullptr;
    }
    if (versionCommandLine.isEmpty()) {
        qCCritical(lmtLocal).noquote()
            << Tag << "'getVersionCLI' field is empty - skipping discovery for" << toolText;
        return nullptr;
    }

    const auto command = Lmt3rdPartyCommand::fromCommandLine(versionCommandLine);
    const QString output = command.run(installDir, m_probeTimeout,
        { "discoverInstalledTool(): Failed to invoke 'get version' command:",
            "discoverInstalledTool(): process exited w/ code:" });
    const QString shown = command.displayText(installDir);
    qCInfo(lmtLocal).noquote() << Tag << "Command" << shown << "returned:" << output;

    QString versionText;
    const QRegularExpressionMatch match = QRegularExpression(versionPattern).match(output);
    if (match.hasMatch())
        versionText = match.captured(QStringLiteral("version"));
    else
        qCCritical(lmtLocal).noquote()
            << Tag << "Failed to parse the" << shown << "output - version string not found";

    m_lastInstallDirectory = installDir;
    if (versionText.isEmpty()) {
        qCInfo(lmtLocal).noquote() << Tag << "No local version found for the tool:" << toolText;
        return nullptr;
    }

    const auto version = Lmt3rdPartyLocalToolVersion::create(versionText);
    qCInfo(lmtLocal).noquote() << Tag << "Found installed version:" << version->displayVersion()
                               << "for the tool" << toolText;
    version->setInstallScope(installMode == QLatin1String("all-users")
            ? LmtToolInstallScope::AllUsers
            : LmtToolInstallScope::CurrentUser);
    version->setInstallDirectory(installDir);
    version->setPath(QDir(installDir).absoluteFilePath(executable));
    version->setEntryName(tool->name());
    if (!uninstallScript.isEmpty())
        version->setUninstallPath(QDir(installDir).absoluteFilePath(uninstallScript));
    qCDebug(lmtLocal).noquote() << Tag << "<< discoverInstalledTool()" << toolText;
    return version;
}

QString Lmt3rdPartyRegistryParser::findInRegistry(
    const QJsonObject &variant, const QString &executable) const
{
    const QString location = getString(variant, QStringLiteral("location"));
    const QString valueName = getString(variant, QStringLiteral("locationRegEntry"));
    static const QRegularExpression keyParts(
        QStringLiteral(R"((?<parentKey>.+)\\(?<leafKey>.+)$)"));
    const QRegularExpressionMatch match = keyParts.match(location);
    if (!match.hasMatch()
        || !platform::registryChildKeys(match.captured(QStringLiteral("parentKey")))
                .contains(match.captured(QStringLiteral("leafKey")))) {
        qCDebug(lmtLocal).noquote()
            << Tag << QStringLiteral("Registry key '%1' not found").arg(location);
        return {};
    }
    const QString directory = platform::readRegistryValue(location, valueName).toString();
    if (executableExists(directory, executable)) {
        qCDebug(lmtLocal).noquote() << Tag << "Found install directory:" << directory;
        return directory;
    }
    qCWarning(lmtLocal).noquote() << Tag
                                  << "Could not find the tool in the directory:" << directory;
    return {};
}

QString Lmt3rdPartyRegistryParser::findInDirectories(
    const QJsonObject &variant, const QString &installMode, const QString &executable) const
{
    const bool perUser = installMode == QLatin1String("current-user");
    for (const QJsonValue &candidate : getArray(variant, QStringLiteral("location"))) {
        QString directory = candidate.toString();
        if (perUser)
            directory.replace(QStringLiteral("{userhome}"), QDir::homePath());
        if (executableExists(directory, executable)) {
            qCDebug(lmtLocal).noquote() << Tag << "Found install directory:" << directory;
            return directory;
        }
        qCWarning(lmtLocal).noquote()
            << Tag << "Could not find the tool in the directory:" << directory;
    }
    return {};
}

void Lmt3rdPartyRegistryParser::discoverInstalledPlugins(const QJsonObject &local,
    const std::shared_ptr<Lmt3rdPartyTool> &tool,
    const std::shared_ptr<Lmt3rdPartyLocalToolVersion> &version)
{
    qCDebug(lmtLocal).noquote() << Tag << ">> discoverInstalledPlugins()" << tool->name()
                                << version->displayVersion();
    const QJsonObject pluginCli = getObject(local, QStringLiteral("pluginCLI"));
    const QJsonObject forPlatform = getObject(pluginCli, platform::osName());
    const QString listCommandLine = getString(forPlatform, QStringLiteral("getPluginListCLI"));
    const QString installCommandLine = getString(forPlatform, QStringLiteral("installCLI"));

    for (const LmtKnownPlugin &known : tool->knownPlugins()) {
        QString installCommand = installCommandLine;
        installCommand.replace(QStringLiteral("{plugin-id}"), known.id);
        version->addPlugin(std::make_shared<LmtPlugin>(known.id, known.name, installCommand));
    }

    const auto command = Lmt3rdPartyCommand::fromCommandLine(listCommandLine);
    const QString output = command.run(m_lastInstallDirectory, m_probeTimeout,
        { "discoverInstalledPlugins(): Failed to invoke 'Get plugin list' command:",
            "discoverInstalledPlugins(): process exited w/ code:" });
    const QString shown = command.displayText(m_lastInstallDirectory);
    qCInfo(lmtLocal).noquote() << Tag << "discoverInstalledPlugins():" << shown
                               << "returned:" << output;

    bool anyInstalled = false;
    for (const auto &plugin : version->plugins()) {
        if (output.contains(plugin->id(), Qt::CaseSensitive)) {
            plugin->setInstalled(true);
            anyInstalled = true;
            qCInfo(lmtLocal).noquote() << Tag << "Found installed plugin (id):" << plugin->id();
        }
    }
    if (!anyInstalled)
        qCInfo(lmtLocal).noquote()
            << Tag << "No known installed plugins found for the tool:" << tool->name()
            << ", version:" << version->displayVersion();
    qCDebug(lmtLocal).noquote() << Tag << "<< discoverInstalledPlugins()" << tool->name()
                                << version->displayVersion();
}

} // namespace zendrel::lmt::setup
